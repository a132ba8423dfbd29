#include "host/kernels/signal/filter1d.h"

#include <algorithm>
#include <complex>
#include <vector>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"

namespace kh {
namespace {

using C = std::complex<double>;

std::vector<C> coefficients(const Value& v, const char* what) {
  const Value n = toNumeric(v, "filter");
  if (!n.isEmpty() && !n.isVector() && n.numel() != 1)
    raise(std::string("Filter coefficients (") + what + ") must be vectors.");
  std::vector<C> c(n.numel());
  for (std::size_t i = 0; i < c.size(); ++i) c[i] = n.cat(i);
  return c;
}

}  // namespace

FilterResult filter(const Value& b0, const Value& a0, const Value& x0, const Value* zi,
                    std::optional<std::size_t> dim) {
  std::vector<C> b = coefficients(b0, "B"), a = coefficients(a0, "A");
  if (b.empty() || a.empty()) raise("Filter coefficients cannot be empty.");
  if (a[0] == 0.0) raise("First denominator filter coefficient must be non-zero.");
  const std::size_t order = std::max(a.size(), b.size());
  const C a1 = a[0];
  for (C& c : b) c /= a1;
  for (C& c : a) c /= a1;
  b.resize(order, 0.0);
  a.resize(order, 0.0);

  const Value x = toNumeric(x0, "filter");
  const Dims& d = x.dims();
  const std::size_t k = dim ? *dim : firstNonSingleton(d);
  const std::size_t len = x.dim(k);
  std::size_t stride = 1;
  for (std::size_t i = 0; i < k && i < d.size(); ++i) stride *= d[i];
  const std::size_t count = len ? x.numel() / len : 0;  // number of vectors
  const std::size_t nz = order - 1;

  std::vector<C> z0(nz * count, 0.0);
  bool complex = x.isComplex() || b0.isComplex() || a0.isComplex();
  if (zi && !zi->isEmpty()) {
    const Value zv = toNumeric(*zi, "filter");
    if (zv.numel() != nz * std::max<std::size_t>(count, 1) && !(count == 0 && zv.numel() == nz))
      raise("Initial conditions must be a vector of length max(length(a),length(b))-1.");
    for (std::size_t i = 0; i < std::min(zv.numel(), z0.size()); ++i) z0[i] = zv.cat(i);
    complex = complex || zv.isComplex();
  }

  Value y = Value::numeric(d, complex);
  Value zf = Value::numeric({nz, std::max<std::size_t>(count, 1)}, complex);
  std::vector<C> z(nz + 1);
  for (std::size_t v = 0; v < count; ++v) {
    // Vector v starts at the element whose index skips the filtered dimension.
    const std::size_t start = (v % stride) + (v / stride) * stride * len;
    std::fill(z.begin(), z.end(), 0.0);
    std::copy(z0.begin() + static_cast<std::ptrdiff_t>(v * nz),
              z0.begin() + static_cast<std::ptrdiff_t>((v + 1) * nz), z.begin());
    for (std::size_t n = 0; n < len; ++n) {
      const std::size_t at = start + n * stride;
      const C xn = x.cat(at);
      const C yn = b[0] * xn + z[0];
      for (std::size_t i = 1; i < order; ++i) z[i - 1] = b[i] * xn + z[i] - a[i] * yn;
      y.mutRe()[at] = yn.real();
      if (complex) y.mutIm()[at] = yn.imag();
    }
    for (std::size_t i = 0; i < nz; ++i) {
      zf.mutRe()[v * nz + i] = z[i].real();
      if (complex) zf.mutIm()[v * nz + i] = z[i].imag();
    }
  }
  y.dropZeroImag();
  zf.dropZeroImag();
  return {y, zf};
}

}  // namespace kh
