#include "host/ops/decomp.h"

#include <cmath>

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

QrResult qr(const Value& a, bool economy) {
  const Eigen::MatrixXd m = realMatrix(a, "qr");
  const Eigen::Index rows = m.rows(), cols = m.cols();
  const Eigen::Index k = std::min(rows, cols);
  Eigen::HouseholderQR<Eigen::MatrixXd> f(m);
  const Eigen::Index qcols = economy ? k : rows;
  Eigen::MatrixXd q = f.householderQ() * Eigen::MatrixXd::Identity(rows, qcols);
  Eigen::MatrixXd r = Eigen::MatrixXd::Zero(qcols, cols);
  const Eigen::MatrixXd& packed = f.matrixQR();
  for (Eigen::Index j = 0; j < cols; ++j)
    for (Eigen::Index i = 0; i <= std::min(j, qcols - 1); ++i) r(i, j) = packed(i, j);
  return {fromEigen(q), fromEigen(r)};
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
