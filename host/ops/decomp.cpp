#include "host/ops/decomp.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "host/context/errors.h"

namespace kh {

Eigen::MatrixXd realMatrix(const Value& a, const char* op) {
  if (a.isPlaceholder()) raise(std::string("Undefined value used in ") + op + ".");
  if (!a.isDouble() && !a.isChar())
    raise(std::string("Function '") + op + "' is not defined for values of class '" + className(a) +
          "'.");
  if (a.ndims() > 2) raise("Input arguments must be 2-D.");
  if (a.isComplex()) raise(std::string("Complex arguments are not supported by ") + op + ".");
  Eigen::MatrixXd m(static_cast<Eigen::Index>(a.rows()), static_cast<Eigen::Index>(a.cols()));
  if (a.isChar()) {
    const char16_t* c = a.chr();
    for (std::size_t i = 0; i < a.numel(); ++i) m.data()[i] = static_cast<double>(c[i]);
  } else if (a.numel() > 0) {
    std::copy(a.re(), a.re() + a.numel(), m.data());
  }
  return m;
}

Value fromEigen(const Eigen::MatrixXd& m) {
  Value v = Value::matrix(static_cast<std::size_t>(m.rows()), static_cast<std::size_t>(m.cols()));
  if (m.size() > 0) std::copy(m.data(), m.data() + m.size(), v.mutRe());
  return v;
}

namespace {

// Householder reflector of x (length n): on return x[0] holds beta and
// x[1..n) the reflector's tail v (v[0] = 1 implied), with
// (I - tau v v') x = beta e1. beta takes the sign opposite to x[0], the
// usual convention, so that no cancellation occurs.
double makeReflector(double* x, std::size_t n) {
  double tail = 0.0;
  for (std::size_t i = 1; i < n; ++i) tail += x[i] * x[i];
  const double c0 = x[0];
  if (tail <= std::numeric_limits<double>::min()) {
    for (std::size_t i = 1; i < n; ++i) x[i] = 0.0;
    return 0.0;
  }
  const double beta = -std::copysign(std::sqrt(c0 * c0 + tail), c0);
  const double scale = 1.0 / (c0 - beta);
  for (std::size_t i = 1; i < n; ++i) x[i] *= scale;
  x[0] = beta;
  return (beta - c0) / beta;
}

// Applies I - tau v v' (v[0] = 1, tail in v[1..n)) to the n-vector y.
void applyReflector(const double* v, double tau, double* y, std::size_t n) {
  if (tau == 0.0) return;
  double w = y[0];
  for (std::size_t i = 1; i < n; ++i) w += v[i] * y[i];
  w *= tau;
  y[0] -= w;
  for (std::size_t i = 1; i < n; ++i) y[i] -= w * v[i];
}

}  // namespace

QrResult qr(const Value& a, bool economy) {
  // Checked and converted as every factorization is; the work is done on the
  // column-major copy directly, which for the tall, thin matrices of a
  // polynomial fit costs a fraction of a general blocked routine.
  Eigen::MatrixXd w = realMatrix(a, "qr");
  const std::size_t rows = static_cast<std::size_t>(w.rows());
  const std::size_t cols = static_cast<std::size_t>(w.cols());
  const std::size_t k = std::min(rows, cols);
  double* A = w.data();
  std::vector<double> tau(k);
  for (std::size_t j = 0; j < k; ++j) {
    double* x = A + j * rows + j;
    tau[j] = makeReflector(x, rows - j);
    for (std::size_t c = j + 1; c < cols; ++c) applyReflector(x, tau[j], A + c * rows + j, rows - j);
  }
  const std::size_t qcols = economy ? k : rows;
  Value q = Value::matrix(rows, qcols);
  double* Q = q.mutRe();
  for (std::size_t i = 0; i < std::min(rows, qcols); ++i) Q[i * rows + i] = 1.0;
  // Q = H(0) H(1) ... H(k-1) applied to the first qcols columns of I, last
  // reflector first; H(j) leaves rows above j alone.
  for (std::size_t j = k; j-- > 0;) {
    const double* v = A + j * rows + j;
    for (std::size_t c = j; c < qcols; ++c) applyReflector(v, tau[j], Q + c * rows + j, rows - j);
  }
  Value r = Value::matrix(qcols, cols);
  double* R = r.mutRe();
  for (std::size_t j = 0; j < cols; ++j)
    for (std::size_t i = 0; i <= std::min(j, qcols - 1) && i < rows; ++i) R[j * qcols + i] = A[j * rows + i];
  return {std::move(q), std::move(r)};
}

LuFactors luFactor(const Eigen::MatrixXd& a) {
  const Eigen::Index m = a.rows(), n = a.cols(), k = std::min(m, n);
  Eigen::MatrixXd w = a;
  std::vector<Eigen::Index> perm(static_cast<std::size_t>(m));
  for (Eigen::Index i = 0; i < m; ++i) perm[static_cast<std::size_t>(i)] = i;
  for (Eigen::Index j = 0; j < k; ++j) {
    // The largest magnitude in the column, the first one on ties.
    Eigen::Index p = j;
    double best = std::abs(w(j, j));
    for (Eigen::Index i = j + 1; i < m; ++i)
      if (std::abs(w(i, j)) > best) {
        best = std::abs(w(i, j));
        p = i;
      }
    if (p != j) {
      w.row(p).swap(w.row(j));
      std::swap(perm[static_cast<std::size_t>(p)], perm[static_cast<std::size_t>(j)]);
    }
    const double pivot = w(j, j);
    if (pivot == 0.0) continue;  // the column below is zero already
    for (Eigen::Index i = j + 1; i < m; ++i) {
      const double f = w(i, j) / pivot;
      w(i, j) = f;
      if (f == 0.0) continue;
      for (Eigen::Index c = j + 1; c < n; ++c) w(i, c) -= f * w(j, c);
    }
  }
  LuFactors r;
  r.l = Eigen::MatrixXd::Zero(m, k);
  r.u = Eigen::MatrixXd::Zero(k, n);
  for (Eigen::Index i = 0; i < m; ++i)
    for (Eigen::Index j = 0; j < k; ++j) {
      if (i == j) r.l(i, j) = 1.0;
      if (i > j) r.l(i, j) = w(i, j);
    }
  for (Eigen::Index i = 0; i < k; ++i)
    for (Eigen::Index j = i; j < n; ++j) r.u(i, j) = w(i, j);
  r.perm = std::move(perm);
  return r;
}

LuResult lu(const Value& a, bool wantP) {
  LuFactors f = luFactor(realMatrix(a, "lu"));
  const Eigen::Index m = f.l.rows();
  LuResult r;
  r.u = fromEigen(f.u);
  if (wantP) {
    Eigen::MatrixXd p = Eigen::MatrixXd::Zero(m, m);
    for (Eigen::Index i = 0; i < m; ++i) p(i, f.perm[static_cast<std::size_t>(i)]) = 1.0;
    r.l = fromEigen(f.l);
    r.p = fromEigen(p);
    return r;
  }
  // Undo the row exchanges on L: row i of the factor belongs to row perm[i].
  Eigen::MatrixXd l(m, f.l.cols());
  for (Eigen::Index i = 0; i < m; ++i) l.row(f.perm[static_cast<std::size_t>(i)]) = f.l.row(i);
  r.l = fromEigen(l);
  return r;
}

}  // namespace kh
