#include "host/kernels/arrays/sort.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>
#include <string>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"

namespace kh {

namespace {

// Ascending with NaN last; equal keys keep their order.
inline bool realLess(double a, double b) {
  if (std::isnan(a)) return false;
  if (std::isnan(b)) return true;
  return a < b;
}
// Descending with NaN first.
inline bool realGreater(double a, double b) {
  if (std::isnan(a)) return !std::isnan(b);
  if (std::isnan(b)) return false;
  return a > b;
}

// Real doubles: the keys are read from the data directly, and short runs
// are sorted by insertion (stable, and without the merge buffer).
template <typename Before>
Sorted sortReal(const Value& x, std::size_t inner, std::size_t len, std::size_t outer,
                Before before) {
  // (A logical input sorts to doubles.)
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
      auto less = [&](std::size_t a, std::size_t b) {
        return before(key[a * inner], key[b * inner]);
      };
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

// Any other class: `before(p, q)` compares the elements at linear positions
// p and q, and the elements are copied in the order found.
template <typename Before>
Sorted sortGeneral(const Value& x, std::size_t inner, std::size_t len, std::size_t outer,
                   Before before) {
  Sorted s{blankLike(x, x.dims()), Value::numeric(x.dims())};
  std::vector<std::size_t> order(len);
  for (std::size_t o = 0; o < outer; ++o)
    for (std::size_t i = 0; i < inner; ++i) {
      const std::size_t base = i + o * inner * len;
      std::iota(order.begin(), order.end(), 0);
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return before(base + a * inner, base + b * inner);
      });
      for (std::size_t l = 0; l < len; ++l) {
        copyElement(s.values, base + l * inner, x, base + order[l] * inner);
        s.index.mutRe()[base + l * inner] = static_cast<double>(order[l] + 1);
      }
    }
  return s;
}

Sorted sortTexts(const Value& x, std::size_t inner, std::size_t len, std::size_t outer,
                 bool descend) {
  std::vector<std::u16string> keys(x.numel());
  for (std::size_t k = 0; k < x.numel(); ++k) {
    const Value& e = x.cellAt(k);
    if (!e.isChar()) raise("Only cells whose elements are all texts can be sorted.");
    keys[k] = e.u16();
  }
  if (descend)
    return sortGeneral(x, inner, len, outer,
                       [&](std::size_t a, std::size_t b) { return keys[b] < keys[a]; });
  return sortGeneral(x, inner, len, outer,
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
}

}  // namespace

Sorted sortAlong(const Value& x, std::optional<std::size_t> dim, bool descend) {
  if (!isNumericLike(x) && !x.isCell())
    raise("Only numeric and character arrays and cells of texts can be sorted.");
  const std::size_t k = dim ? *dim : firstNonSingleton(x.dims());
  const Runs runs = runsAlong(x.dims(), k);
  const std::size_t inner = runs.inner, len = runs.len, outer = runs.outer;
  if (x.isCell()) return sortTexts(x, inner, len, outer, descend);
  if (x.isDouble() && !x.isComplex()) {
    if (descend) return sortReal(x, inner, len, outer, realGreater);
    return sortReal(x, inner, len, outer, realLess);
  }
  const Value num = toNumeric(x, "sort");
  const bool complex = num.isComplex();
  auto isNan = [](std::complex<double> c) { return std::isnan(c.real()) || std::isnan(c.imag()); };
  // Ascending order of two non-NaN keys.
  auto less = [&](std::complex<double> a, std::complex<double> b) {
    if (!complex) return a.real() < b.real();
    const double ma = std::abs(a), mb = std::abs(b);
    if (ma != mb) return ma < mb;
    return std::arg(a) < std::arg(b);
  };
  Sorted s = sortGeneral(x, inner, len, outer, [&](std::size_t p, std::size_t q) {
    const auto a = num.cat(p), b = num.cat(q);
    if (descend) {
      if (isNan(a)) return !isNan(b);
      return !isNan(b) && less(b, a);
    }
    if (isNan(a)) return false;
    return isNan(b) || less(a, b);
  });
  return s;
}

}  // namespace kh
