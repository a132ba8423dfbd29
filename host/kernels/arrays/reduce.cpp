#include "host/kernels/arrays/reduce.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>

#include "host/core/errors.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/linalg/lean_paths.h"

namespace kh {
namespace {

// The layout of a reduction: element (i, l, o) sits at i + l*inner +
// o*inner*len, and the result has the input's size with dim set to 1.
struct Layout {
  std::size_t inner = 1, len = 1, outer = 1;
  Dims out;
};

Layout layoutOf(const Dims& d0, std::optional<std::size_t> dim) {
  Dims d = d0;
  std::size_t k;
  if (dim) {
    k = *dim;
  } else if (d.size() == 2 && d[0] == 0 && d[1] == 0) {
    d = {0, 1};  // [] reduces like an empty column: sum([]) is 0
    k = 0;
  } else {
    k = firstNonSingleton(d);
  }
  Layout L;
  const Runs r = runsAlong(d, k);
  L.inner = r.inner;
  L.len = r.len;
  L.outer = r.outer;
  L.out = d;
  if (k < L.out.size()) L.out[k] = 1;
  L.out = normalizeDims(L.out);
  return L;
}

// A real 2-D double x reduced along its first non-singleton dimension (no
// dimension given): the runs are contiguous, `outer` of them with `len`
// elements each, and the result is 1-by-outer. False for anything else (a
// dimension, complex or N-d data, 0-by-0, or runs of no elements), which
// the general layout handles.
bool contiguousRuns(const Value& x, std::optional<std::size_t> dim, std::size_t& len,
                    std::size_t& outer) {
  if (!leanPaths() || dim || !x.isDouble() || x.isComplex() || x.ndims() != 2) return false;
  const std::size_t m = x.rows(), n = x.cols();
  len = m != 1 ? m : n;
  outer = m != 1 ? n : 1;
  return len > 0;
}

template <typename F>
Value accumulate(const Value& x0, std::optional<std::size_t> dim, const char* fn, double init,
                 F f) {
  const Value x = toNumeric(x0, fn);
  const Layout L = layoutOf(x.dims(), dim);
  const bool complex = x.isComplex();
  Value r = Value::numeric(L.out, complex);
  double* zr = r.mutRe();
  double* zi = complex ? r.mutIm() : nullptr;
  for (std::size_t o = 0; o < L.outer; ++o)
    for (std::size_t i = 0; i < L.inner; ++i) {
      std::complex<double> acc = init;
      for (std::size_t l = 0; l < L.len; ++l)
        acc = f(acc, x.cat(i + l * L.inner + o * L.inner * L.len));
      zr[i + o * L.inner] = acc.real();
      if (zi) zi[i + o * L.inner] = acc.imag();
    }
  r.dropZeroImag();
  return r;
}

Value truthAlong(const Value& x0, std::optional<std::size_t> dim, bool isAll) {
  const Value x = toNumeric(x0, isAll ? "all" : "any");
  const Layout L = layoutOf(x.dims(), dim);
  Value r = Value::numeric(L.out);
  double* z = r.mutRe();
  for (std::size_t o = 0; o < L.outer; ++o)
    for (std::size_t i = 0; i < L.inner; ++i) {
      bool acc = isAll;
      for (std::size_t l = 0; l < L.len; ++l) {
        const auto c = x.cat(i + l * L.inner + o * L.inner * L.len);
        // NaN counts as non-zero for all; any passes over it.
        const bool nz = c != 0.0 && (isAll || !(std::isnan(c.real()) || std::isnan(c.imag())));
        if (isAll && !nz) acc = false;
        if (!isAll && nz) acc = true;
      }
      z[i + o * L.inner] = acc ? 1.0 : 0.0;
    }
  r.setLogical(true);
  return r;
}

bool isNanC(std::complex<double> c) { return std::isnan(c.real()) || std::isnan(c.imag()); }

// Whether a is strictly beyond b in the direction of the extreme.
bool beyond(std::complex<double> a, std::complex<double> b, bool complex, bool isMax) {
  if (!complex) return isMax ? a.real() > b.real() : a.real() < b.real();
  const double ma = std::abs(a), mb = std::abs(b);
  if (ma != mb) return isMax ? ma > mb : ma < mb;
  const double pa = std::arg(a), pb = std::arg(b);
  return isMax ? pa > pb : pa < pb;
}

Extreme extremeAlong(const Value& x0, std::optional<std::size_t> dim, bool isMax) {
  if (std::size_t len, outer; contiguousRuns(x0, dim, len, outer)) {
    Value v = Value::numericForWrite({1, outer}), idx = Value::numericForWrite({1, outer});
    const double* x = x0.re();
    double* z = v.mutRe();
    double* w = idx.mutRe();
    for (std::size_t o = 0; o < outer; ++o, x += len) {
      std::size_t best = 0;
      bool found = false;
      for (std::size_t l = 0; l < len; ++l) {
        if (std::isnan(x[l])) continue;
        if (!found || (isMax ? x[l] > x[best] : x[l] < x[best])) {
          best = l;
          found = true;
        }
      }
      z[o] = x[best];
      w[o] = static_cast<double>(best + 1);
    }
    return {std::move(v), std::move(idx)};
  }
  const Value x = toNumeric(x0, isMax ? "max" : "min");
  if (!dim && x.ndims() == 2 && x.rows() == 0 && x.cols() == 0)
    return {Value::empty(), Value::empty()};
  const Layout L = layoutOf(x.dims(), dim);
  Dims out = L.out;
  if (L.len == 0) {
    // An empty dimension has no extreme: the result is empty along it.
    Dims d = x.dims();
    d.resize(std::max(d.size(), dim.value_or(0) + 1), 1);
    const std::size_t k = dim ? *dim : firstNonSingleton(x.dims());
    d[k] = 0;
    return {Value::numeric(normalizeDims(d)), Value::numeric(normalizeDims(d))};
  }
  const bool complex = x.isComplex();
  Value v = Value::numeric(out, complex), idx = Value::numeric(out);
  for (std::size_t o = 0; o < L.outer; ++o)
    for (std::size_t i = 0; i < L.inner; ++i) {
      std::size_t best = 0;
      bool found = false;
      for (std::size_t l = 0; l < L.len; ++l) {
        const auto c = x.cat(i + l * L.inner + o * L.inner * L.len);
        if (isNanC(c)) continue;
        if (!found || beyond(c, x.cat(i + best * L.inner + o * L.inner * L.len), complex, isMax)) {
          best = l;
          found = true;
        }
      }
      const auto c = x.cat(i + best * L.inner + o * L.inner * L.len);
      v.mutRe()[i + o * L.inner] = c.real();
      if (complex) v.mutIm()[i + o * L.inner] = c.imag();
      idx.mutRe()[i + o * L.inner] = static_cast<double>(best + 1);
    }
  v.dropZeroImag();
  return {v, idx};
}

Value extremeOf(const Value& a0, const Value& b0, bool isMax) {
  if (leanPaths() && a0.isDouble() && b0.isDouble() && !a0.isComplex() && !b0.isComplex()) {
    Value r = Value::numericForWrite(broadcastDims(a0, b0));
    const double *x = a0.re(), *y = b0.re();
    const bool sa = a0.numel() == 1, sb = b0.numel() == 1;
    double* z = r.mutRe();
    for (std::size_t k = 0; k < r.numel(); ++k) {
      const double p = x[sa ? 0 : k], q = y[sb ? 0 : k];
      if (std::isnan(p))
        z[k] = q;
      else if (std::isnan(q))
        z[k] = p;
      else
        z[k] = (isMax ? q > p : q < p) ? q : p;
    }
    return r;
  }
  const Value a = toNumeric(a0, isMax ? "max" : "min"), b = toNumeric(b0, isMax ? "max" : "min");
  const Dims d = broadcastDims(a, b);
  const bool complex = a.isComplex() || b.isComplex();
  Value r = Value::numeric(d, complex);
  const bool sa = a.numel() == 1, sb = b.numel() == 1;
  for (std::size_t k = 0; k < r.numel(); ++k) {
    const auto x = a.cat(sa ? 0 : k), y = b.cat(sb ? 0 : k);
    std::complex<double> z;
    if (isNanC(x))
      z = y;
    else if (isNanC(y))
      z = x;
    else
      z = beyond(y, x, complex, isMax) ? y : x;
    r.mutRe()[k] = z.real();
    if (complex) r.mutIm()[k] = z.imag();
  }
  r.dropZeroImag();
  return r;
}

}  // namespace

Value sum(const Value& x, std::optional<std::size_t> dim) {
  if (std::size_t len, outer; contiguousRuns(x, dim, len, outer)) {
    // Each run added in order from zero, as the general accumulation does.
    Value r = Value::numericForWrite({1, outer});
    const double* v = x.re();
    double* z = r.mutRe();
    for (std::size_t o = 0; o < outer; ++o, v += len) {
      double s = 0.0;
      for (std::size_t l = 0; l < len; ++l) s += v[l];
      z[o] = s;
    }
    return r;
  }
  return accumulate(x, dim, "sum", 0.0, [](auto acc, auto v) { return acc + v; });
}

Value prod(const Value& x, std::optional<std::size_t> dim) {
  return accumulate(x, dim, "prod", 1.0, [](auto acc, auto v) { return acc * v; });
}

Value all(const Value& x, std::optional<std::size_t> dim) { return truthAlong(x, dim, true); }
Value any(const Value& x, std::optional<std::size_t> dim) { return truthAlong(x, dim, false); }

Extreme maxAlong(const Value& x, std::optional<std::size_t> dim) {
  return extremeAlong(x, dim, true);
}
Extreme minAlong(const Value& x, std::optional<std::size_t> dim) {
  return extremeAlong(x, dim, false);
}
Value maxOf(const Value& a, const Value& b) { return extremeOf(a, b, true); }
Value minOf(const Value& a, const Value& b) { return extremeOf(a, b, false); }

namespace {

std::vector<std::size_t> nonzeros(const Value& x, std::size_t limit = SIZE_MAX,
                                  bool fromEnd = false) {
  std::vector<std::size_t> p;
  const std::size_t n = x.numel();
  for (std::size_t k = 0; k < n && p.size() < limit; ++k) {
    const std::size_t i = fromEnd ? n - 1 - k : k;
    if (x.cat(i) != 0.0) p.push_back(i);
  }
  if (fromEnd) std::reverse(p.begin(), p.end());
  return p;
}

bool rowShaped(const Value& x) { return x.ndims() == 2 && x.rows() == 1; }

Dims foundShape(const Value& x, std::size_t n) {
  if (x.ndims() == 2 && x.rows() == 0 && x.cols() == 0) return {0, 0};
  return rowShaped(x) ? Dims{1, n} : Dims{n, 1};
}

}  // namespace

Value find(const Value& x0) {
  const Value x = toNumeric(x0, "find");
  const std::size_t n = x.numel();
  if (!x.isComplex()) {
    // Count first, then write the positions straight into the result.
    const double* v = x.re();
    // (Counted through a double mask, a form the compiler vectorizes.)
    std::int64_t count = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double m = v[i] != 0.0 ? 1.0 : 0.0;
      count += static_cast<std::int64_t>(m);
    }
    const auto nz = static_cast<std::size_t>(count);
    Value r = Value::numeric(foundShape(x, nz));
    if (nz == 0) return r;
    // Every position up to the last non-zero one is written to the next free
    // slot, which only advances past a non-zero element: no branch to
    // mispredict, and never a write beyond the result.
    double* z = r.mutRe();
    std::size_t last = n - 1;
    while (v[last] == 0.0) --last;
    std::size_t k = 0, i = 0;
    double pos = 1.0;
    for (; i + 4 <= last + 1; i += 4, pos += 4.0) {
      z[k] = pos;
      k += v[i] != 0.0;
      z[k] = pos + 1.0;
      k += v[i + 1] != 0.0;
      z[k] = pos + 2.0;
      k += v[i + 2] != 0.0;
      z[k] = pos + 3.0;
      k += v[i + 3] != 0.0;
    }
    for (; i <= last; ++i, pos += 1.0) {
      z[k] = pos;
      k += v[i] != 0.0;
    }
    return r;
  }
  const auto p = nonzeros(x);
  Value r = Value::numeric(foundShape(x, p.size()));
  for (std::size_t k = 0; k < p.size(); ++k) r.mutRe()[k] = static_cast<double>(p[k] + 1);
  return r;
}

Value find(const Value& x0, std::size_t limit, bool fromEnd) {
  if (limit == SIZE_MAX && !fromEnd) return find(x0);
  const Value x = toNumeric(x0, "find");
  const auto p = nonzeros(x, limit, fromEnd);
  Value r = Value::numeric(foundShape(x, p.size()));
  for (std::size_t k = 0; k < p.size(); ++k) r.mutRe()[k] = static_cast<double>(p[k] + 1);
  return r;
}

Found findSubscripts(const Value& x0, std::size_t limit, bool fromEnd) {
  const Value x = toNumeric(x0, "find");
  const auto p = nonzeros(x, limit, fromEnd);
  const Dims d = foundShape(x, p.size());
  Found f{Value::numeric(d), Value::numeric(d), Value::numeric(d, x.isComplex())};
  f.values.setLogical(x.isLogical());
  const std::size_t m = x.rows();
  for (std::size_t k = 0; k < p.size(); ++k) {
    f.rows.mutRe()[k] = static_cast<double>(p[k] % m + 1);
    f.cols.mutRe()[k] = static_cast<double>(p[k] / m + 1);
    f.values.mutRe()[k] = x.re()[p[k]];
    if (x.isComplex()) f.values.mutIm()[k] = x.im()[p[k]];
  }
  return f;
}

Value diff(const Value& x0, std::size_t order, std::optional<std::size_t> dim) {
  Value x = toNumeric(x0, "diff");
  x.setLogical(false);
  for (std::size_t n = 0; n < order; ++n) {
    const std::size_t k = dim ? *dim : firstNonSingleton(x.dims());
    Dims d = x.dims();
    d.resize(std::max(d.size(), k + 1), 1);
    const Layout L = layoutOf(d, k);
    d[k] = L.len == 0 ? 0 : L.len - 1;
    Value r = Value::numeric(normalizeDims(d), x.isComplex());
    const std::size_t len = d[k];
    for (std::size_t o = 0; o < L.outer; ++o)
      for (std::size_t l = 0; l < len; ++l)
        for (std::size_t i = 0; i < L.inner; ++i) {
          const std::size_t src = i + l * L.inner + o * L.inner * L.len;
          const auto v = x.cat(src + L.inner) - x.cat(src);
          const std::size_t dst = i + l * L.inner + o * L.inner * len;
          r.mutRe()[dst] = v.real();
          if (x.isComplex()) r.mutIm()[dst] = v.imag();
        }
    r.dropZeroImag();
    x = std::move(r);
  }
  return x;
}

}  // namespace kh
