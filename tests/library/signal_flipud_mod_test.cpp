// flipud and mod through the loader.
#include <gtest/gtest.h>

#include "tests/support/library.h"

namespace {

using kh::Value;

Value mat(std::size_t r, std::size_t c, std::vector<double> colMajor) {
  Value v = Value::matrix(r, c);
  for (std::size_t i = 0; i < colMajor.size(); ++i) v.mutRe()[i] = colMajor[i];
  return v;
}

void expectValue(const Value& got, const kh::Dims& dims, const std::vector<double>& want,
                 const std::string& what) {
  ASSERT_EQ(got.dims(), dims) << what;
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_NEAR(got.at(i), want[i], 1e-14) << what << " @" << i;
}

TEST(Flipud, ReversesRows) {
  struct Case {
    const char* what;
    Value x;
    kh::Dims dims;
    std::vector<double> want;
  };
  const Case cases[] = {
      {"2-by-2", mat(2, 2, {1, 3, 2, 4}), {2, 2}, {3, 1, 4, 2}},
      {"column", Value::column({1, 2, 3}), {3, 1}, {3, 2, 1}},
      {"row unchanged", Value::row({1, 2, 3}), {1, 3}, {1, 2, 3}},
      {"0-by-3", Value::matrix(0, 3), {0, 3}, {}},
  };
  for (const Case& c : cases) expectValue(kt::call("flipud", 1, {c.x})[0], c.dims, c.want, c.what);
  const auto s = kt::call("flipud", 1, {Value::str(std::string_view("ab"))});
  EXPECT_TRUE(s[0].isChar());
}

TEST(Flipud, RejectsThreeDimensions) {
  EXPECT_EQ(kt::callError("flipud", 1, {Value::numeric({2, 2, 2})}), "X must be a 2-D matrix.");
}

TEST(Mod, Values) {
  struct Case {
    const char* what;
    Value x, y;
    kh::Dims dims;
    std::vector<double> want;
  };
  const Case cases[] = {
      {"5,3", Value::scalar(5), Value::scalar(3), {1, 1}, {2}},
      {"-5,3", Value::scalar(-5), Value::scalar(3), {1, 1}, {1}},
      {"5,-3", Value::scalar(5), Value::scalar(-3), {1, 1}, {-1}},
      {"-5,-3", Value::scalar(-5), Value::scalar(-3), {1, 1}, {-2}},
      {"zero divisor", Value::scalar(5), Value::scalar(0), {1, 1}, {5}},
      {"0,0", Value::scalar(0), Value::scalar(0), {1, 1}, {0}},
      {"snapped quotient", Value::scalar(0.3), Value::scalar(0.1), {1, 1}, {0}},
      {"scalar divisor", Value::row({1, 2, 3}), Value::scalar(2), {1, 3}, {1, 0, 1}},
      {"scalar dividend", Value::scalar(7), Value::row({2, 3, 4}), {1, 3}, {1, 1, 3}},
      {"matrix by scalar", mat(2, 2, {1, 3, 2, 4}), Value::scalar(3), {2, 2}, {1, 0, 2, 1}},
      {"mixed divisors",
       Value::row({5, 5, 5, -1}),
       Value::row({0, 2, 1.5, 0.5}),
       {1, 4},
       {5, 1, 0.5, 0}},
      {"both empty", Value::matrix(0, 3), Value::matrix(0, 3), {0, 3}, {}},
  };
  for (const Case& c : cases) {
    const auto out = kt::call("mod", 1, {c.x, c.y});
    ASSERT_EQ(out.size(), 1u) << c.what;
    expectValue(out[0], c.dims, c.want, c.what);
  }
}

TEST(Mod, FractionalDivisorKeepsItsSign) {
  const auto out = kt::call("mod", 1, {Value::scalar(1), Value::scalar(-0.75)});
  EXPECT_DOUBLE_EQ(out[0].at(0), -0.5);
}

TEST(Mod, Failures) {
  EXPECT_EQ(kt::callError("mod", 1, {Value::complexScalar(1, 2), Value::scalar(3)}),
            "Arguments must be real.");
  EXPECT_EQ(kt::callError("mod", 1, {Value::scalar(1), Value::complexScalar(1, 2)}),
            "Arguments must be real.");
  EXPECT_EQ(kt::callError("mod", 1, {Value::row({1, 2}), Value::row({1, 2, 3})}),
            "X and Y must be the same size.");
  EXPECT_FALSE(kt::callError("mod", 1, {Value::scalar(1)}).empty());
}

}  // namespace
