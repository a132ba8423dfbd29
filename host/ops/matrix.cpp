#include "host/ops/matrix.h"

#include <complex>

#include "host/context/errors.h"
#include "host/ops/convert.h"
#include "host/ops/elementwise.h"
#include "host/ops/messages.h"

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

Value mrdivide(const Value& a, const Value& b) {
  if (b.numel() == 1) return binary(BinOp::Rdivide, a, b);
  raise("Matrix right division by a non-scalar is not built yet.");
}

Value mldivide(const Value& a, const Value& b) {
  if (a.numel() == 1) return binary(BinOp::Ldivide, a, b);
  raise("Matrix left division by a non-scalar is not built yet.");
}

Value mpower(const Value& a, const Value& b) {
  if (a.numel() == 1 && b.numel() == 1) return binary(BinOp::Power, a, b);
  raise("Matrix power of a non-scalar is not built yet.");
}

}  // namespace kh
