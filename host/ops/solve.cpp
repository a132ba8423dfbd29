#include "host/ops/solve.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "host/context/errors.h"
#include "host/context/warnings.h"
#include "host/ops/decomp.h"
#include "host/ops/elementwise.h"
#include "host/ops/matrix.h"
#include "host/ops/messages.h"

namespace kh {
namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();

std::string printfText(const char* format, auto... values) {
  char buf[256];
  std::snprintf(buf, sizeof buf, format, values...);
  return buf;
}

void warnSingular() { warn("Matrix is singular to working precision."); }

// Warns when the reciprocal condition number is below working precision.
void checkConditioning(double rcond) {
  if (rcond == 0.0 || std::isnan(rcond)) {
    warnSingular();
  } else if (rcond < kEps) {
    warn(
        printfText("Matrix is close to singular or badly scaled.\n"
                   "         Results may be inaccurate. RCOND = %g.",
                   rcond));
  }
}

double norm1(const Eigen::MatrixXd& a) {
  return a.size() == 0 ? 0.0 : a.cwiseAbs().colwise().sum().maxCoeff();
}

bool isUpper(const Eigen::MatrixXd& a) {
  for (Eigen::Index j = 0; j < a.cols(); ++j)
    for (Eigen::Index i = j + 1; i < a.rows(); ++i)
      if (a(i, j) != 0.0) return false;
  return true;
}

bool isLower(const Eigen::MatrixXd& a) {
  for (Eigen::Index j = 1; j < a.cols(); ++j)
    for (Eigen::Index i = 0; i < j && i < a.rows(); ++i)
      if (a(i, j) != 0.0) return false;
  return true;
}

bool hasZeroDiagonal(const Eigen::MatrixXd& t) {
  for (Eigen::Index i = 0; i < std::min(t.rows(), t.cols()); ++i)
    if (t(i, i) == 0.0) return true;
  return false;
}

// Triangular system: the reciprocal condition number from the exact inverse
// of the factor (cheap next to the host's sizes; triangular inverses cost a
// third of a factorization).
Eigen::MatrixXd triangularSolve(const Eigen::MatrixXd& a, const Eigen::MatrixXd& b, bool upper) {
  const Eigen::Index n = a.rows();
  if (hasZeroDiagonal(a)) {
    warnSingular();
  } else {
    const Eigen::MatrixXd id = Eigen::MatrixXd::Identity(n, n);
    const Eigen::MatrixXd inv = upper ? Eigen::MatrixXd(a.triangularView<Eigen::Upper>().solve(id))
                                      : Eigen::MatrixXd(a.triangularView<Eigen::Lower>().solve(id));
    checkConditioning(1.0 / (norm1(a) * norm1(inv)));
  }
  if (upper) return a.triangularView<Eigen::Upper>().solve(b);
  return a.triangularView<Eigen::Lower>().solve(b);
}

Eigen::MatrixXd luSolve(const Eigen::MatrixXd& a, const Eigen::MatrixXd& b) {
  const Eigen::Index n = a.rows();
  const LuFactors f = luFactor(a);
  auto solveWith = [&](const Eigen::MatrixXd& rhs) {
    Eigen::MatrixXd pb(n, rhs.cols());
    for (Eigen::Index i = 0; i < n; ++i) pb.row(i) = rhs.row(f.perm[static_cast<std::size_t>(i)]);
    const Eigen::MatrixXd y = f.l.triangularView<Eigen::UnitLower>().solve(pb);
    return Eigen::MatrixXd(f.u.triangularView<Eigen::Upper>().solve(y));
  };
  if (hasZeroDiagonal(f.u)) {
    warnSingular();
  } else {
    const Eigen::MatrixXd inv = solveWith(Eigen::MatrixXd::Identity(n, n));
    checkConditioning(1.0 / (norm1(a) * norm1(inv)));
  }
  return solveWith(b);
}

Eigen::MatrixXd leastSquares(const Eigen::MatrixXd& a, const Eigen::MatrixXd& b) {
  Eigen::ColPivHouseholderQR<Eigen::MatrixXd> f(a.rows(), a.cols());
  const double relTol = static_cast<double>(std::max(a.rows(), a.cols())) * kEps;
  f.setThreshold(relTol);
  f.compute(a);
  const Eigen::Index k = std::min(a.rows(), a.cols());
  const Eigen::Index rank = f.rank();
  if (rank < k) {
    const double tol = relTol * (f.maxPivot());
    warn(printfText("Rank deficient, rank = %d,  tol = %g.", static_cast<int>(rank), tol));
  }
  // The basic solution: the columns beyond the rank get zero coefficients.
  Eigen::MatrixXd x = Eigen::MatrixXd::Zero(a.cols(), b.cols());
  if (rank == 0) return x;
  Eigen::MatrixXd c = b;
  c.applyOnTheLeft(f.householderQ().setLength(f.nonzeroPivots()).adjoint());
  const Eigen::MatrixXd z =
      f.matrixQR().topLeftCorner(rank, rank).triangularView<Eigen::Upper>().solve(c.topRows(rank));
  Eigen::MatrixXd full = Eigen::MatrixXd::Zero(a.cols(), b.cols());
  full.topRows(rank) = z;
  x = f.colsPermutation() * full;
  return x;
}

}  // namespace

Value leftDivide(const Value& a, const Value& b) {
  if (a.numel() == 1) return binary(BinOp::Ldivide, a, b);
  const Eigen::MatrixXd am = realMatrix(a, "mldivide");
  const Eigen::MatrixXd bm = realMatrix(b, "mldivide");
  if (am.rows() != bm.rows()) raise(msg::kDimsAgree);
  if (am.size() == 0 || bm.size() == 0)
    return Value::matrix(static_cast<std::size_t>(am.cols()), static_cast<std::size_t>(bm.cols()));
  if (am.rows() != am.cols()) return fromEigen(leastSquares(am, bm));
  if (isUpper(am)) return fromEigen(triangularSolve(am, bm, true));
  if (isLower(am)) return fromEigen(triangularSolve(am, bm, false));
  return fromEigen(luSolve(am, bm));
}

Value rightDivide(const Value& a, const Value& b) {
  if (b.numel() == 1) return binary(BinOp::Rdivide, a, b);
  if (a.ndims() > 2 || b.ndims() > 2) raise("Input arguments must be 2-D.");
  if (a.cols() != b.cols()) raise(msg::kDimsAgree);
  return transpose(leftDivide(transpose(b), transpose(a)));
}

}  // namespace kh
