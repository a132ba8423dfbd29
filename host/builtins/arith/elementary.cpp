// Elementary functions beyond the table of one-argument ones: log2 (with its
// mantissa and exponent form) and atan2.
#include <cmath>
#include <complex>
#include <numbers>

#include "host/builtins/arith/elementwise.h"
#include "host/core/errors.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/arrays/convert.h"

namespace kh::builtin {
namespace {

// log2(x): exact at powers of two; a negative or complex element makes the
// result complex, log2|x| + i*angle(x)/log(2).
Value log2Of(const Value& x0) {
  Value x = toNumeric(x0, "log2");
  const std::size_t n = x.numel();
  bool complex = x.isComplex();
  for (std::size_t k = 0; k < n && !complex; ++k) complex = x.re()[k] < 0;
  Value r = Value::numeric(x.dims(), complex);
  if (n == 0) return r;
  double* zr = r.mutRe();
  if (!complex) {
    for (std::size_t k = 0; k < n; ++k) zr[k] = std::log2(x.re()[k]);
    return r;
  }
  double* zi = r.mutIm();
  for (std::size_t k = 0; k < n; ++k) {
    const std::complex<double> c = x.cat(k);
    zr[k] = c.imag() == 0.0 ? std::log2(std::abs(c.real())) : std::log2(std::abs(c));
    zi[k] = std::arg(c) / std::numbers::ln2;
  }
  r.dropZeroImag();
  return r;
}

// [f, e] = log2(x): x = f .* 2.^e with 0.5 <= |f| < 1 (f and e 0 for 0, and
// f = x, e = 0 for Inf and NaN). Of a complex x, its real part.
void mantissaExponent(Call& c, const Value& x0) {
  const Value x = toNumeric(x0, "log2");
  Value f = Value::numeric(x.dims()), e = Value::numeric(x.dims());
  for (std::size_t k = 0; k < x.numel(); ++k) {
    const double v = x.re()[k];
    int exponent = 0;
    const double m = std::isfinite(v) ? std::frexp(v, &exponent) : v;
    f.mutRe()[k] = m;
    e.mutRe()[k] = exponent;
  }
  c.give(std::move(f));
  c.give(std::move(e));
}

}  // namespace

void log2(Call& c) {
  c.counts(1, 1, 2);
  if (c.nargout() > 1) return mantissaExponent(c, c.arg(0));
  c.give(log2Of(c.arg(0)));
}

// atan2(y, x): the angle of the point (x, y), in [-pi, pi], element by
// element with a scalar expanded.
void atan2(Call& c) {
  c.counts(2, 2);
  const Value y = toNumeric(c.arg(0), "atan2"), x = toNumeric(c.arg(1), "atan2");
  if (y.isComplex() || x.isComplex()) raise("The arguments of atan2 must be real.");
  const Dims d = broadcastDims(y, x);
  Value r = Value::numeric(d);
  const bool sy = y.numel() == 1, sx = x.numel() == 1;
  for (std::size_t k = 0; k < r.numel(); ++k)
    r.mutRe()[k] = std::atan2(y.re()[sy ? 0 : k], x.re()[sx ? 0 : k]);
  c.give(std::move(r));
}

}  // namespace kh::builtin
