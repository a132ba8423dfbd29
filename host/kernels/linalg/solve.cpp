#include "host/kernels/linalg/solve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "host/context/warnings.h"
#include "host/core/errors.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/linalg/decomp.h"
#include "host/kernels/linalg/lean_paths.h"
#include "host/kernels/messages.h"

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

template <typename M>
double norm1(const M& a) {
  double best = 0.0;
  for (Eigen::Index j = 0; j < a.cols(); ++j) {
    double s = 0.0;
    for (Eigen::Index i = 0; i < a.rows(); ++i) s += std::abs(a(i, j));
    if (std::isnan(s)) return s;
    best = std::max(best, s);
  }
  return best;
}

template <typename M>
bool isUpper(const M& a) {
  for (Eigen::Index j = 0; j < a.cols(); ++j)
    for (Eigen::Index i = j + 1; i < a.rows(); ++i)
      if (a(i, j) != 0.0) return false;
  return true;
}

template <typename M>
bool isLower(const M& a) {
  for (Eigen::Index j = 1; j < a.cols(); ++j)
    for (Eigen::Index i = 0; i < j && i < a.rows(); ++i)
      if (a(i, j) != 0.0) return false;
  return true;
}

template <typename M>
bool hasZeroDiagonal(const M& t) {
  for (Eigen::Index i = 0; i < std::min(t.rows(), t.cols()); ++i)
    if (t(i, i) == 0.0) return true;
  return false;
}

// Triangular system: the reciprocal condition number from the exact inverse
// of the factor (cheap next to the host's sizes; triangular inverses cost a
// third of a factorization).
template <typename M>
M triangularSolve(const M& a, const M& b, bool upper) {
  const Eigen::Index n = a.rows();
  if (hasZeroDiagonal(a)) {
    warnSingular();
  } else {
    const M id = M::Identity(n, n);
    const M inv = upper ? M(a.template triangularView<Eigen::Upper>().solve(id))
                        : M(a.template triangularView<Eigen::Lower>().solve(id));
    checkConditioning(1.0 / (norm1(a) * norm1(inv)));
  }
  if (upper) return a.template triangularView<Eigen::Upper>().solve(b);
  return a.template triangularView<Eigen::Lower>().solve(b);
}

template <typename M>
M luSolve(const M& a, const M& b) {
  const Eigen::Index n = a.rows();
  const auto f = luFactor(a);
  auto solveWith = [&](const M& rhs) {
    M pb(n, rhs.cols());
    for (Eigen::Index i = 0; i < n; ++i) pb.row(i) = rhs.row(f.perm[static_cast<std::size_t>(i)]);
    const M y = f.l.template triangularView<Eigen::UnitLower>().solve(pb);
    return M(f.u.template triangularView<Eigen::Upper>().solve(y));
  };
  if (hasZeroDiagonal(f.u)) {
    warnSingular();
  } else {
    const M inv = solveWith(M::Identity(n, n));
    checkConditioning(1.0 / (norm1(a) * norm1(inv)));
  }
  return solveWith(b);
}

template <typename M>
M leastSquares(const M& a, const M& b) {
  Eigen::ColPivHouseholderQR<M> f(a.rows(), a.cols());
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
  M x = M::Zero(a.cols(), b.cols());
  if (rank == 0) return x;
  M c = b;
  c.applyOnTheLeft(f.householderQ().setLength(f.nonzeroPivots()).adjoint());
  const M z = f.matrixQR()
                  .topLeftCorner(rank, rank)
                  .template triangularView<Eigen::Upper>()
                  .solve(c.topRows(rank));
  M full = M::Zero(a.cols(), b.cols());
  full.topRows(rank) = z;
  x = f.colsPermutation() * full;
  return x;
}

// A \ B for dense matrices of one scalar type: least squares for a
// rectangular A, substitution for a triangular one, LU otherwise.
template <typename M>
M solveDense(const M& am, const M& bm) {
  if (am.rows() != am.cols()) return leastSquares(am, bm);
  if (isUpper(am)) return triangularSolve(am, bm, true);
  if (isLower(am)) return triangularSolve(am, bm, false);
  return luSolve(am, bm);
}

// Square systems up to this order are solved on the column-major data
// directly, without conversions, by code written out for each order. The
// substitutions (scale by the reciprocal of the diagonal, then update the
// remaining rows column by column) are the ones the general triangular
// solver above runs on a system this small, so both routes give the same
// bits (the tests compare them).
constexpr std::size_t kSmall = 4;

bool isPlainReal(const Value& v) { return v.isDouble() && !v.isComplex() && v.ndims() == 2; }

// Solves t x = b in place for the N-by-nrhs column-major x; t is N-by-N,
// upper or lower triangular, with a unit diagonal when `Unit`. The columns
// of x are independent, so each is finished before the next.
template <std::size_t N, bool Upper, bool Unit>
void substitute(const double* t, double* x, std::size_t nrhs) {
  double recip[N];
  for (std::size_t i = 0; i < N; ++i) recip[i] = Unit ? 1.0 : 1.0 / t[i + i * N];
  for (std::size_t j = 0; j < nrhs; ++j, x += N) {
    if constexpr (Upper) {
      for (std::size_t i = N; i-- > 0;) {
        const double b = x[i] *= recip[i];
        for (std::size_t r = 0; r < i; ++r) x[r] -= b * t[r + i * N];
      }
    } else {
      for (std::size_t i = 0; i < N; ++i) {
        const double b = x[i] *= recip[i];
        for (std::size_t r = i + 1; r < N; ++r) x[r] -= b * t[r + i * N];
      }
    }
  }
}

// The 1-norm of an N-by-N column-major matrix; NaN when an element is.
template <std::size_t N>
double norm1(const double* a) {
  double best = 0.0;
  for (std::size_t j = 0; j < N; ++j) {
    double s = 0.0;
    for (std::size_t i = 0; i < N; ++i) s += std::fabs(a[i + j * N]);
    if (std::isnan(s)) return s;
    best = std::max(best, s);
  }
  return best;
}

template <std::size_t N>
bool diagonalHasZero(const double* a) {
  bool zero = false;
  for (std::size_t i = 0; i < N; ++i) zero |= a[i + i * N] == 0.0;
  return zero;
}

template <std::size_t N>
void setIdentity(double* x) {
  for (std::size_t j = 0; j < N; ++j)
    for (std::size_t i = 0; i < N; ++i) x[i + j * N] = i == j ? 1.0 : 0.0;
}

// The reciprocal condition of triangular t from its exact inverse.
template <std::size_t N, bool Upper>
void checkTriangular(const double* t) {
  if (diagonalHasZero<N>(t)) {
    warnSingular();
    return;
  }
  double inv[N * N];
  setIdentity<N>(inv);
  substitute<N, Upper, false>(t, inv, N);
  checkConditioning(1.0 / (norm1<N>(t) * norm1<N>(inv)));
}

// a \ b for a real square a of order N and a real b with N rows and at
// least one column. The conditioning check runs even with warnings off: a
// disabled warning is still recorded as the last one.
template <std::size_t N>
Value smallSquareSolve(const Value& av, const Value& bv) {
  const std::size_t nrhs = bv.cols();
  double a[N * N];
  std::copy(av.re(), av.re() + N * N, a);
  Value xv = Value::numericForWrite({N, nrhs});
  double* x = xv.mutRe();
  // Nonzeros (NaN included) below and above the diagonal.
  bool below = false, above = false;
  for (std::size_t j = 0; j < N; ++j)
    for (std::size_t i = 0; i < N; ++i) {
      if (i > j) below |= a[i + j * N] != 0.0;
      if (i < j) above |= a[i + j * N] != 0.0;
    }
  if (!below || !above) {
    std::copy(bv.re(), bv.re() + N * nrhs, x);
    if (!below) {
      checkTriangular<N, true>(a);
      substitute<N, true, false>(a, x, nrhs);
    } else {
      checkTriangular<N, false>(a);
      substitute<N, false, false>(a, x, nrhs);
    }
    return xv;
  }
  // Partial pivoting: rows perm of a equal l * u.
  double lu[N * N];
  std::size_t perm[N];
  std::copy(a, a + N * N, lu);
  luFactorInPlace(lu, N, N, perm);
  auto solveWith = [&](const double* rhs, std::size_t cols, double* out) {
    for (std::size_t j = 0; j < cols; ++j)
      for (std::size_t i = 0; i < N; ++i) out[i + j * N] = rhs[perm[i] + j * N];
    substitute<N, false, true>(lu, out, cols);
    substitute<N, true, false>(lu, out, cols);
  };
  if (diagonalHasZero<N>(lu)) {
    warnSingular();
  } else {
    double id[N * N], inv[N * N];
    setIdentity<N>(id);
    solveWith(id, N, inv);
    checkConditioning(1.0 / (norm1<N>(a) * norm1<N>(inv)));
  }
  solveWith(bv.re(), nrhs, x);
  return xv;
}

// Orders 2 .. kSmall.
Value smallSquareSolve(const Value& a, const Value& b) {
  static_assert(kSmall == 4);
  switch (a.rows()) {
    case 2:
      return smallSquareSolve<2>(a, b);
    case 3:
      return smallSquareSolve<3>(a, b);
    default:
      return smallSquareSolve<4>(a, b);
  }
}

}  // namespace

Value leftDivide(const Value& a, const Value& b) {
  if (a.numel() == 1) return binary(BinOp::Ldivide, a, b);
  if (leanPaths() && isPlainReal(a) && isPlainReal(b) && a.rows() == a.cols() && a.rows() >= 2 &&
      a.rows() <= kSmall && b.rows() == a.rows() && b.cols() > 0)
    return smallSquareSolve(a, b);
  if (a.isComplex() || b.isComplex()) {
    const Eigen::MatrixXcd am = complexMatrix(a, "mldivide");
    const Eigen::MatrixXcd bm = complexMatrix(b, "mldivide");
    if (am.rows() != bm.rows()) raise(msg::kDimsAgree);
    if (am.size() == 0 || bm.size() == 0)
      return Value::matrix(static_cast<std::size_t>(am.cols()),
                           static_cast<std::size_t>(bm.cols()));
    return fromEigen(solveDense(am, bm));
  }
  const Eigen::MatrixXd am = realMatrix(a, "mldivide");
  const Eigen::MatrixXd bm = realMatrix(b, "mldivide");
  if (am.rows() != bm.rows()) raise(msg::kDimsAgree);
  if (am.size() == 0 || bm.size() == 0)
    return Value::matrix(static_cast<std::size_t>(am.cols()), static_cast<std::size_t>(bm.cols()));
  return fromEigen(solveDense(am, bm));
}

Value rightDivide(const Value& a, const Value& b) {
  if (b.numel() == 1) return binary(BinOp::Rdivide, a, b);
  if (a.ndims() > 2 || b.ndims() > 2) raise("Input arguments must be 2-D.");
  if (a.cols() != b.cols()) raise(msg::kDimsAgree);
  return transpose(leftDivide(transpose(b), transpose(a)));
}

}  // namespace kh
