// QR and LU factorizations: reconstruction, shapes and exact zero pivots.
#include <gtest/gtest.h>

#include <Eigen/Dense>

#include "host/core/errors.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/linalg/decomp.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::M;

double relativeError(const Value& got, const Value& want) {
  const Eigen::MatrixXd g = realMatrix(got, "test"), w = realMatrix(want, "test");
  const double scale = std::max(1.0, w.norm());
  return (g - w).norm() / scale;
}

bool upperTriangular(const Value& v) {
  for (std::size_t j = 0; j < v.cols(); ++j)
    for (std::size_t i = j + 1; i < v.rows(); ++i)
      if (v.re()[i + j * v.rows()] != 0.0) return false;
  return true;
}

struct Shape {
  const char* name;
  Value a;
};

class Factor : public ::testing::TestWithParam<Shape> {};

TEST_P(Factor, QrReconstructsFullAndEconomy) {
  const Value& a = GetParam().a;
  const std::size_t m = a.rows(), n = a.cols(), k = std::min(m, n);
  for (bool economy : {false, true}) {
    const QrResult f = qr(a, economy);
    const std::size_t qc = economy ? k : m;
    EXPECT_EQ(f.q.dims(), (Dims{m, qc}));
    EXPECT_EQ(f.r.dims(), (Dims{qc, n}));
    EXPECT_TRUE(upperTriangular(f.r));
    EXPECT_LT(relativeError(mtimes(f.q, f.r), a), 1e-12);
    // Orthonormal columns.
    const Eigen::MatrixXd q = realMatrix(f.q, "test");
    EXPECT_LT((q.transpose() * q - Eigen::MatrixXd::Identity(qc, qc)).norm(), 1e-12);
  }
}

TEST_P(Factor, QrFollowsTheHouseholderSignConvention) {
  // R's diagonal has the sign opposite to the pivot it replaces, as a
  // reference Householder factorization gives it; a column already zero
  // below the diagonal is left alone.
  const Value& a = GetParam().a;
  const Eigen::MatrixXd m = realMatrix(a, "test");
  Eigen::HouseholderQR<Eigen::MatrixXd> ref(m);
  const QrResult f = qr(a, true);
  const Eigen::MatrixXd r = realMatrix(f.r, "test");
  for (Eigen::Index j = 0; j < r.cols(); ++j)
    for (Eigen::Index i = 0; i <= std::min(j, r.rows() - 1); ++i)
      EXPECT_NEAR(r(i, j), ref.matrixQR()(i, j), 1e-12 * std::max(1.0, m.norm()));
}

TEST(Qr, ZeroAndAlreadyTriangularColumns) {
  for (const Value& a : {M({{0, 1}, {0, 2}, {0, 3}}), M({{5, 1}, {0, 2}, {0, 3}}), M({{-2}})}) {
    const QrResult f = qr(a, true);
    EXPECT_LT(relativeError(mtimes(f.q, f.r), a), 1e-12);
    EXPECT_TRUE(upperTriangular(f.r));
  }
  const QrResult e = qr(Value::matrix(0, 3), true);
  EXPECT_EQ(e.q.dims(), (Dims{0, 0}));
  EXPECT_EQ(e.r.dims(), (Dims{0, 3}));
}

TEST_P(Factor, LuReconstructsWithAndWithoutPermutation) {
  const Value& a = GetParam().a;
  const LuResult two = lu(a, false);
  EXPECT_LT(relativeError(mtimes(two.l, two.u), a), 1e-12);
  EXPECT_TRUE(upperTriangular(two.u));
  const LuResult three = lu(a, true);
  EXPECT_TRUE(upperTriangular(three.u));
  EXPECT_LT(relativeError(mtimes(three.l, three.u), mtimes(three.p, a)), 1e-12);
  // The unit lower factor: ones on the diagonal, multipliers at most 1.
  for (std::size_t j = 0; j < three.l.cols(); ++j)
    for (std::size_t i = 0; i < three.l.rows(); ++i) {
      const double x = three.l.re()[i + j * three.l.rows()];
      if (i == j) {
        EXPECT_EQ(x, 1.0);
      } else if (i < j) {
        EXPECT_EQ(x, 0.0);
      } else {
        EXPECT_LE(std::abs(x), 1.0);
      }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Factor,
    ::testing::Values(Shape{"square", M({{4, -2, 1}, {3, 6, -4}, {2, 1, 8}})},
                      Shape{"tall", M({{1, 1, 1}, {1, 2, 4}, {1, 3, 9}, {1, 4, 16}, {1, 5, 25}})},
                      Shape{"wide", M({{2, 1, 0, 5}, {1, 3, 2, -1}})},
                      Shape{"singular", M({{1, 2, 3}, {2, 4, 6}, {1, 0, 1}})},
                      Shape{"column", M({{3}, {-4}, {12}})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lu, SingularMatrixKeepsAnExactZeroPivot) {
  const LuResult f = lu(M({{1, 2}, {2, 4}}), true);
  EXPECT_EQ(test::data(f.u), (std::vector<double>{2, 0, 4, 0}));
  EXPECT_EQ(test::data(f.l), (std::vector<double>{1, 0.5, 0, 1}));
  EXPECT_EQ(test::data(f.p), (std::vector<double>{0, 1, 1, 0}));
  // Two outputs: L carries the row exchange.
  const LuResult g = lu(M({{1, 2}, {2, 4}}), false);
  EXPECT_EQ(test::data(g.l), (std::vector<double>{0.5, 1, 1, 0}));
}

TEST(Lu, TiesPickTheFirstRow) {
  const LuResult f = lu(M({{-3, 1}, {3, 2}}), true);
  EXPECT_EQ(test::data(f.p), (std::vector<double>{1, 0, 0, 1}));
}

TEST(Decomp, RejectsNonNumeric) {
  EXPECT_THROW(qr(Value::cell({1, 1}), false), MError);
  EXPECT_THROW(lu(Value::cell({2, 2}), false), MError);
}

// Complex matrices factor too (pivoting on |re| + |im|): P * A = L * U, and
// without P the row-permuted L still gives A = L * U; complex systems solve.
TEST(Lu, ComplexMatricesFactorAndSolve) {
  const Eigen::MatrixXcd a =
      (Eigen::MatrixXcd(3, 3) << std::complex<double>(1, 1), 2, 0, std::complex<double>(0, -3), 1,
       std::complex<double>(4, 2), 5, std::complex<double>(0, 1), 1)
          .finished();
  const Value av = fromEigen(a);
  const LuResult withP = lu(av, true);
  const Eigen::MatrixXcd l = complexMatrix(withP.l, "t"), u = complexMatrix(withP.u, "t"),
                         p = complexMatrix(withP.p, "t");
  EXPECT_LT((p * a - l * u).norm(), 1e-14);
  // Row 2 has the largest |re| + |im| in the first column (5 against 3 and 2).
  EXPECT_EQ(withP.p.re()[0 + 2 * 3], 1.0);
  const LuResult noP = lu(av, false);
  EXPECT_LT((complexMatrix(noP.l, "t") * complexMatrix(noP.u, "t") - a).norm(), 1e-14);
  const Eigen::VectorXcd b = (Eigen::VectorXcd(3) << 1, std::complex<double>(0, 2), -1).finished();
  const Eigen::MatrixXcd x = complexMatrix(mldivide(av, fromEigen(Eigen::MatrixXcd(b))), "t");
  EXPECT_LT((a * x - b).norm(), 1e-13);
}

}  // namespace
}  // namespace kh
