#include "host/kernels/linalg/decomp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

#include "host/core/errors.h"
#include "host/kernels/arith/double_pairs.h"
#include "host/kernels/linalg/lean_paths.h"

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

// v'y added to `start`. Four running sums (two pairs) take the products in
// turn, so that the additions of neighbouring elements do not wait on each
// other; they are combined at the end.
inline double dot(const double* v, const double* y, std::size_t n, double start) {
  Pair s0 = {0.0, 0.0}, s1 = {0.0, 0.0};
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += loadPair(v + i) * loadPair(y + i);
    s1 += loadPair(v + i + 2) * loadPair(y + i + 2);
  }
  double w = start + ((s0[0] + s1[0]) + (s0[1] + s1[1]));
  for (; i < n; ++i) w += v[i] * y[i];
  return w;
}

// Householder reflector of x (length n): on return x[0] holds beta and
// x[1..n) the reflector's tail v (v[0] = 1 implied), with
// (I - tau v v') x = beta e1. beta takes the sign opposite to x[0], the
// usual convention, so that no cancellation occurs.
double makeReflector(double* x, std::size_t n) {
  const double tail = n > 1 ? dot(x + 1, x + 1, n - 1, 0.0) : 0.0;
  const double c0 = x[0];
  if (tail <= std::numeric_limits<double>::min()) {
    for (std::size_t i = 1; i < n; ++i) x[i] = 0.0;
    return 0.0;
  }
  const double beta = -std::copysign(std::sqrt(c0 * c0 + tail), c0);
  const double scale = 1.0 / (c0 - beta);
  const Pair ss = {scale, scale};
  std::size_t i = 1;
  for (; i + 2 <= n; i += 2) storePair(x + i, loadPair(x + i) * ss);
  for (; i < n; ++i) x[i] *= scale;
  x[0] = beta;
  return (beta - c0) / beta;
}

// Applies I - tau v v' (v[0] = 1, tail in v[1..n)) to the n-vector y, which
// does not overlap v. The update is independent per element and goes two at
// a time.
void applyReflector(const double* __restrict v, double tau, double* __restrict y, std::size_t n) {
  if (tau == 0.0) return;
  double w = dot(v + 1, y + 1, n - 1, y[0]);
  w *= tau;
  y[0] -= w;
  const Pair ww = {w, w};
  std::size_t i = 1;
  for (; i + 4 <= n; i += 4) {
    storePair(y + i, loadPair(y + i) - ww * loadPair(v + i));
    storePair(y + i + 2, loadPair(y + i + 2) - ww * loadPair(v + i + 2));
  }
  for (; i < n; ++i) y[i] -= w * v[i];
}

// Householder QR in place of the rows-by-cols column-major A: the first k
// columns are reduced, each reflector's vector left below the diagonal and
// its factor in tau[j], the upper triangle becoming R.
void reflectColumns(double* A, std::size_t rows, std::size_t cols, std::size_t k, double* tau) {
  for (std::size_t j = 0; j < k; ++j) {
    double* x = A + j * rows + j;
    tau[j] = makeReflector(x, rows - j);
    for (std::size_t c = j + 1; c < cols; ++c)
      applyReflector(x, tau[j], A + c * rows + j, rows - j);
  }
}

// The elements of a real 2-D double or character matrix, checked as
// realMatrix checks them.
std::vector<double> realElements(const Value& a, const char* op) {
  if (a.isDouble() && !a.isComplex() && a.ndims() == 2) return {a.re(), a.re() + a.numel()};
  const Eigen::MatrixXd m = realMatrix(a, op);
  return {m.data(), m.data() + m.size()};
}

// The economy-size factors of a real m-by-n double matrix with m >= n,
// formed in q's own storage: the reflectors are made in a copy of a there,
// r is taken from above the diagonal, and q is then built over the
// reflectors, last one first. Each column of q gets the same operations, in
// the same order, as when the reflectors are applied to the columns of the
// identity (see qrGeneral), without a separate work array or identity.
QrResult qrTall(const Value& a) {
  const std::size_t rows = a.rows(), cols = a.cols();
  Value q = Value::numericForWrite({rows, cols});
  Value r = Value::numericForWrite({cols, cols});
  if (rows == 0 || cols == 0) return {std::move(q), std::move(r)};
  double* A = q.mutRe();
  std::copy(a.re(), a.re() + rows * cols, A);
  double tauSmall[16];
  std::vector<double> tauBig(cols > 16 ? cols : 0);
  double* tau = cols > 16 ? tauBig.data() : tauSmall;
  reflectColumns(A, rows, cols, cols, tau);
  double* R = r.mutRe();
  for (std::size_t j = 0; j < cols; ++j) {
    std::copy(A + j * rows, A + j * rows + j + 1, R + j * cols);
    std::fill(R + j * cols + j + 1, R + (j + 1) * cols, 0.0);
  }
  for (std::size_t j = cols; j-- > 0;) {
    double* v = A + j * rows + j;
    const std::size_t n = rows - j;
    // Columns c > j hold H(j+1) ... H(c) e(c) from row j + 1 on; row j of
    // them is zero (it held r), and H(j) is applied next.
    for (std::size_t c = j + 1; c < cols; ++c) {
      A[c * rows + j] = 0.0;
      applyReflector(v, tau[j], A + c * rows + j, n);
    }
    // Column j becomes H(j) e(j), replacing the reflector it is made from:
    // with w = (1 + v' * 0) * tau (v' times the zeros of e(j)), 1 - w on
    // the diagonal and 0 - w * v below it. The tail of a reflector is finite
    // whenever tau is a number (makeReflector scales it by 1 / (c0 - beta),
    // which is at most 1 in size, and a non-finite element would have made
    // tau NaN), so v' * 0 is a zero and w is tau itself.
    if (tau[j] == 0.0) {
      v[0] = 1.0;
      std::fill(v + 1, v + n, 0.0);
      continue;
    }
    const double w = tau[j];
    const Pair ww = {w, w}, zero = {0.0, 0.0};
    std::size_t i = 1;
    for (; i + 2 <= n; i += 2) storePair(v + i, zero - ww * loadPair(v + i));
    for (; i < n; ++i) v[i] = 0.0 - w * v[i];
    v[0] = 1.0 - w;
  }
  return {std::move(q), std::move(r)};
}

// Any real matrix, either size of factors: the reflectors are made in a
// work copy of a and applied to the columns of the identity.
QrResult qrGeneral(const Value& a, bool economy) {
  std::vector<double> w = realElements(a, "qr");
  const std::size_t rows = a.rows();
  const std::size_t cols = a.cols();
  const std::size_t k = std::min(rows, cols);
  double* A = w.data();
  double tauSmall[8];
  std::vector<double> tauBig(k > 8 ? k : 0);
  double* tau = k > 8 ? tauBig.data() : tauSmall;
  reflectColumns(A, rows, cols, k, tau);
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
    for (std::size_t i = 0; i <= std::min(j, qcols - 1) && i < rows; ++i)
      R[j * qcols + i] = A[j * rows + i];
  return {std::move(q), std::move(r)};
}

}  // namespace

QrResult qr(const Value& a, bool economy) {
  // The work is done on column-major data directly, which for the tall,
  // thin matrices of a polynomial fit costs a fraction of a general blocked
  // routine.
  if (leanPaths() && economy && a.isDouble() && !a.isComplex() && a.ndims() == 2 &&
      a.rows() >= a.cols())
    return qrTall(a);
  return qrGeneral(a, economy);
}

namespace {

double pivotSize(double x) { return std::abs(x); }
double pivotSize(const std::complex<double>& x) { return std::abs(x.real()) + std::abs(x.imag()); }

template <typename T>
void factorInPlace(T* w, std::size_t m, std::size_t n, std::size_t* perm) {
  const std::size_t k = std::min(m, n);
  for (std::size_t i = 0; i < m; ++i) perm[i] = i;
  for (std::size_t j = 0; j < k; ++j) {
    T* wj = w + j * m;
    // The largest magnitude in the column, the first one on ties.
    std::size_t p = j;
    double best = pivotSize(wj[j]);
    for (std::size_t i = j + 1; i < m; ++i)
      if (pivotSize(wj[i]) > best) {
        best = pivotSize(wj[i]);
        p = i;
      }
    if (p != j) {
      for (std::size_t c = 0; c < n; ++c) std::swap(w[p + c * m], w[j + c * m]);
      std::swap(perm[p], perm[j]);
    }
    const T pivot = wj[j];
    if (pivot == 0.0) continue;  // the column below is zero already
    for (std::size_t i = j + 1; i < m; ++i) wj[i] /= pivot;
    // Rows with a zero multiplier are left as they are (an infinite or NaN
    // element of the pivot row does not spread into them).
    for (std::size_t c = j + 1; c < n; ++c) {
      T* wc = w + c * m;
      const T u = wc[j];
      for (std::size_t i = j + 1; i < m; ++i)
        if (wj[i] != 0.0) wc[i] -= wj[i] * u;
    }
  }
}

template <typename T>
LuFactorsOf<T> factor(const Eigen::Matrix<T, Eigen::Dynamic, Eigen::Dynamic>& a) {
  const Eigen::Index m = a.rows(), n = a.cols(), k = std::min(m, n);
  Eigen::Matrix<T, Eigen::Dynamic, Eigen::Dynamic> w = a;
  std::vector<std::size_t> perm(static_cast<std::size_t>(m));
  factorInPlace(w.data(), static_cast<std::size_t>(m), static_cast<std::size_t>(n), perm.data());
  LuFactorsOf<T> r;
  r.l = Eigen::Matrix<T, Eigen::Dynamic, Eigen::Dynamic>::Zero(m, k);
  r.u = Eigen::Matrix<T, Eigen::Dynamic, Eigen::Dynamic>::Zero(k, n);
  for (Eigen::Index i = 0; i < m; ++i)
    for (Eigen::Index j = 0; j < k; ++j) {
      if (i == j) r.l(i, j) = 1.0;
      if (i > j) r.l(i, j) = w(i, j);
    }
  for (Eigen::Index i = 0; i < k; ++i)
    for (Eigen::Index j = i; j < n; ++j) r.u(i, j) = w(i, j);
  r.perm.assign(perm.begin(), perm.end());
  return r;
}

}  // namespace

void luFactorInPlace(double* w, std::size_t m, std::size_t n, std::size_t* perm) {
  factorInPlace(w, m, n, perm);
}

void luFactorInPlace(std::complex<double>* w, std::size_t m, std::size_t n, std::size_t* perm) {
  factorInPlace(w, m, n, perm);
}

LuFactors luFactor(const Eigen::MatrixXd& a) { return factor(a); }
LuFactorsOf<std::complex<double>> luFactor(const Eigen::MatrixXcd& a) { return factor(a); }

Eigen::MatrixXcd complexMatrix(const Value& a, const char* op) {
  if (!a.isComplex()) return realMatrix(a, op).cast<std::complex<double>>();
  if (a.ndims() > 2) raise("Input arguments must be 2-D.");
  Eigen::MatrixXcd m(static_cast<Eigen::Index>(a.rows()), static_cast<Eigen::Index>(a.cols()));
  for (std::size_t i = 0; i < a.numel(); ++i) m.data()[i] = {a.re()[i], a.im()[i]};
  return m;
}

Value fromEigen(const Eigen::MatrixXcd& m) {
  Value v = Value::numeric({static_cast<std::size_t>(m.rows()), static_cast<std::size_t>(m.cols())},
                           m.size() > 0);
  if (m.size() == 0) return v;
  double* im = v.mutIm();
  double* re = v.mutRe();
  for (Eigen::Index i = 0; i < m.size(); ++i) {
    re[i] = m.data()[i].real();
    im[i] = m.data()[i].imag();
  }
  v.dropZeroImag();
  return v;
}

namespace {

// L, U (and P) of an m-by-n factorization held column-major in W, as values:
// U the upper triangle of the first k rows; L unit lower triangular,
// m-by-k, and without P row i of it belongs to row perm[i] of the matrix.
template <typename T>
LuResult luValues(const T* W, std::size_t m, std::size_t n, const std::size_t* perm, bool wantP) {
  constexpr bool cplx = !std::is_same_v<T, double>;
  const std::size_t k = std::min(m, n);
  auto part = [](const T& x, bool imag) {
    if constexpr (std::is_same_v<T, double>)
      return imag ? 0.0 : x;
    else
      return imag ? x.imag() : x.real();
  };
  LuResult r;
  r.u = Value::numericForWrite({k, n}, cplx);
  r.l = Value::numericForWrite({m, k}, cplx);
  for (int imag = 0; imag <= (cplx ? 1 : 0); ++imag) {
    double* U = imag ? r.u.mutIm() : r.u.mutRe();
    for (std::size_t j = 0; j < n; ++j)
      for (std::size_t i = 0; i < k; ++i) U[i + j * k] = i <= j ? part(W[i + j * m], imag) : 0.0;
    double* L = imag ? r.l.mutIm() : r.l.mutRe();
    for (std::size_t j = 0; j < k; ++j)
      for (std::size_t i = 0; i < m; ++i) {
        const double x = i > j ? part(W[i + j * m], imag) : i == j && !imag ? 1.0 : 0.0;
        L[(wantP ? i : perm[i]) + j * m] = x;
      }
  }
  r.u.dropZeroImag();
  r.l.dropZeroImag();
  if (wantP) {
    r.p = Value::matrix(m, m);
    double* P = r.p.mutRe();
    for (std::size_t i = 0; i < m; ++i) P[i + perm[i] * m] = 1.0;
  }
  return r;
}

// luValues for real factors, written column by column.
LuResult realLuValues(const double* W, std::size_t m, std::size_t n, const std::size_t* perm,
                      bool wantP) {
  const std::size_t k = std::min(m, n);
  LuResult r;
  r.u = Value::numericForWrite({k, n});
  r.l = Value::numericForWrite({m, k});
  double* U = r.u.mutRe();
  for (std::size_t j = 0; j < n; ++j) {
    const std::size_t top = std::min(j + 1, k);
    std::copy(W + j * m, W + j * m + top, U + j * k);
    std::fill(U + j * k + top, U + (j + 1) * k, 0.0);
  }
  double* L = r.l.mutRe();
  for (std::size_t j = 0; j < k; ++j)
    for (std::size_t i = 0; i < m; ++i)
      L[(wantP ? i : perm[i]) + j * m] = i > j ? W[i + j * m] : i == j ? 1.0 : 0.0;
  if (wantP) {
    r.p = Value::matrix(m, m);
    double* P = r.p.mutRe();
    for (std::size_t i = 0; i < m; ++i) P[i + perm[i] * m] = 1.0;
  }
  return r;
}

}  // namespace

// The most elements of a real matrix that lu factors in a copy on the stack
// rather than in one on the heap.
constexpr std::size_t kLuSmall = 256;

LuResult lu(const Value& a, bool wantP) {
  const std::size_t m = a.rows(), n = a.cols();
  std::size_t permSmall[16];
  std::vector<std::size_t> permBig(m > 16 ? m : 0);
  std::size_t* perm = m > 16 ? permBig.data() : permSmall;
  if (a.isComplex()) {
    Eigen::MatrixXcd w = complexMatrix(a, "lu");
    factorInPlace(w.data(), m, n, perm);
    return luValues(w.data(), m, n, perm, wantP);
  }
  if (leanPaths() && a.isDouble() && a.ndims() == 2 && a.numel() <= kLuSmall) {
    // Factored in a copy on the stack.
    double w[kLuSmall];
    std::copy(a.re(), a.re() + a.numel(), w);
    factorInPlace(w, m, n, perm);
    return realLuValues(w, m, n, perm, wantP);
  }
  std::vector<double> w = realElements(a, "lu");
  factorInPlace(w.data(), m, n, perm);
  return luValues(w.data(), m, n, perm, wantP);
}

}  // namespace kh
