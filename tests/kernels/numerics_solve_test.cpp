// Matrix division: triangular, square and least-squares solves, their
// warnings, and integer matrix powers.
#include <gtest/gtest.h>

#include "host/context/output.h"
#include "host/context/warnings.h"
#include "host/core/errors.h"
#include "host/kernels/arith/matrix.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::C;
using test::data;
using test::M;
using test::R;

void expectNear(const Value& got, const std::vector<double>& want, double tol = 1e-12) {
  ASSERT_EQ(got.numel(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got.re()[i], want[i], tol) << i;
}

struct SolveCase {
  const char* name;
  Value a, b;
  std::vector<double> x;
};

class LeftDivide : public ::testing::TestWithParam<SolveCase> {};

TEST_P(LeftDivide, KnownAnswerWithoutWarning) {
  OutputCapture out;
  expectNear(mldivide(GetParam().a, GetParam().b), GetParam().x);
  EXPECT_EQ(out.text(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Systems, LeftDivide,
    ::testing::Values(
        SolveCase{"upper", M({{2, 1}, {0, 4}}), C({5, 8}), {1.5, 2}},
        SolveCase{"lower", M({{2, 0}, {1, 4}}), C({4, 10}), {2, 2}},
        SolveCase{"general", M({{0, 2, 1}, {1, 1, 1}, {2, 1, 0}}), C({5, 4, 4}), {1, 2, 1}},
        SolveCase{"severalRightSides", M({{4, 1}, {2, 3}}), M({{5, 9}, {5, 11}}), {1, 1, 1.6, 2.6}},
        SolveCase{"scalar", test::S(2), R({2, 4}), {1, 2}},
        // Line through (0,1), (1,3), (2,5), (3,7) by least squares.
        SolveCase{"overdetermined", M({{1, 0}, {1, 1}, {1, 2}, {1, 3}}), C({1, 3, 5, 7}), {1, 2}},
        SolveCase{"emptySystem", Value::matrix(0, 3), Value::matrix(0, 2), {0, 0, 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RightDivide, IsTheTransposedLeftDivision) {
  // x * [2 1; 1 3] = [4 7]  ->  x = [1 2]
  expectNear(mrdivide(R({4, 7}), M({{2, 1}, {1, 3}})), {1, 2});
  EXPECT_EQ(mrdivide(R({4, 7}), M({{2, 1}, {1, 3}})).dims(), (Dims{1, 2}));
  expectNear(mrdivide(R({2, 4}), test::S(2)), {1, 2});
}

TEST(Divide, DimensionMismatchIsAnError) {
  try {
    mldivide(M({{1, 2}, {3, 4}}), C({1, 2, 3}));
    FAIL();
  } catch (const MError& e) {
    EXPECT_STREQ(e.what(), "Matrix dimensions must agree.");
  }
  EXPECT_THROW(mrdivide(R({1, 2, 3}), M({{1, 2}, {3, 4}})), MError);
}

struct WarnCase {
  const char* name;
  Value a, b;
  std::string text;
};

class DivideWarning : public ::testing::TestWithParam<WarnCase> {};

TEST_P(DivideWarning, PrintedOnlyWhenWarningsAreOn) {
  WarningStateGuard keep;
  for (bool on : {true, false}) {
    setWarningsOn(on);
    clearLastWarning();
    OutputCapture out;
    (void)mldivide(GetParam().a, GetParam().b);
    const std::string& want = GetParam().text;
    if (want.back() == '*') {
      const std::string prefix = want.substr(0, want.size() - 1);
      EXPECT_EQ(lastWarning().substr(0, prefix.size()), prefix);
    } else {
      EXPECT_EQ(lastWarning(), want);
    }
    EXPECT_EQ(out.text().empty(), !on);
    if (on) {
      EXPECT_EQ(out.text(), "Warning: " + lastWarning() + "\n");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DivideWarning,
    ::testing::Values(WarnCase{"singularGeneral", M({{1, 2}, {2, 4}}), C({1, 2}),
                               "Matrix is singular to working precision."},
                      WarnCase{"singularTriangular", M({{1, 2}, {0, 0}}), C({1, 2}),
                               "Matrix is singular to working precision."},
                      WarnCase{"nearlySingular", M({{1, 1}, {1, 1 + 1e-17 + 2.3e-16}}), C({1, 2}),
                               "Matrix is close to singular or badly scaled.\n"
                               "         Results may be inaccurate. RCOND = *"},
                      WarnCase{"rankDeficient", M({{1, 2}, {2, 4}, {3, 6}}), C({1, 2, 3}),
                               "Rank deficient, rank = 1,  tol = *"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Divide, RankDeficientGivesABasicSolution) {
  WarningStateGuard keep;
  setWarningsOn(false);
  // Columns 1 and 2 are parallel: one coefficient is zero and the fit exact.
  const Value x = mldivide(M({{1, 2}, {2, 4}, {3, 6}}), C({2, 4, 6}));
  const std::vector<double> v = data(x);
  EXPECT_TRUE(v[0] == 0.0 || v[1] == 0.0);
  EXPECT_NEAR(v[0] + 2 * v[1], 2.0, 1e-12);
}

TEST(Divide, UnderdeterminedSystemFromTwoPoints) {
  WarningStateGuard keep;
  setWarningsOn(false);
  // A 2-by-3 triangular factor as a quadratic fit through two points leaves.
  const Value x = mldivide(M({{1, 2, 3}, {0, 1, 1}}), C({6, 2}));
  EXPECT_EQ(x.dims(), (Dims{3, 1}));
  const Value back = mtimes(M({{1, 2, 3}, {0, 1, 1}}), x);
  expectNear(back, {6, 2});
}

TEST(Power, SquareMatrixToIntegerPowers) {
  const Value a = M({{1, 1}, {0, 2}});
  expectNear(mpower(a, test::S(3)), {1, 0, 7, 8});
  expectNear(mpower(a, test::S(0)), {1, 0, 0, 1});
  expectNear(mpower(a, test::S(-1)), {1, 0, -0.5, 0.5});
  EXPECT_THROW(mpower(a, test::S(0.5)), MError);
  EXPECT_THROW(mpower(M({{1, 2, 3}}), test::S(2)), MError);
}

}  // namespace
}  // namespace kh
