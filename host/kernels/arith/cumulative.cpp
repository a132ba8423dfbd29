#include "host/kernels/arith/cumulative.h"

#include <complex>

#include "host/kernels/arrays/convert.h"

namespace kh {
namespace {

template <typename Step>
Value runAlong(const Value& x0, std::optional<std::size_t> dim, const char* fn, double init,
               Step step) {
  Value x = toNumeric(x0, fn);
  x.setLogical(false);
  const std::size_t k = dim ? *dim : firstNonSingleton(x.dims());
  const Runs runs = runsAlong(x.dims(), k);
  const std::size_t inner = runs.inner, len = runs.len, outer = runs.outer;
  const bool complex = x.isComplex();
  Value r = Value::numeric(x.dims(), complex);
  if (x.isEmpty()) return r;
  double* zr = r.mutRe();
  double* zi = complex ? r.mutIm() : nullptr;
  for (std::size_t o = 0; o < outer; ++o)
    for (std::size_t i = 0; i < inner; ++i) {
      std::complex<double> acc = init;
      for (std::size_t l = 0; l < len; ++l) {
        const std::size_t p = i + l * inner + o * inner * len;
        acc = step(acc, x.cat(p));
        zr[p] = acc.real();
        if (zi) zi[p] = acc.imag();
      }
    }
  r.dropZeroImag();
  return r;
}

}  // namespace

Value cumsum(const Value& x, std::optional<std::size_t> dim) {
  if (x.isDouble() && !x.isComplex()) {
    // Real numbers: the same sums without complex arithmetic.
    return runAlong(x, dim, "cumsum", 0.0, [](auto acc, auto v) {
      return std::complex<double>(acc.real() + v.real(), 0.0);
    });
  }
  return runAlong(x, dim, "cumsum", 0.0, [](auto acc, auto v) { return acc + v; });
}

Value cumprod(const Value& x, std::optional<std::size_t> dim) {
  if (!x.isComplex()) {
    // Real numbers: a complex product would turn 0 * Inf's zero imaginary
    // parts into NaN.
    return runAlong(x, dim, "cumprod", 1.0, [](auto acc, auto v) {
      return std::complex<double>(acc.real() * v.real(), 0.0);
    });
  }
  return runAlong(x, dim, "cumprod", 1.0, [](auto acc, auto v) { return acc * v; });
}

}  // namespace kh
