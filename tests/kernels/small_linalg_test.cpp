// Small dense linear algebra: products, transposes, solves, factorizations,
// norms, sorting and the array builders on the sizes of a polynomial fit,
// checked against independent references (plain loops and Eigen).
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "host/builtins/registry.h"
#include "host/context/output.h"
#include "host/context/warnings.h"
#include "host/core/errors.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/arrays/construct.h"
#include "host/kernels/arrays/sort.h"
#include "host/kernels/linalg/decomp.h"
#include "host/kernels/linalg/linalg.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

// The built-in fn called by name, as the command window calls it: the
// reader of its arguments and the kernel together.
Value byName(const char* fn, ValueList args) { return callBuiltin(*findBuiltin(fn), 1, args)[0]; }

using test::C;
using test::data;
using test::M;
using test::R;
using test::S;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

Value randomMatrix(std::mt19937& g, std::size_t m, std::size_t n) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Value v = Value::matrix(m, n);
  for (std::size_t i = 0; i < m * n; ++i) v.mutRe()[i] = u(g);
  return v;
}

Eigen::MatrixXd eig(const Value& v) { return realMatrix(v, "test"); }

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectSameBits(const Value& got, const Eigen::MatrixXd& want) {
  ASSERT_EQ(got.rows(), static_cast<std::size_t>(want.rows()));
  ASSERT_EQ(got.cols(), static_cast<std::size_t>(want.cols()));
  for (Eigen::Index i = 0; i < want.size(); ++i)
    EXPECT_TRUE(sameBits(got.re()[i], want.data()[i]))
        << i << ": " << got.re()[i] << " vs " << want.data()[i];
}

// ---- products ----

// Each element summed over the inner index in order, starting from zero.
std::vector<double> naiveProduct(const Value& a, const Value& b) {
  const std::size_t m = a.rows(), k = a.cols(), n = b.cols();
  std::vector<double> z(m * n);
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = 0; i < m; ++i) {
      double s = 0.0;
      for (std::size_t p = 0; p < k; ++p) s += a.re()[i + p * m] * b.re()[p + j * k];
      z[i + j * m] = s;
    }
  return z;
}

TEST(SmallProduct, EveryShapeMatchesTheOrderedSum) {
  std::mt19937 g(7);
  // Row counts below and above the blocked width, inner sizes short and long,
  // and row counts that leave a remainder after blocks of four.
  const std::size_t shapes[][3] = {{3, 100, 1}, {100, 3, 1}, {1, 5, 7},   {2, 2, 2}, {7, 3, 5},
                                   {9, 16, 2},  {6, 17, 3},  {40, 40, 4}, {4, 1, 4}, {5, 30, 1}};
  for (const auto& s : shapes) {
    const Value a = randomMatrix(g, s[0], s[1]), b = randomMatrix(g, s[1], s[2]);
    const Value z = mtimes(a, b);
    EXPECT_EQ(z.dims(), (Dims{s[0], s[2]}));
    const std::vector<double> want = naiveProduct(a, b);
    for (std::size_t i = 0; i < want.size(); ++i)
      EXPECT_TRUE(sameBits(z.re()[i], want[i]))
          << s[0] << "x" << s[1] << "x" << s[2] << " at " << i;
  }
}

TEST(SmallProduct, EmptyInnerDimensionGivesZerosAndSignedZerosSumToZero) {
  const Value z = mtimes(Value::matrix(3, 0), Value::matrix(0, 2));
  EXPECT_EQ(z.dims(), (Dims{3, 2}));
  EXPECT_EQ(data(z), std::vector<double>(6, 0.0));
  // 0 + (-0) + (-0) is +0, as the element-by-element accumulation gives it.
  const Value w = mtimes(M({{-0.0, -0.0}, {-0.0, -0.0}, {-0.0, -0.0}, {-0.0, -0.0}}), C({1, 1}));
  for (double x : data(w)) EXPECT_FALSE(std::signbit(x));
  // Characters multiply as their codes.
  EXPECT_EQ(data(mtimes(test::T("ab"), C({1, 1}))), (std::vector<double>{97 + 98}));
}

// ---- transposes ----

TEST(SmallTranspose, MatricesVectorsAndClasses) {
  std::mt19937 g(3);
  for (const auto& [m, n] :
       {std::pair<std::size_t, std::size_t>{100, 3}, {3, 100}, {7, 9}, {2, 2}}) {
    const Value a = randomMatrix(g, m, n);
    const Value t = transpose(a);
    EXPECT_EQ(t.dims(), (Dims{n, m}));
    for (std::size_t i = 0; i < m; ++i)
      for (std::size_t j = 0; j < n; ++j) EXPECT_EQ(t.re()[j + i * n], a.re()[i + j * m]);
  }
  // A vector keeps its data; writing to either side leaves the other alone.
  const Value row = R({1, 2, 3});
  Value col = ctranspose(row);
  EXPECT_EQ(col.dims(), (Dims{3, 1}));
  col.mutRe()[0] = 9;
  EXPECT_EQ(data(row), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(data(col), (std::vector<double>{9, 2, 3}));
  // Logical and character values keep their class.
  const Value l = transpose(test::L({1, 0, 1}));
  EXPECT_TRUE(l.isLogical());
  EXPECT_EQ(l.dims(), (Dims{3, 1}));
  const Value lm = transpose(M({{1, 0}, {0, 1}, {1, 1}}));
  EXPECT_FALSE(lm.isLogical());
  const Value c = transpose(test::T("abc"));
  EXPECT_TRUE(c.isChar());
  EXPECT_EQ(c.dims(), (Dims{3, 1}));
  EXPECT_EQ(c.utf8(), "abc");
  // Cell vectors keep their elements.
  Value cells = Value::cell({1, 2});
  cells.mutCellAt(1) = S(5);
  const Value ct = transpose(cells);
  EXPECT_TRUE(ct.isCell());
  EXPECT_EQ(ct.dims(), (Dims{2, 1}));
  EXPECT_EQ(ct.cellAt(1).at(0), 5.0);
  // Complex vectors: ' conjugates, .' does not.
  Value z = Value::numeric({1, 2}, true);
  z.mutRe()[0] = 1;
  z.mutIm()[0] = 2;
  z.mutRe()[1] = 3;
  z.mutIm()[1] = -4;
  EXPECT_EQ(test::imagData(ctranspose(z)), (std::vector<double>{-2, 4}));
  EXPECT_EQ(test::imagData(transpose(z)), (std::vector<double>{2, -4}));
  EXPECT_EQ(ctranspose(z).dims(), (Dims{2, 1}));
}

// ---- solves ----

TEST(SmallSolve, TriangularSystemsMatchTheGeneralTriangularSolver) {
  // The same bits as the blocked triangular solver gives, for orders on both
  // sides of the size below which the direct substitution is used.
  std::mt19937 g(11);
  WarningStateGuard keep;
  setWarningsOn(false);
  for (std::size_t n = 2; n <= 10; ++n)
    for (std::size_t nrhs : {1, 2, 3}) {
      Value u = randomMatrix(g, n, n), l = randomMatrix(g, n, n);
      for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i = 0; i < n; ++i) {
          if (i > j) u.mutRe()[i + j * n] = 0.0;
          if (i < j) l.mutRe()[i + j * n] = 0.0;
          if (i == j) {
            u.mutRe()[i + j * n] += 2.0;
            l.mutRe()[i + j * n] -= 2.0;
          }
        }
      const Value b = randomMatrix(g, n, nrhs);
      const Eigen::MatrixXd bu = eig(u).triangularView<Eigen::Upper>().solve(eig(b));
      const Eigen::MatrixXd bl = eig(l).triangularView<Eigen::Lower>().solve(eig(b));
      expectSameBits(mldivide(u, b), bu);
      expectSameBits(mldivide(l, b), bl);
    }
}

TEST(SmallSolve, GeneralSystemsSolveAndPivotRowExchangedFactors) {
  std::mt19937 g(5);
  WarningStateGuard keep;
  setWarningsOn(false);
  for (std::size_t n = 2; n <= 10; ++n) {
    const Value a = randomMatrix(g, n, n), b = randomMatrix(g, n, 2);
    const Eigen::MatrixXd want = eig(a).fullPivLu().solve(eig(b));
    const Eigen::MatrixXd got = eig(mldivide(a, b));
    const double cond = eig(a).inverse().cwiseAbs().colwise().sum().maxCoeff() *
                        eig(a).cwiseAbs().colwise().sum().maxCoeff();
    EXPECT_LT((got - want).norm(), 1e-14 * cond * std::max(1.0, want.norm())) << n;
  }
  // A permuted lower triangle (the first factor of [L, U] = lu(A)) is not
  // triangular and is solved through its own factorization.
  const LuResult f = lu(M({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}), false);
  const Value x = mldivide(f.l, C({1, 2, 3}));
  const Value back = mtimes(f.l, x);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(back.re()[i], static_cast<double>(i + 1), 1e-14);
}

// The warning is recorded even when warnings are off: the last warning is
// there to be queried afterwards.
std::string warningOf(const Value& a, const Value& b) {
  WarningStateGuard keep;
  setWarningsOn(false);
  clearLastWarning();
  OutputCapture out;
  (void)mldivide(a, b);
  EXPECT_EQ(out.text(), "");
  return lastWarning();
}

TEST(SmallSolve, ConditioningWarningsWithWarningsOff) {
  const std::string close =
      "Matrix is close to singular or badly scaled.\n"
      "         Results may be inaccurate. RCOND = ";
  const std::string singular = "Matrix is singular to working precision.";
  // norm(A, 1) = 1 and norm(inv(A), 1) = 2e17 exactly as computed.
  EXPECT_EQ(warningOf(M({{1, 1}, {0, 1e-17}}), C({1, 1})), close + "5e-18.");
  EXPECT_EQ(warningOf(M({{1, 0}, {1, 1e-17}}), C({1, 1})), close + "5e-18.");
  // A general 3-by-3 one: rows 2 and 3 almost equal.
  const std::string general =
      warningOf(M({{2, 1, 1}, {1, 3, 2}, {1, 3, 2 + 1e-16 * 4}}), C({1, 2, 3}));
  EXPECT_EQ(general.substr(0, close.size()), close);
  EXPECT_EQ(warningOf(M({{1, 2, 3}, {0, 0, 1}, {0, 0, 2}}), C({1, 2, 3})), singular);
  EXPECT_EQ(warningOf(M({{1, 2, 3}, {2, 4, 6}, {1, 0, 1}}), C({1, 2, 3})), singular);
  // A NaN makes the conditioning unknown: treated as singular.
  EXPECT_EQ(warningOf(M({{1, 2, 3}, {4, kNaN, 6}, {7, 8, 10}}), C({1, 2, 3})), singular);
  EXPECT_EQ(warningOf(M({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}), C({1, 2, 3})), "");
  // No right-hand side columns: nothing to solve and nothing to warn about.
  EXPECT_EQ(warningOf(M({{1, 2}, {2, 4}}), Value::matrix(2, 0)), "");
  EXPECT_EQ(mldivide(M({{1, 2}, {2, 4}}), Value::matrix(2, 0)).dims(), (Dims{2, 0}));
}

// ---- factorizations ----

TEST(SmallFactor, LuMatchesAnIndependentPartialPivoting) {
  // Eigen's partial-pivoting LU picks the same pivots on distinct magnitudes.
  std::mt19937 g(9);
  for (std::size_t n = 1; n <= 20; n += 3) {
    const Value a = randomMatrix(g, n, n);
    const LuResult f = lu(a, true);
    Eigen::PartialPivLU<Eigen::MatrixXd> ref(eig(a));
    const Eigen::MatrixXd p = ref.permutationP().toDenseMatrix().cast<double>();
    EXPECT_EQ(eig(f.p), p) << n;
    const Eigen::MatrixXd packed = ref.matrixLU();
    const Eigen::MatrixXd u = packed.triangularView<Eigen::Upper>();
    Eigen::MatrixXd l = packed.triangularView<Eigen::StrictlyLower>();
    l.diagonal().setOnes();
    EXPECT_LT((eig(f.u) - u).norm(), 1e-12 * n) << n;
    EXPECT_LT((eig(f.l) - l).norm(), 1e-12 * n) << n;
    // Two outputs: the row-exchanged L.
    EXPECT_EQ(eig(lu(a, false).l), p.transpose() * eig(f.l)) << n;
  }
}

TEST(SmallFactor, QrOfTallMatricesOfEveryLength) {
  // Lengths that leave every remainder after the unrolled loops.
  std::mt19937 g(13);
  for (std::size_t m = 1; m <= 12; ++m)
    for (std::size_t n : {1, 3}) {
      const Value a = randomMatrix(g, m, n);
      const QrResult f = qr(a, true);
      const Eigen::MatrixXd q = eig(f.q), r = eig(f.r);
      const std::size_t k = std::min(m, n);
      EXPECT_LT((q * r - eig(a)).norm(), 1e-14 * 10) << m << "x" << n;
      EXPECT_LT((q.transpose() * q - Eigen::MatrixXd::Identity(k, k)).norm(), 1e-14 * 10);
      Eigen::HouseholderQR<Eigen::MatrixXd> ref(eig(a));
      for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i = 0; i <= std::min(j, k - 1); ++i)
          EXPECT_NEAR(r(i, j), ref.matrixQR()(i, j), 1e-14 * 10) << m << "x" << n;
    }
  // The Vandermonde matrix of a quadratic fit on 100 points.
  Value v = Value::matrix(100, 3);
  for (std::size_t i = 0; i < 100; ++i) {
    const double x = -1.0 + 2.0 * static_cast<double>(i) / 99.0;
    v.mutRe()[i] = x * x;
    v.mutRe()[i + 100] = x;
    v.mutRe()[i + 200] = 1.0;
  }
  const QrResult f = qr(v, true);
  EXPECT_LT((eig(f.q) * eig(f.r) - eig(v)).norm(), 1e-13);
}

// ---- norms ----

TEST(SmallNorm, VectorAndMatrixNorms) {
  EXPECT_DOUBLE_EQ(norm(C({3, 4}), nullptr).at(0), 5.0);
  // Scaled: neither overflow nor underflow.
  EXPECT_DOUBLE_EQ(norm(R({3e200, -4e200}), nullptr).at(0), 5e200);
  EXPECT_DOUBLE_EQ(norm(R({3e-200, 4e-200}), nullptr).at(0), 5e-200);
  EXPECT_EQ(norm(R({0, 0, 0}), nullptr).at(0), 0.0);
  EXPECT_TRUE(std::isnan(norm(R({1, kNaN, kInf}), nullptr).at(0)));
  EXPECT_EQ(norm(R({1, kInf, 2}), nullptr).at(0), kInf);
  const Value fro = test::T("fro");
  EXPECT_DOUBLE_EQ(norm(M({{1, 2}, {2, 4}}), &fro).at(0), 5.0);
  const Value one = S(1);
  EXPECT_EQ(norm(M({{1, -2}, {-3, 4}, {5, 0}}), &one).at(0), 9.0);
  EXPECT_TRUE(std::isnan(norm(M({{1, kNaN}, {3, 4}}), &one).at(0)));
  EXPECT_EQ(norm(M({{1, kInf}, {3, 4}}), &one).at(0), kInf);
  // Against a plain sum for a 100-vector.
  std::mt19937 g(1);
  const Value x = randomMatrix(g, 100, 1);
  double s = 0;
  for (double e : data(x)) s += e * e;
  EXPECT_NEAR(norm(x, nullptr).at(0), std::sqrt(s), 1e-14);
}

// ---- sorting ----

TEST(SmallSort, StableWithNanLastAlongEitherDimension) {
  const Sorted s = sortAlong(R({3, kNaN, 1, 3, -0.0, 0.0}));
  const std::vector<double> v = data(s.values);
  EXPECT_EQ(std::vector<double>(v.begin(), v.begin() + 5),
            (std::vector<double>{-0.0, 0.0, 1, 3, 3}));
  EXPECT_TRUE(std::signbit(v[0]));
  EXPECT_TRUE(std::isnan(v[5]));
  EXPECT_EQ(data(s.index), (std::vector<double>{5, 6, 3, 1, 4, 2}));
  EXPECT_FALSE(s.values.isLogical());
  // Columns of a matrix, then its rows.
  const Value a = M({{3, 1}, {1, 2}, {2, 0}});
  EXPECT_EQ(data(sortAlong(a).index), (std::vector<double>{2, 3, 1, 3, 1, 2}));
  EXPECT_EQ(data(sortAlong(a, 1).values), (std::vector<double>{1, 1, 0, 3, 2, 2}));
  EXPECT_EQ(data(sortAlong(a, 1).index), (std::vector<double>{2, 1, 2, 1, 2, 1}));
  // Logical input sorts to doubles; an empty input stays empty.
  EXPECT_FALSE(sortAlong(test::L({1, 0})).values.isLogical());
  EXPECT_EQ(sortAlong(Value::matrix(0, 3)).values.dims(), (Dims{0, 3}));
  // Long runs against a reference stable sort, with many ties.
  std::mt19937 g(2);
  std::uniform_int_distribution<int> d(0, 9);
  std::vector<double> x(50);
  for (double& e : x) e = d(g);
  const Sorted t = sortAlong(C(x));
  std::vector<std::size_t> order(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t p, std::size_t q) { return x[p] < x[q]; });
  for (std::size_t i = 0; i < x.size(); ++i) {
    EXPECT_EQ(t.index.re()[i], static_cast<double>(order[i] + 1));
    EXPECT_EQ(t.values.re()[i], x[order[i]]);
  }
}

// ---- builders ----

TEST(SmallBuild, SizesIdentitiesAndDiagonals) {
  EXPECT_EQ(byName("zeros", {S(100), S(1)}).dims(), (Dims{100, 1}));
  EXPECT_EQ(data(byName("zeros", {S(3), S(1)})), (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(byName("zeros", {S(-2), S(3)}).dims(), (Dims{0, 3}));
  EXPECT_EQ(byName("zeros", {S(2.7)}).dims(), (Dims{2, 2}));
  EXPECT_THROW(byName("zeros", {S(kNaN), S(1)}), MError);
  EXPECT_EQ(data(byName("eye", {S(3)})), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_EQ(data(byName("eye", {S(2), S(3)})), (std::vector<double>{1, 0, 0, 1, 0, 0}));
  const Value a = M({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  EXPECT_EQ(data(diag(a)), (std::vector<double>{1, 5, 9}));
  EXPECT_EQ(data(diag(a, 1)), (std::vector<double>{2, 6}));
  EXPECT_EQ(data(diag(a, -2)), (std::vector<double>{7}));
  EXPECT_EQ(diag(a, 3).dims(), (Dims{0, 1}));
  EXPECT_EQ(diag(a, -5).dims(), (Dims{0, 1}));
  EXPECT_EQ(data(diag(M({{1, 2, 3}, {4, 5, 6}}), 1)), (std::vector<double>{2, 6}));
  EXPECT_EQ(data(diag(M({{1, 2}, {3, 4}, {5, 6}}), -1)), (std::vector<double>{3, 6}));
  EXPECT_TRUE(diag(Value(M({{1, 0}, {0, 1}})), 0).dims() == (Dims{2, 1}));
  Value lg = M({{1, 0}, {0, 1}});
  lg.setLogical(true);
  EXPECT_TRUE(diag(lg).isLogical());
  // A vector goes onto a diagonal of a square matrix of doubles.
  EXPECT_EQ(data(diag(R({1, 2}), -1)), (std::vector<double>{0, 1, 0, 0, 0, 2, 0, 0, 0}));
  EXPECT_FALSE(diag(test::L({1, 1})).isLogical());
}

}  // namespace
}  // namespace kh
