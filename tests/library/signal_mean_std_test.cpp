// mean and std through the loader.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/library.h"

namespace {

using kh::Value;

Value mat(std::size_t r, std::size_t c, std::vector<double> colMajor) {
  Value v = Value::matrix(r, c);
  for (std::size_t i = 0; i < colMajor.size(); ++i) v.mutRe()[i] = colMajor[i];
  return v;
}

struct Case {
  const char* what;
  kh::ValueList args;
  kh::Dims dims;
  std::vector<double> want;  // NaN matches NaN
};

void run(const char* fn, const Case& c) {
  const auto out = kt::call(fn, 1, c.args);
  ASSERT_EQ(out.size(), 1u) << c.what;
  ASSERT_EQ(out[0].dims(), c.dims) << c.what;
  EXPECT_FALSE(out[0].isComplex()) << c.what;
  for (std::size_t i = 0; i < c.want.size(); ++i) {
    if (std::isnan(c.want[i]))
      EXPECT_TRUE(std::isnan(out[0].at(i))) << c.what << " @" << i;
    else
      EXPECT_NEAR(out[0].at(i), c.want[i], 1e-14) << c.what << " @" << i;
  }
}

TEST(Mean, Values) {
  const Value m = mat(2, 2, {1, 3, 2, 4});
  const Case cases[] = {
      {"row", {Value::row({1, 2, 3, 4})}, {1, 1}, {2.5}},
      {"column", {Value::column({1, 2, 3, 4})}, {1, 1}, {2.5}},
      {"matrix", {m}, {1, 2}, {2, 3}},
      {"along 2", {m, Value::scalar(2)}, {2, 1}, {1.5, 3.5}},
      {"along 3", {m, Value::scalar(3)}, {2, 2}, {1, 3, 2, 4}},
      {"scalar", {Value::scalar(7)}, {1, 1}, {7}},
      {"1-by-1-by-3",
       {[] {
         Value v = Value::numeric({1, 1, 3});
         v.mutRe()[0] = 1, v.mutRe()[1] = 2, v.mutRe()[2] = 6;
         return v;
       }()},
       {1, 1},
       {3}},
  };
  for (const Case& c : cases) run("mean", c);
}

TEST(Std, Values) {
  const std::vector<double> d = {2, 4, 4, 4, 5, 5, 7, 9};
  const double nan = std::nan("");
  const Case cases[] = {
      {"n-1", {Value::row(d)}, {1, 1}, {std::sqrt(32.0 / 7)}},
      {"n", {Value::row(d), Value::scalar(1)}, {1, 1}, {2}},
      {"column", {Value::column(d)}, {1, 1}, {std::sqrt(32.0 / 7)}},
      {"scalar", {Value::scalar(3)}, {1, 1}, {0}},
      {"NaN", {Value::scalar(nan)}, {1, 1}, {nan}},
      {"empty", {Value::empty()}, {1, 1}, {nan}},
      {"matrix", {mat(2, 2, {1, 3, 2, 5})}, {1, 2}, {std::sqrt(2.0), std::sqrt(4.5)}},
      {"along 2",
       {mat(2, 2, {1, 3, 2, 5}), Value::scalar(0), Value::scalar(2)},
       {2, 1},
       {std::sqrt(0.5), std::sqrt(2.0)}},
      {"along 3",
       {mat(2, 2, {1, 3, nan, 5}), Value::scalar(0), Value::scalar(3)},
       {2, 2},
       {0, 0, nan, 0}},
      {"complex",
       {[] {
         Value v = Value::numeric({1, 2}, true);
         v.mutRe()[0] = 1, v.mutIm()[0] = 1, v.mutRe()[1] = -1, v.mutIm()[1] = -1;
         return v;
       }()},
       {1, 1},
       {2}},
  };
  for (const Case& c : cases) run("std", c);
}

}  // namespace
