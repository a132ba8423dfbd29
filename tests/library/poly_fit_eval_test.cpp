// polyfit and polyval through the loader: results, the error structure,
// centring, the warnings and notices they print, and their messages.
#include <gtest/gtest.h>

#include <cmath>

#include "host/context/output.h"
#include "host/context/warnings.h"
#include "tests/support/library.h"

namespace {

using kh::Value;

Value row(std::initializer_list<double> v) { return Value::row(v); }
Value col(std::initializer_list<double> v) { return Value::column(v); }

const Value& field(const Value& s, const char* name) {
  const int f = s.fieldIndex(name);
  EXPECT_GE(f, 0) << name;
  return s.fieldAt(0, static_cast<std::size_t>(f < 0 ? 0 : f));
}

TEST(Polyfit, ExactQuadraticAndStructure) {
  // y = 2x^2 - 3x + 1 at five points.
  auto out =
      kt::call("polyfit", 2, {row({0, 1, 2, 3, 4}), row({1, 0, 3, 10, 21}), Value::scalar(2)});
  ASSERT_EQ(out.size(), 2u);
  const Value& p = out[0];
  ASSERT_EQ(p.rows(), 1u);
  ASSERT_EQ(p.cols(), 3u);
  EXPECT_NEAR(p.at(0), 2, 1e-12);
  EXPECT_NEAR(p.at(1), -3, 1e-12);
  EXPECT_NEAR(p.at(2), 1, 1e-12);
  const Value& S = out[1];
  ASSERT_TRUE(S.isStruct());
  EXPECT_EQ(S.fieldNames(), (std::vector<std::string>{"R", "df", "normr"}));
  EXPECT_EQ(field(S, "R").rows(), 3u);
  EXPECT_EQ(field(S, "df").at(0), 2);
  EXPECT_NEAR(field(S, "normr").at(0), 0, 1e-12);
}

TEST(Polyfit, DegreeZeroIsTheMeanAndNormrIsTheResidualNorm) {
  auto out = kt::call("polyfit", 2, {col({1, 2, 3, 4}), col({1, 3, 2, 6}), Value::scalar(0)});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].numel(), 1u);
  EXPECT_NEAR(out[0].at(0), 3, 1e-12);
  EXPECT_EQ(field(out[1], "df").at(0), 3);
  EXPECT_NEAR(field(out[1], "normr").at(0), std::sqrt(4 + 0 + 1 + 9.0), 1e-12);
}

TEST(Polyfit, ThreeOutputsCentreAndScale) {
  auto out =
      kt::call("polyfit", 3, {row({1, 2, 3, 4, 5}), row({3, 5, 7, 9, 11}), Value::scalar(1)});
  ASSERT_EQ(out.size(), 3u);
  const Value& mu = out[2];
  ASSERT_EQ(mu.rows(), 2u);
  ASSERT_EQ(mu.cols(), 1u);
  const double sd = std::sqrt(2.5);
  EXPECT_NEAR(mu.at(0), 3, 1e-12);
  EXPECT_NEAR(mu.at(1), sd, 1e-12);
  // y = 2x + 1 = 2 sd u + 7 with u = (x - 3) / sd.
  EXPECT_NEAR(out[0].at(0), 2 * sd, 1e-12);
  EXPECT_NEAR(out[0].at(1), 7, 1e-12);
}

TEST(Polyfit, RejectsRowAgainstColumn) {
  EXPECT_EQ(kt::callError("polyfit", 1, {row({1, 2, 3}), col({1, 2, 3}), Value::scalar(1)}),
            "X and Y vectors must be the same size.");
}

TEST(Polyfit, NotUniqueWarningAndNegativeDf) {
  kh::OutputCapture out;
  auto r = kt::call("polyfit", 2, {row({1, 2}), row({1, 4}), Value::scalar(2)});
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(out.text(), "Warning: Polynomial is not unique; degree >= number of data points.\n");
  EXPECT_EQ(field(r[1], "R").rows(), 2u);
  EXPECT_EQ(field(r[1], "R").cols(), 3u);
  EXPECT_EQ(field(r[1], "df").at(0), -1);
}

TEST(Polyfit, BadlyConditionedWarningTexts) {
  // Nearly repeated abscissae far from the origin.
  const Value x = row({1e4, 1e4 + 1e-3, 1e4 + 2e-3, 1e4 + 3e-3});
  const Value y = row({1, 2, 3, 5});
  {
    kh::OutputCapture out;
    kt::call("polyfit", 1, {x, y, Value::scalar(2)});
    EXPECT_EQ(out.text(),
              "Warning: Polynomial is badly conditioned. Remove repeated data points\n"
              "         or try centering and scaling as described in HELP POLYFIT.\n");
  }
  {
    const Value close = row({0, 1e-7, 2e-7, 3e-7});
    kh::OutputCapture out;
    kt::call("polyfit", 3, {close, y, Value::scalar(3)});
    // With centring the fit is well conditioned.
    EXPECT_EQ(out.text(), "");
  }
  {
    const Value twice = row({1, 1, 1, 1 + 1e-9, 2});
    kh::OutputCapture out;
    kt::call("polyfit", 3, {twice, row({1, 1, 1, 1, 2}), Value::scalar(3)});
    EXPECT_EQ(out.text(),
              "Warning: Polynomial is badly conditioned. Remove repeated data points.\n");
  }
}

TEST(Polyfit, WarningStateIsRestoredAfterAnErrorInTheSilencedSolve) {
  // Cell ordinates pass the size test and fail in the product Q' * y, after
  // warnings were switched off for the solve.
  kh::setWarningsOn(true);
  EXPECT_NE(kt::callError("polyfit", 1, {row({1, 2, 3}), Value::cell({1, 3}), Value::scalar(1)}),
            "");
  EXPECT_TRUE(kh::warningsOn());
  kh::setWarningsOn(false);
  kt::callError("polyfit", 1, {row({1, 2, 3}), Value::cell({1, 3}), Value::scalar(1)});
  EXPECT_FALSE(kh::warningsOn());
  kh::setWarningsOn(true);
}

TEST(Polyval, FilterAndHornerCases) {
  auto a = kt::call("polyval", 1, {row({1, 2, 3}), Value::scalar(2)});
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].numel(), 1u);
  EXPECT_EQ(a[0].at(0), 11);

  Value x = Value::matrix(2, 2);
  double* d = x.mutRe();
  d[0] = 0, d[1] = 2, d[2] = 1, d[3] = 3;  // [0 1; 2 3]
  auto b = kt::call("polyval", 1, {row({1, 2, 3}), x});
  ASSERT_EQ(b[0].rows(), 2u);
  ASSERT_EQ(b[0].cols(), 2u);
  EXPECT_EQ(b[0].at(0), 3);
  EXPECT_EQ(b[0].at(1), 11);
  EXPECT_EQ(b[0].at(2), 6);
  EXPECT_EQ(b[0].at(3), 18);

  auto c = kt::call("polyval", 1, {Value::empty(), row({1, 2, 3})});
  ASSERT_EQ(c[0].numel(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(c[0].at(i), 0);
}

TEST(Polyval, InfiniteAbscissae) {
  struct Case {
    Value p;
    double atMinusInf;
  } cases[] = {{row({-1, 5, 7}), INFINITY}, {row({-4, 9}), -INFINITY}};
  for (const Case& c : cases) {
    auto r = kt::call("polyval", 1, {c.p, row({INFINITY, -INFINITY, 1})});
    ASSERT_EQ(r[0].numel(), 3u);
    EXPECT_EQ(r[0].at(0), INFINITY);
    EXPECT_EQ(r[0].at(1), c.atMinusInf);
  }
  // A scalar -Inf takes the filter case.
  auto s = kt::call("polyval", 1, {row({1, 0, 0}), Value::scalar(-INFINITY)});
  EXPECT_TRUE(std::isnan(s[0].at(0)) || s[0].at(0) == INFINITY);
}

TEST(Polyval, ErrorBoundsFromTheStructureAndTheMatrixForm) {
  const Value x = row({0, 1, 2, 3, 4});
  const Value y = row({1, 2, 2, 4, 7});
  auto fit = kt::call("polyfit", 2, {x, y, Value::scalar(1)});
  ASSERT_EQ(fit.size(), 2u);
  auto fromStruct = kt::call("polyval", 2, {fit[0], x, fit[1]});
  ASSERT_EQ(fromStruct.size(), 2u);
  const Value& delta = fromStruct[1];
  ASSERT_EQ(delta.rows(), 1u);
  ASSERT_EQ(delta.cols(), 5u);
  // normr/sqrt(df) * sqrt(1 + v inv(V'V) v') for the straight line through
  // five points: V'V = [30 10; 10 5], so v inv(V'V) v' = (5x^2 - 20x + 30)/50.
  const double normr = field(fit[1], "normr").at(0);
  for (int i = 0; i < 5; ++i) {
    const double xi = i;
    const double e = std::sqrt(1 + (5 * xi * xi - 20 * xi + 30) / 50.0);
    EXPECT_NEAR(delta.at(static_cast<std::size_t>(i)), normr / std::sqrt(3.0) * e, 1e-12) << i;
  }
  // Matrix form [R; df 0; normr 0].
  const Value& R = field(fit[1], "R");
  Value Sm = Value::matrix(4, 2);
  double* d = Sm.mutRe();
  d[0] = R.at(0), d[1] = R.at(1), d[2] = 3, d[3] = normr;
  d[4] = R.at(2), d[5] = R.at(3), d[6] = 0, d[7] = 0;
  auto fromMatrix = kt::call("polyval", 2, {fit[0], x, Sm});
  for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(fromMatrix[1].at(i), delta.at(i), 1e-12);
  EXPECT_EQ(kt::callError("polyval", 2, {fit[0], x, Value::matrix(5, 2)}),
            "S matrix must be n+2-by-n where n = length(p)");
  // One output: a wrongly sized S passes unnoticed.
  EXPECT_EQ(kt::call("polyval", 1, {fit[0], x, Value::matrix(5, 2)}).size(), 1u);
}

TEST(Polyval, ZeroDegreesOfFreedomPrintsTheNoticeAndInfBounds) {
  auto fit = kt::call("polyfit", 2, {row({1, 2, 3}), row({1, 4, 9}), Value::scalar(2)});
  kh::OutputCapture out;
  Value x = Value::matrix(2, 2);
  auto r = kt::call("polyval", 2, {fit[0], x, fit[1]});
  EXPECT_NE(out.text().find("Warning: zero degrees of freedom implies infinite error bounds."),
            std::string::npos);
  ASSERT_EQ(r[1].rows(), 2u);
  ASSERT_EQ(r[1].cols(), 2u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(r[1].at(i), INFINITY);
}

TEST(Polyval, CentringWithMu) {
  auto r = kt::call("polyval", 1, {row({2, 1}), row({3, 5}), Value::empty(), col({1, 2})});
  EXPECT_EQ(r[0].at(0), 3);  // u = 1
  EXPECT_EQ(r[0].at(1), 5);  // u = 2
}

}  // namespace
