// hanning and its order check through the loader.
#include <gtest/gtest.h>

#include <cmath>

#include "host/context/output.h"
#include "tests/support/library.h"

namespace {

using kh::Value;

Value text(const char* s) { return Value::str(std::string_view(s)); }

std::vector<double> hann(int n) {
  std::vector<double> w;
  for (int k = 1; k <= n; ++k) w.push_back(0.5 * (1 - std::cos(2 * M_PI * k / (n + 1))));
  return w;
}

TEST(Hanning, Windows) {
  struct Case {
    const char* what;
    kh::ValueList args;
    std::vector<double> want;
  };
  const double a = 0.5 * (1 - std::cos(2 * M_PI / 5)), b = 0.5 * (1 - std::cos(4 * M_PI / 5));
  const Case cases[] = {
      {"4 points", {Value::scalar(4)}, {a, b, b, a}},
      {"3 points", {Value::scalar(3)}, {0.5, 1, 0.5}},
      {"2 points", {Value::scalar(2)}, {0.75, 0.75}},
      {"1 point", {Value::scalar(1)}, {1}},
      {"periodic 4", {Value::scalar(4), text("periodic")}, {0, 0.5, 1, 0.5}},
      {"periodic 2", {Value::scalar(2), text("periodic")}, {0, 1}},
      {"P", {Value::scalar(5), text("P")}, {0, a, b, b, a}},
      {"sym", {Value::scalar(5), text("sym")}, hann(5)},
      {"SYMMETRIC", {Value::scalar(6), text("SYMMETRIC")}, hann(6)},
      {"1 point ignores a bad flag", {Value::scalar(1), text("x")}, {1}},
      {"odd length", {Value::scalar(101)}, hann(101)},
      {"even length", {Value::scalar(64)}, hann(64)},
  };
  for (const Case& c : cases) {
    const auto out = kt::call("hanning", 1, c.args);
    ASSERT_EQ(out.size(), 1u) << c.what;
    ASSERT_EQ(out[0].dims(), (kh::Dims{c.want.size(), 1})) << c.what;
    for (std::size_t i = 0; i < c.want.size(); ++i)
      EXPECT_NEAR(out[0].at(i), c.want[i], 1e-15) << c.what << " @" << i;
  }
}

TEST(Hanning, LongWindowPeakAndEnds) {
  const auto out = kt::call("hanning", 1, {Value::scalar(2049)});
  ASSERT_EQ(out[0].numel(), 2049u);
  EXPECT_DOUBLE_EQ(out[0].at(1024), 1.0);
  const double end = 0.5 * (1 - std::cos(2 * M_PI / 2050));
  EXPECT_NEAR(out[0].at(0), end, 1e-18);
  EXPECT_NEAR(out[0].at(2048), end, 1e-18);
}

TEST(Hanning, ZeroAndEmptyLengthGiveAnEmptyColumn) {
  for (const Value& n : {Value::scalar(0), Value::empty()}) {
    const auto out = kt::call("hanning", 1, {n, text("nonsense")});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].dims(), (kh::Dims{0, 1}));
  }
}

TEST(Hanning, NonIntegerLengthWarnsAndRounds) {
  kh::OutputCapture capture;
  const auto out = kt::call("hanning", 1, {Value::scalar(2.4)});
  ASSERT_EQ(out[0].numel(), 2u);
  EXPECT_DOUBLE_EQ(out[0].at(0), 0.75);
  EXPECT_NE(capture.text().find("Warning: Rounding order to nearest integer."), std::string::npos)
      << capture.text();
}

TEST(Hanning, Failures) {
  struct Case {
    const char* what;
    kh::ValueList args;
    const char* error;
  };
  const char* flag = "Sampling flag must be either 'symmetric' or 'periodic'.";
  const Case cases[] = {
      {"no input", {}, "Not enough input arguments."},
      {"three inputs", {Value::scalar(4), text("s"), text("s")}, "Too many input arguments."},
      {"negative", {Value::scalar(-1)}, "Order cannot be less than zero."},
      {"unknown flag", {Value::scalar(5), text("x")}, flag},
      {"empty flag matches both", {Value::scalar(5), Value::str(std::u16string_view())}, flag},
  };
  for (const Case& c : cases) EXPECT_EQ(kt::callError("hanning", 1, c.args), c.error) << c.what;
}

TEST(CheckOrder, ThreeOutputs) {
  struct Case {
    Value n;
    double nOut;
    std::size_t wRows;
    double trivial;
  };
  const Case cases[] = {
      {Value::scalar(0), 0, 0, 1},
      {Value::scalar(1), 1, 1, 1},
      {Value::scalar(7), 7, 0, 0},
  };
  for (const Case& c : cases) {
    const auto out = kt::call("signal/private/check_order", 3, {c.n});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].at(0), c.nOut);
    EXPECT_EQ(out[1].rows(), c.wRows);
    EXPECT_EQ(out[2].at(0), c.trivial);
  }
  // Order 7 needs a computed window: w is the empty matrix.
  const auto out = kt::call("signal/private/check_order", 3, {Value::scalar(7)});
  EXPECT_EQ(out[1].dims(), (kh::Dims{0, 0}));
}

TEST(Hanning, LeavesNothingAlive) {
  const std::size_t before = kt::liveArrays();
  kt::call("hanning", 1, {Value::scalar(9), text("periodic")});
  kt::callError("hanning", 1, {Value::scalar(9), text("q")});
  kt::callError("hanning", 1, {Value::scalar(-2)});
  EXPECT_EQ(kt::liveArrays(), before);
}

}  // namespace
