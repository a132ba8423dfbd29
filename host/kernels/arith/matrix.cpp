#include "host/kernels/arith/matrix.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

#include "host/core/errors.h"
#include "host/kernels/arith/double_pairs.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/arrays/construct.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/linalg/lean_paths.h"
#include "host/kernels/linalg/solve.h"
#include "host/kernels/messages.h"

namespace kh {

namespace {

// Every element of z below is the sum over p of x(i, p) * y(p, j), added in
// order of p to a running sum that starts from zero: the order of the plain
// column-by-column update (columnProduct), so all of them give the same bits.

// z = x * y for x of one to three rows: the dot products of a column of y
// together, reading x once in order.
void fewRows(const double* x, const double* y, double* z, std::size_t m, std::size_t k,
             std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) {
    const double* yj = y + j * k;
    double* zj = z + j * m;
    if (m == 1) {
      double s = 0.0;
      for (std::size_t p = 0; p < k; ++p) s += x[p] * yj[p];
      zj[0] = s;
    } else if (m == 2) {
      Pair s = {0.0, 0.0};
      for (std::size_t p = 0; p < k; ++p) s += loadPair(x + 2 * p) * splat(yj[p]);
      storePair(zj, s);
    } else {
      // Rows 0 and 1 as a pair, row 2 alone; two steps of p per turn.
      Pair s01 = {0.0, 0.0};
      double s2 = 0.0;
      const double* xp = x;
      std::size_t p = 0;
      for (; p + 2 <= k; p += 2, xp += 6) {
        const double b0 = yj[p], b1 = yj[p + 1];
        s01 += loadPair(xp) * splat(b0);
        s2 += xp[2] * b0;
        s01 += loadPair(xp + 3) * splat(b1);
        s2 += xp[5] * b1;
      }
      if (p < k) {
        s01 += loadPair(xp) * splat(yj[p]);
        s2 += xp[2] * yj[p];
      }
      storePair(zj, s01);
      zj[2] = s2;
    }
  }
}

// z = x * y with a short inner dimension: rows of z eight, two or one at a
// time, summed in registers, each element of z written once. Each block of
// rows reads one stretch of every column of x, so the inner dimension is
// kept short (kShortInner) for those reads to stay few.
void shortInner(const double* x, const double* y, double* z, std::size_t m, std::size_t k,
                std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) {
    const double* yj = y + j * k;
    double* zj = z + j * m;
    std::size_t i = 0;
    for (; i + 8 <= m; i += 8) {
      Pair s0 = {0.0, 0.0}, s1 = s0, s2 = s0, s3 = s0;
      const double* xp = x + i;
      for (std::size_t p = 0; p < k; ++p, xp += m) {
        const Pair b = splat(yj[p]);
        s0 += loadPair(xp) * b;
        s1 += loadPair(xp + 2) * b;
        s2 += loadPair(xp + 4) * b;
        s3 += loadPair(xp + 6) * b;
      }
      storePair(zj + i, s0);
      storePair(zj + i + 2, s1);
      storePair(zj + i + 4, s2);
      storePair(zj + i + 6, s3);
    }
    for (; i + 2 <= m; i += 2) {
      Pair s = {0.0, 0.0};
      const double* xp = x + i;
      for (std::size_t p = 0; p < k; ++p, xp += m) s += loadPair(xp) * splat(yj[p]);
      storePair(zj + i, s);
    }
    if (i < m) {
      double s = 0.0;
      for (std::size_t p = 0; p < k; ++p) s += x[i + p * m] * yj[p];
      zj[i] = s;
    }
  }
}

// z = x * y column by column: z(:, j) accumulates x(:, p) * y(p, j).
void columnProduct(const double* x, const double* y, double* z, std::size_t m, std::size_t k,
                   std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) {
    double* zj = z + j * m;
    std::fill(zj, zj + m, 0.0);
    for (std::size_t p = 0; p < k; ++p) {
      const double bpj = y[p + j * k];
      const double* xp = x + p * m;
      for (std::size_t i = 0; i < m; ++i) zj[i] += xp[i] * bpj;
    }
  }
}

// The longest inner dimension for shortInner. Measured on a 100-row x
// times a column: a quarter to half fewer instructions than columnProduct
// for every inner dimension from 3 to 128; 32 keeps the column stretches
// one block reads at once within what the caches follow well.
constexpr std::size_t kShortInner = 32;

// z = x * y for real m-by-k x and k-by-n y, every element of z written.
void realProduct(const double* x, const double* y, double* z, std::size_t m, std::size_t k,
                 std::size_t n) {
  if (leanPaths()) {
    if (m < 4) return fewRows(x, y, z, m, k, n);
    if (k <= kShortInner) return shortInner(x, y, z, m, k, n);
  }
  columnProduct(x, y, z, m, k, n);
}

}  // namespace

Value mtimes(const Value& a0, const Value& b0) {
  // Double operands are used as they are; characters become numbers first.
  Value ac, bc;
  const Value& a = a0.isDouble() ? a0 : (ac = toNumeric(a0, "mtimes"));
  const Value& b = b0.isDouble() ? b0 : (bc = toNumeric(b0, "mtimes"));
  if (a.numel() == 1 || b.numel() == 1) return binary(BinOp::Times, a, b);
  if (a.ndims() > 2 || b.ndims() > 2) raise("Input arguments must be 2-D.");
  const std::size_t m = a.rows(), k = a.cols(), n = b.cols();
  if (b.rows() != k) raise(msg::kInnerDims);
  const bool complex = a.isComplex() || b.isComplex();
  if (!complex) {
    Value r = Value::numericForWrite({m, n});
    if (m * n > 0) {
      if (k == 0)
        std::fill(r.mutRe(), r.mutRe() + m * n, 0.0);
      else
        realProduct(a.re(), b.re(), r.mutRe(), m, k, n);
    }
    return r;
  }
  Value r = Value::numeric({m, n}, complex);
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

// z = x.' for m-by-n x with n = 2, 3 or 4: each row of x becomes one
// column of z.
void transposeFewColumns(const double* x, double* z, std::size_t m, std::size_t n) {
  const double* x0 = x;
  const double* x1 = x + m;
  const double* x2 = n > 2 ? x + 2 * m : x;
  const double* x3 = n > 3 ? x + 3 * m : x;
  if (n == 2) {
    for (std::size_t i = 0; i < m; ++i, z += 2) {
      z[0] = x0[i];
      z[1] = x1[i];
    }
  } else if (n == 3) {
    for (std::size_t i = 0; i < m; ++i, z += 3) {
      z[0] = x0[i];
      z[1] = x1[i];
      z[2] = x2[i];
    }
  } else {
    for (std::size_t i = 0; i < m; ++i, z += 4) {
      z[0] = x0[i];
      z[1] = x1[i];
      z[2] = x2[i];
      z[3] = x3[i];
    }
  }
}

// z = x.' for m-by-n x: each column of x read in order into a row of z.
void transposeColumns(const double* x, double* z, std::size_t m, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) {
    const double* src = x + j * m;
    double* dst = z + j;
    std::size_t i = 0;
    for (; i + 4 <= m; i += 4, dst += 4 * n) {
      dst[0] = src[i];
      dst[n] = src[i + 1];
      dst[2 * n] = src[i + 2];
      dst[3 * n] = src[i + 3];
    }
    for (; i < m; ++i, dst += n) *dst = src[i];
  }
}

Value transposeImpl(const Value& a, bool conj) {
  if (a.ndims() > 2) raise(msg::kTransposeNd);
  if (a.isPlaceholder()) raise("Undefined value used in transpose.");
  const std::size_t m = a.rows(), n = a.cols();
  if ((m == 1 || n == 1) && !(conj && a.isComplex()) && !a.isFunction()) {
    // A vector's elements keep their order: the result shares the data.
    Value r = a;
    r.reshape({n, m});
    return r;
  }
  if (a.isDouble()) {
    Value r = Value::numericForWrite({n, m}, a.isComplex());
    r.setLogical(a.isLogical());
    const double* x = a.re();
    double* z = r.mutRe();
    if (n >= 2 && n <= 4)
      transposeFewColumns(x, z, m, n);
    else
      transposeColumns(x, z, m, n);
    if (a.isComplex()) {
      const double* xi = a.im();
      double* zi = r.mutIm();
      const double s = conj ? -1.0 : 1.0;
      for (std::size_t j = 0; j < n; ++j)
        for (std::size_t i = 0; i < m; ++i) zi[j + i * n] = s * xi[i + j * m];
    }
    return r;
  }
  Value r = blankLike(a, {n, m});
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
  if (e < 0) base = leftDivide(base, eye({a.rows(), a.rows()}));
  Value result = eye({a.rows(), a.rows()});
  for (auto k = static_cast<unsigned long long>(std::abs(e)); k > 0; k >>= 1) {
    if (k & 1) result = mtimes(result, base);
    if (k > 1) base = mtimes(base, base);
  }
  return result;
}

}  // namespace kh
