// repmat through the loader: the scalar, two-dimensional and general paths.
#include <gtest/gtest.h>

#include "tests/support/library.h"

namespace {

using kh::Value;

Value mat(std::size_t r, std::size_t c, std::vector<double> colMajor) {
  Value v = Value::matrix(r, c);
  for (std::size_t i = 0; i < colMajor.size(); ++i) v.mutRe()[i] = colMajor[i];
  return v;
}

TEST(Repmat, Tiles) {
  struct Case {
    const char* what;
    kh::ValueList args;
    kh::Dims dims;
    std::vector<double> want;
  };
  const Value seven = Value::scalar(7);
  const Case cases[] = {
      {"7, 2, 3", {seven, Value::scalar(2), Value::scalar(3)}, {2, 3}, {7, 7, 7, 7, 7, 7}},
      {"7, 3", {seven, Value::scalar(3)}, {3, 3}, std::vector<double>(9, 7)},
      {"7, [2 3 2]", {seven, Value::row({2, 3, 2})}, {2, 3, 2}, std::vector<double>(12, 7)},
      {"7, 0, 3", {seven, Value::scalar(0), Value::scalar(3)}, {0, 3}, {}},
      {"[1 2], 2, 2",
       {Value::row({1, 2}), Value::scalar(2), Value::scalar(2)},
       {2, 4},
       {1, 1, 2, 2, 1, 1, 2, 2}},
      {"[1; 2], 1, 3",
       {Value::column({1, 2}), Value::scalar(1), Value::scalar(3)},
       {2, 3},
       {1, 2, 1, 2, 1, 2}},
      {"[1 2], [2 3]",
       {Value::row({1, 2}), Value::row({2, 3})},
       {2, 6},
       {1, 1, 2, 2, 1, 1, 2, 2, 1, 1, 2, 2}},
      {"[1 2; 3 4], [1 1 2]",
       {mat(2, 2, {1, 3, 2, 4}), Value::row({1, 1, 2})},
       {2, 2, 2},
       {1, 3, 2, 4, 1, 3, 2, 4}},
      {"[1 2], 0, 2", {Value::row({1, 2}), Value::scalar(0), Value::scalar(2)}, {0, 4}, {}},
  };
  for (const Case& c : cases) {
    const auto out = kt::call("repmat", 1, c.args);
    ASSERT_EQ(out.size(), 1u) << c.what;
    ASSERT_EQ(out[0].dims(), c.dims) << c.what;
    for (std::size_t i = 0; i < c.want.size(); ++i)
      EXPECT_EQ(out[0].at(i), c.want[i]) << c.what << " @" << i;
  }
}

TEST(Repmat, ThreeDimensionalInputTakesTheGeneralPath) {
  Value a = Value::numeric({1, 2, 2});
  for (std::size_t i = 0; i < 4; ++i) a.mutRe()[i] = static_cast<double>(i + 1);
  const auto out = kt::call("repmat", 1, {a, Value::scalar(2), Value::scalar(1)});
  ASSERT_EQ(out[0].dims(), (kh::Dims{2, 2, 2}));
  const std::vector<double> want = {1, 1, 2, 2, 3, 3, 4, 4};
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(out[0].at(i), want[i]);
}

TEST(Repmat, TextKeepsItsClass) {
  const auto out = kt::call(
      "repmat", 1, {Value::str(std::string_view("ab")), Value::scalar(2), Value::scalar(1)});
  ASSERT_TRUE(out[0].isChar());
  EXPECT_EQ(out[0].dims(), (kh::Dims{2, 2}));
  EXPECT_EQ(out[0].utf8(), "aabb");
}

TEST(Repmat, NeedsTwoInputs) {
  EXPECT_EQ(kt::callError("repmat", 1, {Value::scalar(1)}), "Requires at least 2 inputs.");
}

}  // namespace
