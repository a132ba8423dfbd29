#include "host/ops/matrix.h"

#include <cmath>
#include <complex>

#include "host/context/errors.h"
#include "host/ops/construct.h"
#include "host/ops/convert.h"
#include "host/ops/elementwise.h"
#include "host/ops/messages.h"
#include "host/ops/solve.h"

namespace kh {

Value mtimes(const Value& a0, const Value& b0) {
  const Value a = toNumeric(a0, "mtimes"), b = toNumeric(b0, "mtimes");
  if (a.numel() == 1 || b.numel() == 1) return binary(BinOp::Times, a, b);
  if (a.ndims() > 2 || b.ndims() > 2) raise("Input arguments must be 2-D.");
  const std::size_t m = a.rows(), k = a.cols(), n = b.cols();
  if (b.rows() != k) raise(msg::kInnerDims);
  const bool complex = a.isComplex() || b.isComplex();
  Value r = Value::numeric({m, n}, complex);
  if (!complex) {
    const double *x = a.re(), *y = b.re();
    double* z = r.mutRe();
    for (std::size_t j = 0; j < n; ++j)
      for (std::size_t p = 0; p < k; ++p) {
        const double bpj = y[p + j * k];
        for (std::size_t i = 0; i < m; ++i) z[i + j * m] += x[i + p * m] * bpj;
      }
    return r;
  }
  double* zr = r.mutRe();
  double* zi = r.mutIm();
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = 0; i < m; ++i) {
      std::complex<double> s = 0.0;
      for (std::size_t p = 0; p < k; ++p) s += a.cat(i + p * m) * b.cat(p + j * k);
      zr[i + j * m] = s.real();
      zi[i + j * m] = s.imag();
    }
  r.dropZeroImag();
  return r;
}

namespace {

Value transposeImpl(const Value& a, bool conj) {
  if (a.ndims() > 2) raise(msg::kTransposeNd);
  if (a.isPlaceholder()) raise("Undefined value used in transpose.");
  const std::size_t m = a.rows(), n = a.cols();
  Value r = blankLike(a, {n, m});
  if (a.isDouble()) {
    const double* x = a.re();
    double* z = r.mutRe();
    for (std::size_t j = 0; j < n; ++j)
      for (std::size_t i = 0; i < m; ++i) z[j + i * n] = x[i + j * m];
    if (a.isComplex()) {
      const double* xi = a.im();
      double* zi = r.mutIm();
      const double s = conj ? -1.0 : 1.0;
      for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i = 0; i < m; ++i) zi[j + i * n] = s * xi[i + j * m];
    }
    return r;
  }
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = 0; i < m; ++i) copyElement(r, j + i * n, a, i + j * m);
  return r;
}

}  // namespace

Value transpose(const Value& a) { return transposeImpl(a, false); }
Value ctranspose(const Value& a) { return transposeImpl(a, true); }

Value mrdivide(const Value& a, const Value& b) { return rightDivide(a, b); }

Value mldivide(const Value& a, const Value& b) { return leftDivide(a, b); }

Value mpower(const Value& a, const Value& b) {
  if (a.numel() == 1 && b.numel() == 1) return binary(BinOp::Power, a, b);
  if (b.numel() != 1) raise("Matrix power with a non-scalar exponent is not supported.");
  if (a.ndims() > 2 || a.rows() != a.cols()) raise("Matrix must be square.");
  const double e = toNumeric(b, "mpower").re()[0];
  if (b.isComplex() || e != std::floor(e) || std::abs(e) > 1e15)
    raise("Matrix power with a non-integer exponent is not supported.");
  // Repeated squaring; a negative power inverts first.
  Value base = toNumeric(a, "mpower");
  if (e < 0) base = leftDivide(base, eye({Value::scalar(static_cast<double>(a.rows()))}));
  Value result = eye({Value::scalar(static_cast<double>(a.rows()))});
  for (auto k = static_cast<unsigned long long>(std::abs(e)); k > 0; k >>= 1) {
    if (k & 1) result = mtimes(result, base);
    if (k > 1) base = mtimes(base, base);
  }
  return result;
}

}  // namespace kh
