#include "host/kernels/arrays/construct.h"

#include <algorithm>
#include <cmath>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/messages.h"

namespace kh {
Value zeros(const Dims& d) { return Value::numeric(d); }

Value ones(const Dims& d) {
  Value r = Value::numericForWrite(d);
  if (r.numel() > 0) std::fill_n(r.mutRe(), r.numel(), 1.0);
  return r;
}

Value eye(const Dims& d) {
  if (d.size() > 2) raise("N-dimensional identity matrices are not supported.");
  Value r = Value::numeric(d);
  double* z = r.mutRe();
  for (std::size_t i = 0; i < std::min(d[0], d[1]); ++i) z[i + i * d[0]] = 1.0;
  return r;
}

Value cellArray(const Dims& d) { return Value::cell(d); }

Value reshape(const Value& x, Dims d, std::optional<std::size_t> inferred) {
  if (inferred) {
    const std::size_t rest = numelOf(d);
    if (rest == 0 || x.numel() % rest) raise(msg::kReshapeCount);
    d[*inferred] = x.numel() / rest;
  }
  if (numelOf(d) != x.numel()) raise(msg::kReshapeCount);
  Value r = x;
  r.reshape(d);
  return r;
}

Value diag(const Value& x, double kd) {
  if (!std::isfinite(kd) || kd != std::floor(kd))
    raise("K-th diagonal input must be an integer scalar.");
  if (std::fabs(kd) > static_cast<double>(kMaxElements)) raise(kSizeExceeded);
  if (x.ndims() > 2) raise("First input must be 2-D.");
  // |k| is now a whole number below 2^48, exact as a double and as an integer.
  const std::size_t off = static_cast<std::size_t>(std::fabs(kd));
  const int k = kd < 0 ? -1 : 1;  // only the sign of k is needed below
  if (x.isVector() || x.isEmpty()) {
    if (x.isEmpty() && !(x.rows() == 0 && x.cols() == 0) && !x.isVector()) {
      // An empty matrix has an empty diagonal.
      return blankLike(x, {0, 1});
    }
    const std::size_t n = x.numel() + off;
    if (x.isDouble() && !x.isComplex()) {
      Value r = Value::numeric({n, n});
      double* z = r.mutRe();
      const double* v = x.re();
      for (std::size_t i = 0; i < x.numel(); ++i) {
        const std::size_t row = k >= 0 ? i : i + off, col = k >= 0 ? i + off : i;
        z[row + col * n] = v[i];
      }
      return r;
    }
    Value r = blankLike(x, {n, n});
    if (r.isDouble()) r.setLogical(false);
    for (std::size_t i = 0; i < x.numel(); ++i) {
      const std::size_t row = k >= 0 ? i : i + off, col = k >= 0 ? i + off : i;
      copyElement(r, row + col * n, x, i);
    }
    return r;
  }
  const std::size_t m = x.rows(), n = x.cols();
  if (x.isDouble() && !x.isComplex()) {
    // Rows off.., columns 0.. below the main diagonal; rows 0.., columns off.. on and above it.
    const std::size_t r0 = k >= 0 ? 0 : off, c0 = k >= 0 ? off : 0;
    const std::size_t len = r0 < m && c0 < n ? std::min(m - r0, n - c0) : 0;
    Value r = Value::numericForWrite({len, 1});
    r.setLogical(x.isLogical());
    if (len == 0) return r;
    double* z = r.mutRe();
    const double* v = x.re();
    for (std::size_t i = 0; i < len; ++i) z[i] = v[(r0 + i) + (c0 + i) * m];
    return r;
  }
  std::vector<std::size_t> lin;
  for (std::size_t i = 0;; ++i) {
    const std::size_t row = k >= 0 ? i : i + off, col = k >= 0 ? i + off : i;
    if (row >= m || col >= n) break;
    lin.push_back(row + col * m);
  }
  Value r = blankLike(x, {lin.size(), 1});
  for (std::size_t i = 0; i < lin.size(); ++i) copyElement(r, i, x, lin[i]);
  return r;
}

}  // namespace kh
