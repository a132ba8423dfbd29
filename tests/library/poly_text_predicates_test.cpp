// The helpers on the polynomial road: int2str and log10 (the estimator's
// messages and num2str use them) and the type predicates.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/library.h"

namespace {

using kh::Value;

std::vector<std::string> rows(const Value& s) {
  std::vector<std::string> r;
  for (std::size_t i = 0; i < s.rows(); ++i) r.push_back(s.rowUtf8(i));
  return r;
}

Value int2str(Value x) {
  auto out = kt::call("int2str", 1, {std::move(x)});
  return out.empty() ? Value() : out[0];
}

TEST(Int2str, Scalars) {
  struct Case {
    Value x;
    std::string text;
  } cases[] = {
      {Value::scalar(2.7), "3"},         {Value::scalar(-12.2), "-12"},
      {Value::scalar(INFINITY), "Inf"},  {Value::scalar(std::nan("")), "NaN"},
      {Value::complexScalar(3, 4), "3"},
  };
  for (const Case& c : cases) {
    const Value s = int2str(c.x);
    EXPECT_TRUE(s.isChar());
    EXPECT_EQ(s.utf8(), c.text);
  }
}

TEST(Int2str, MatricesAreRightAlignedAndTrimmed) {
  EXPECT_EQ(rows(int2str(Value::row({1, 22, 333}))), (std::vector<std::string>{"1   22  333"}));
  EXPECT_EQ(rows(int2str(Value::row({0, 0}))), (std::vector<std::string>{"0  0"}));
  EXPECT_EQ(rows(int2str(Value::column({1, -1}))), (std::vector<std::string>{" 1", "-1"}));
  const Value e = int2str(Value::empty());
  EXPECT_TRUE(e.isEmpty());
  EXPECT_TRUE(e.isChar());
}

TEST(Log10, ValuesAndMessage) {
  auto a = kt::call("log10", 1, {Value::row({1000, 0, 1})});
  EXPECT_NEAR(a[0].at(0), 3, 1e-15);
  EXPECT_EQ(a[0].at(1), -INFINITY);
  EXPECT_EQ(a[0].at(2), 0);
  auto c = kt::call("log10", 1, {Value::scalar(-1)});
  EXPECT_TRUE(c[0].isComplex());
  EXPECT_NEAR(c[0].cat(0).imag(), M_PI / std::log(10.0), 1e-15);
  EXPECT_EQ(kt::callError("log10", 1, {}), "Not enough input arguments.");
}

TEST(TypePredicates, NumericAndStruct) {
  struct Case {
    const char* fn;
    Value x;
    bool want;
  } cases[] = {
      {"isnumeric", Value::row({1, 2}), true},
      {"isnumeric", Value::empty(), true},
      {"isnumeric", Value::str("a"), false},
      {"isnumeric", Value::cell({1, 1}), false},
      {"isstruct", Value::structArray({1, 1}, {"a"}), true},
      {"isstruct", Value::scalar(1), false},
  };
  for (const Case& c : cases) {
    auto r = kt::call(c.fn, 1, {c.x});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].at(0) != 0, c.want) << c.fn;
  }
  EXPECT_EQ(kt::callError("isstruct", 1, {Value::scalar(1), Value::scalar(2)}),
            "Run-time Error: File: isstruct Line: 1 Column: 1 The function \"isstruct\" was called "
            "with more than the declared number of inputs (1).");
}

}  // namespace
