#include "host/ops/sort.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>

#include "host/context/errors.h"
#include "host/ops/convert.h"

namespace kh {

namespace {

// Ascending with NaN last; equal keys keep their order.
inline bool realLess(double a, double b) {
  if (std::isnan(a)) return false;
  if (std::isnan(b)) return true;
  return a < b;
}

// Real doubles: the keys are read from the data directly, and short runs
// are sorted by insertion (stable, and without the merge buffer).
Sorted sortReal(const Value& x, std::size_t inner, std::size_t len, std::size_t outer) {
  Sorted s{Value::numericForWrite(x.dims()), Value::numericForWrite(x.dims())};
  if (x.isEmpty()) return s;
  const double* v = x.re();
  double* out = s.values.mutRe();
  double* idx = s.index.mutRe();
  constexpr std::size_t kShort = 16;
  std::size_t orderSmall[kShort];
  std::vector<std::size_t> orderBig(len > kShort ? len : 0);
  std::size_t* order = len > kShort ? orderBig.data() : orderSmall;
  for (std::size_t o = 0; o < outer; ++o)
    for (std::size_t i = 0; i < inner; ++i) {
      const std::size_t base = i + o * inner * len;
      const double* key = v + base;
      auto less = [&](std::size_t a, std::size_t b) { return realLess(key[a * inner], key[b * inner]); };
      if (len <= kShort) {
        for (std::size_t l = 0; l < len; ++l) {
          std::size_t p = l;
          for (; p > 0 && less(l, order[p - 1]); --p) order[p] = order[p - 1];
          order[p] = l;
        }
      } else {
        std::iota(order, order + len, std::size_t{0});
        std::stable_sort(order, order + len, less);
      }
      for (std::size_t l = 0; l < len; ++l) {
        out[base + l * inner] = key[order[l] * inner];
        idx[base + l * inner] = static_cast<double>(order[l] + 1);
      }
    }
  return s;
}

}  // namespace

Sorted sortAlong(const Value& x, std::optional<std::size_t> dim) {
  if (!isNumericLike(x)) raise("Only numeric and character arrays can be sorted.");
  const std::size_t k = dim ? *dim : firstNonSingleton(x.dims());
  std::size_t inner = 1, len = 1, outer = 1;
  for (std::size_t j = 0; j < x.ndims(); ++j) {
    if (j < k)
      inner *= x.dims()[j];
    else if (j == k)
      len = x.dims()[j];
    else
      outer *= x.dims()[j];
  }
  if (x.isDouble() && !x.isComplex()) return sortReal(x, inner, len, outer);
  const Value num = toNumeric(x, "sort");
  const bool complex = num.isComplex();
  auto key = [&](std::size_t p) { return num.cat(p); };
  auto isNan = [](std::complex<double> c) { return std::isnan(c.real()) || std::isnan(c.imag()); };
  auto less = [&](std::complex<double> a, std::complex<double> b) {
    if (isNan(a)) return false;
    if (isNan(b)) return true;
    if (!complex) return a.real() < b.real();
    const double ma = std::abs(a), mb = std::abs(b);
    if (ma != mb) return ma < mb;
    return std::arg(a) < std::arg(b);
  };
  Sorted s{blankLike(x, x.dims()), Value::numeric(x.dims())};
  if (s.values.isDouble()) s.values.setLogical(false);
  std::vector<std::size_t> order(len);
  for (std::size_t o = 0; o < outer; ++o)
    for (std::size_t i = 0; i < inner; ++i) {
      const std::size_t base = i + o * inner * len;
      std::iota(order.begin(), order.end(), 0);
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return less(key(base + a * inner), key(base + b * inner));
      });
      for (std::size_t l = 0; l < len; ++l) {
        copyElement(s.values, base + l * inner, x, base + order[l] * inner);
        s.index.mutRe()[base + l * inner] = static_cast<double>(order[l] + 1);
      }
    }
  if (s.values.isDouble()) s.values.setLogical(false);
  return s;
}

}  // namespace kh
