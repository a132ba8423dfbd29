#include "host/kernels/arrays/index.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/messages.h"
#include "host/values/names.h"

namespace kh {
namespace {

// One subscript resolved against the extent of its dimension: the 0-based
// positions it takes, kept as an arithmetic progression (first, first+step,
// ...) when they form one, else as a list.
struct IndexList {
  bool colon = false;
  bool range = false;
  std::size_t first = 0;
  std::ptrdiff_t step = 1;
  std::size_t count = 0;
  std::vector<std::size_t> idx;  // the positions when not a range
  // Or, instead of idx, the subscript's own (checked, 1-based) numbers,
  // which outlive the list.
  const double* src = nullptr;
  std::size_t srcCount = 0;
  Dims shape;           // shape of the subscript itself
  std::size_t max = 0;  // largest 1-based position, 0 when none

  std::size_t size() const { return range ? count : src ? srcCount : idx.size(); }
  std::size_t operator[](std::size_t i) const {
    if (range) return first + static_cast<std::size_t>(static_cast<std::ptrdiff_t>(i) * step);
    return src ? static_cast<std::size_t>(src[i]) - 1 : idx[i];
  }
  // Positions 0 .. n-1 in order.
  void setAll(std::size_t n) {
    range = true;
    first = 0;
    step = 1;
    count = n;
    idx.clear();
    max = n;
  }
  // The positions written out as a list.
  void materialize() {
    if (!range && !src) return;
    std::vector<std::size_t> list(size());
    for (std::size_t i = 0; i < list.size(); ++i) list[i] = (*this)[i];
    idx = std::move(list);
    range = false;
    src = nullptr;
  }
};

constexpr double kMaxIndex = 4294967295.0;

[[noreturn]] void badIndex(double v) {
  if (std::isnan(v) || v != std::floor(v)) raise(msg::kIndexNotInteger);
  if (v < 1) raise(msg::kIndexNotPositive);
  raise(kSizeExceeded);
}

// A whole number from 1 to kMaxIndex (the conversion is exact in that range).
bool validIndex(double v) {
  return v >= 1 && v <= kMaxIndex && static_cast<double>(static_cast<std::uint64_t>(v)) == v;
}

// Resolves numeric positions (1-based doubles) into L; when `keep` the list
// refers to v itself, which must then outlive it.
void resolveNumbers(const double* v, std::size_t n, IndexList& L, bool keep) {
  if (n == 0) {
    L.range = true;
    return;
  }
  // Most subscripts are ranges such as 1:n or n:-1:1: when every element
  // continues the progression of the first two and the ends are valid whole
  // numbers with a whole step, every element is valid.
  const double v0 = v[0], d = n > 1 ? v[1] - v[0] : 0.0;
  bool progression =
      n < (std::size_t{1} << 31) && validIndex(v0) && validIndex(v[n - 1]) && d == std::floor(d);
  if (progression) {
    // Whole numbers below 2^53: v0 + i * d is exact, and so is the test.
    // (Counted through a double mask, a form the compiler vectorizes.)
    const auto m = static_cast<std::int32_t>(n);
    std::int64_t off = 0;
    for (std::int32_t i = 2; i < m; ++i) {
      const double miss = v[i] != v0 + static_cast<double>(i) * d ? 1.0 : 0.0;
      off += static_cast<std::int64_t>(miss);
    }
    progression = off == 0;
  }
  if (progression) {
    L.range = true;
    L.first = static_cast<std::size_t>(v0) - 1;
    L.step = static_cast<std::ptrdiff_t>(d);
    L.count = n;
    L.max = static_cast<std::size_t>(std::max(v0, v[n - 1]));
    return;
  }
  // Check every element without branching: a whole number from 1 to
  // kMaxIndex is unchanged by adding and removing 2^52 (which rounds away
  // any fraction); NaN fails every comparison.
  bool ok = true;
  double top = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = v[i];
    ok &= (x >= 1.0) & (x <= kMaxIndex) & ((x + 0x1p52) - 0x1p52 == x);
    top = x > top ? x : top;
  }
  if (!ok) {
    for (std::size_t i = 0; i < n; ++i)
      if (!validIndex(v[i])) badIndex(v[i]);
  }
  L.max = static_cast<std::size_t>(top);
  if (keep) {
    L.src = v;
    L.srcCount = n;
    return;
  }
  L.idx.resize(n);
  for (std::size_t i = 0; i < n; ++i) L.idx[i] = static_cast<std::size_t>(v[i]) - 1;
}

IndexList resolve(const Value& s, std::size_t extent) {
  IndexList L;
  if (isColonIndex(s)) {
    L.colon = true;
    L.setAll(extent);
    L.shape = {extent, 1};
    return L;
  }
  if (!isNumericLike(s)) raise(msg::kIndexNotInteger);
  if (s.isLogical()) {
    const double* m = s.re();
    const std::size_t n = s.numel();
    std::size_t nz = 0;
    for (std::size_t i = 0; i < n; ++i) nz += m[i] != 0.0;
    if (nz == n) {
      L.setAll(n);  // every position, in order
    } else {
      L.idx.resize(nz);
      std::size_t k = 0;
      for (std::size_t i = 0; i < n; ++i)
        if (m[i] != 0.0) L.idx[k++] = i;
      L.max = nz ? L.idx.back() + 1 : 0;
    }
    const bool row = s.ndims() == 2 && s.rows() == 1;
    L.shape = s.isEmpty() ? s.dims() : (row ? Dims{1, nz} : Dims{nz, 1});
    return L;
  }
  if (s.isDouble()) {
    resolveNumbers(s.re(), s.numel(), L, true);
  } else {
    const Value n = toNumeric(s, "index");
    resolveNumbers(n.re(), n.numel(), L, false);
  }
  L.shape = s.dims();
  return L;
}

// Whether a subscript list takes positions 1 .. extent in order.
bool isIdentity(const IndexList& l, std::size_t extent) {
  if (l.colon) return true;
  if (l.size() != extent) return false;
  if (l.range) return extent <= 1 || (l.first == 0 && l.step == 1);
  for (std::size_t i = 0; i < extent; ++i)
    if (l[i] != i) return false;
  return true;
}

// The dimensions seen by k >= 1 subscripts: the k-th absorbs the rest.
Dims folded(const Dims& d, std::size_t k) {
  assert(k >= 1);
  Dims f(k, 1);
  for (std::size_t j = 0; j < d.size(); ++j) {
    if (j < k)
      f[j] = d[j];
    else
      f[k - 1] *= d[j];
  }
  return f;
}

// Visits every combination of the lists in column order, passing the running
// count and the linear position in an array of dimensions d.
template <typename F>
void forEachPosition(const std::vector<IndexList>& L, const Dims& d, F&& f) {
  const std::size_t k = L.size();
  std::size_t total = 1;
  for (const auto& l : L) total = checkedProduct(total, l.size());
  if (total == 0) return;
  std::vector<std::size_t> stride(k, 1), pos(k, 0);
  for (std::size_t j = 1; j < k; ++j) stride[j] = stride[j - 1] * d[j - 1];
  const IndexList& L0 = L[0];
  const std::size_t n0 = L0.size();
  for (std::size_t n = 0; n < total; n += n0) {
    // The first subscript varies fastest: one run of it per combination of
    // the others.
    std::size_t base = 0;
    for (std::size_t j = 1; j < k; ++j) base += L[j][pos[j]] * stride[j];
    for (std::size_t i = 0; i < n0; ++i) f(n + i, base + L0[i]);
    for (std::size_t j = 1; j < k; ++j) {
      if (++pos[j] < L[j].size()) break;
      pos[j] = 0;
    }
  }
}

// The positions of a list, or of several lists combined in column order.
std::vector<std::size_t> positions(const std::vector<IndexList>& L, const Dims& d) {
  std::vector<std::size_t> lin;
  std::size_t total = 1;
  for (const auto& l : L) total = checkedProduct(total, l.size());
  lin.reserve(total);
  forEachPosition(L, d, [&](std::size_t, std::size_t p) { lin.push_back(p); });
  return lin;
}

// Copies the elements of src at the positions in L (a range or a list) to dst.
template <typename T>
void pick(const T* src, const IndexList& L, T* dst) {
  const std::size_t n = L.size();
  if (L.src) {
    const double* p = L.src;
    for (std::size_t k = 0; k < n; ++k) dst[k] = src[static_cast<std::size_t>(p[k]) - 1];
  } else if (!L.range) {
    for (std::size_t k = 0; k < n; ++k) dst[k] = src[L.idx[k]];
  } else if (L.step == 1) {
    std::copy(src + L.first, src + L.first + n, dst);
  } else {
    const T* p = src + L.first;
    const std::ptrdiff_t st = L.step;
    for (std::size_t k = 0; k < n; ++k) dst[k] = p[static_cast<std::ptrdiff_t>(k) * st];
  }
}

Value gather(const Value& a, const IndexList& L, Dims out) {
  const Value& src = a.isPlaceholder() ? Value::empty() : a;
  // Every element is written below; doubles are not cleared first.
  Value r = src.isDouble() ? Value::numericForWrite(std::move(out), src.isComplex())
                           : blankLike(src, std::move(out));
  if (src.isDouble()) r.setLogical(src.isLogical());
  const std::size_t n = L.size();
  if (n == 0) return r;
  if (src.isDouble()) {
    if (src.isComplex()) pick(src.im(), L, r.mutIm());
    pick(src.re(), L, r.mutRe());
    return r;
  }
  if (src.isChar()) {
    pick(src.chr(), L, r.mutChr());
    return r;
  }
  for (std::size_t k = 0; k < n; ++k) copyElement(r, k, src, L[k]);
  return r;
}

Value gather(const Value& a, std::vector<std::size_t> lin, Dims out) {
  IndexList L;
  L.idx = std::move(lin);
  return gather(a, L, std::move(out));
}

bool isEmpty2d(const Dims& d) { return d.size() == 2 && numelOf(d) == 0; }

// Converts the right-hand side of an assignment to the class of the target.
Value convertForAssign(const Value& target, const Value& rhs) {
  if (target.cls() == rhs.cls()) return rhs;
  if (target.isDouble() && rhs.isChar()) return toNumeric(rhs, "assignment");
  if (target.isChar() && rhs.isDouble()) return charsFrom(rhs);
  if (rhs.isPlaceholder()) raise("Undefined value used in assignment.");
  raise("Conversion to " + className(target) + " from " + className(rhs) + " is not possible.");
}

// The target of an assignment: a placeholder or an empty double takes the
// class of the right-hand side.
Value prepareTarget(const Value& a, const Value& rhs) {
  if (a.isPlaceholder() || (a.isDouble() && a.isEmpty() && !rhs.isDouble()))
    return blankLike(rhs, a.isPlaceholder() ? Dims{0, 0} : a.dims());
  return a;
}

void finishNumeric(Value& t, bool rhsLogical) {
  if (!t.isDouble()) return;
  if (t.isLogical() && !rhsLogical) t.setLogical(false);
  t.dropZeroImag();
}

// Writes rhs (one element, or one per position) into double t at the
// positions in L; t is complex afterwards when rhs is.
void storeDoubles(Value& t, const IndexList& L, const Value& rhs) {
  const std::size_t n = L.size();
  const bool scalar = rhs.numel() == 1;
  const bool cplx = rhs.isComplex();
  double* zi = cplx || t.isComplex() ? t.mutIm() : nullptr;
  double* zr = t.mutRe();
  const double* xr = rhs.re();
  const double* xi = rhs.im();
  if (scalar) {
    const double v = xr[0], w = cplx ? xi[0] : 0.0;
    for (std::size_t k = 0; k < n; ++k) zr[L[k]] = v;
    if (zi)
      for (std::size_t k = 0; k < n; ++k) zi[L[k]] = w;
    return;
  }
  if (L.range && L.step == 1) {
    std::copy(xr, xr + n, zr + L.first);
    if (zi) {
      if (cplx)
        std::copy(xi, xi + n, zi + L.first);
      else
        std::fill(zi + L.first, zi + L.first + n, 0.0);
    }
    return;
  }
  for (std::size_t k = 0; k < n; ++k) zr[L[k]] = xr[k];
  if (zi)
    for (std::size_t k = 0; k < n; ++k) zi[L[k]] = cplx ? xi[k] : 0.0;
}

// A copy of t's elements in a blank value of dimensions nd, element i of t
// going to position i (the leading part of a grown vector).
Value grownLinear(const Value& t, Dims nd) {
  Value g = blankLike(t, std::move(nd));
  const std::size_t n = t.numel();
  if (n == 0) return g;
  if (t.isDouble()) {
    if (t.isComplex()) std::copy(t.im(), t.im() + n, g.mutIm());
    std::copy(t.re(), t.re() + n, g.mutRe());
    return g;
  }
  for (std::size_t i = 0; i < n; ++i) copyElement(g, i, t, i);
  return g;
}

void assignLinear(Value& t, const Value& s, const Value& rhs) {
  const std::size_t n = t.numel();
  const IndexList L = resolve(s, n);
  const std::size_t count = L.size();
  if (rhs.numel() != 1 && rhs.numel() != count) raise(msg::kAssignCount);
  if (count == 0) return;
  if (L.max > n) {
    Dims nd;
    if (n == 0 || (t.ndims() == 2 && t.rows() == 1)) {
      nd = {1, L.max};
      if (n == 0 && t.ndims() == 2 && t.cols() == 1 && t.rows() == 0 && t.dims()[1] == 1)
        nd = {L.max, 1};
    } else if (t.ndims() == 2 && t.cols() == 1) {
      nd = {L.max, 1};
    } else {
      raise(msg::kCannotResize);
    }
    if (t.isCell() || t.isStruct())
      t.growLinear(std::move(nd));
    else
      t = grownLinear(t, std::move(nd));
  }
  if (t.isDouble() && rhs.isDouble()) {
    storeDoubles(t, L, rhs);
    return;
  }
  const bool scalar = rhs.numel() == 1;
  for (std::size_t k = 0; k < count; ++k) copyElement(t, L[k], rhs, scalar ? 0 : k);
}

// Non-singleton dimensions, in order: the shape that must agree between the
// indexed region and the right-hand side.
Dims nonSingleton(const Dims& d) {
  Dims r;
  for (auto x : d)
    if (x != 1) r.push_back(x);
  return r;
}

void assignMulti(Value& t, const Subscripts& subs, const Value& rhs) {
  const std::size_t k = subs.size();
  const Dims fd = folded(t.dims(), k);
  std::vector<IndexList> L(k);
  std::vector<std::size_t> emptyColons;
  for (std::size_t j = 0; j < k; ++j) {
    if (isColonIndex(subs[j]) && fd[j] == 0 && t.isEmpty()) {
      emptyColons.push_back(j);
      continue;
    }
    L[j] = resolve(subs[j], fd[j]);
  }
  // A ':' over an empty dimension takes its extent from the right-hand side.
  for (std::size_t j : emptyColons) {
    std::size_t extent;
    if (rhs.numel() == 1) {
      extent = 1;
    } else if (emptyColons.size() == 1) {
      std::size_t others = 1;
      for (std::size_t q = 0; q < k; ++q)
        if (q != j) others = checkedProduct(others, L[q].size());
      if (others == 0 || rhs.numel() % others) raise(msg::kAssignShape);
      extent = rhs.numel() / others;
    } else {
      extent = rhs.dim(j);
    }
    L[j].colon = true;
    L[j].setAll(extent);
  }
  Dims counts(k), nd = fd;
  for (std::size_t j = 0; j < k; ++j) {
    counts[j] = L[j].size();
    nd[j] = std::max(fd[j], L[j].max);
  }
  const std::size_t total = numelOf(counts);
  if (rhs.numel() != 1) {
    if (rhs.numel() != total || nonSingleton(counts) != nonSingleton(rhs.dims()))
      raise(msg::kAssignShape);
  }
  // An empty region still grows the array to the subscripts it names:
  // V = []; V(:, 2) = ones(0, 1) leaves V 0-by-2.
  if (nd != fd) {
    if (!t.isEmpty() && k < t.ndims()) raise(msg::kCannotResize);
    Value g = blankLike(t, nd);
    if (!t.isEmpty()) {
      std::vector<IndexList> all(k);
      for (std::size_t j = 0; j < k; ++j) all[j] = resolve(colonIndex(), fd[j]);
      if (t.isDouble()) {
        // The old elements keep their subscripts: runs of the first
        // dimension, copied through the data pointers.
        const double* xr = t.re();
        double* gr = g.mutRe();
        const double* xi = t.isComplex() ? t.im() : nullptr;
        double* gi = xi ? g.mutIm() : nullptr;
        forEachPosition(all, nd, [&](std::size_t n, std::size_t lin) {
          gr[lin] = xr[n];
          if (gi) gi[lin] = xi[n];
        });
      } else {
        forEachPosition(all, nd,
                        [&](std::size_t n, std::size_t lin) { copyElement(g, lin, t, n); });
      }
    }
    t = std::move(g);
  }
  if (total == 0) return;
  const bool scalar = rhs.numel() == 1;
  const Dims layout = folded(t.dims(), k);
  if (t.isDouble() && rhs.isDouble()) {
    // Doubles are stored straight through the data pointers, taken once.
    double* zi = rhs.isComplex() || t.isComplex() ? t.mutIm() : nullptr;
    double* zr = t.mutRe();
    const double* xr = rhs.re();
    const double* xi = rhs.im();
    forEachPosition(L, layout, [&](std::size_t n, std::size_t lin) {
      const std::size_t s = scalar ? 0 : n;
      zr[lin] = xr[s];
      if (zi) zi[lin] = xi ? xi[s] : 0.0;
    });
    return;
  }
  forEachPosition(
      L, layout, [&](std::size_t n, std::size_t lin) { copyElement(t, lin, rhs, scalar ? 0 : n); });
}

// The widest new matrix made by the short path for V(:, j) = v on a new
// variable (programs build small matrices column by column; a larger j goes
// the general way).
constexpr std::size_t kNewColumnsMax = 64;

// The whole number j of a real double scalar subscript within 1..extent,
// or 0 for anything else.
std::size_t wholeWithin(const Value& s, std::size_t extent) {
  if (!s.isDouble() || s.numel() != 1 || s.isLogical() || s.isComplex()) return 0;
  const double j = s.re()[0];
  if (!(j >= 1) || j > static_cast<double>(extent) || j != std::floor(j)) return 0;
  return static_cast<std::size_t>(j);
}

// a(:, j) of a 2-D double matrix with a whole j within it: one contiguous
// column, into out; false for anything else.
bool columnRef(const Value& a, const Subscripts& subs, Value& out) {
  if (subs.size() != 2 || !a.isDouble() || a.ndims() != 2 || !isColonIndex(subs[0])) return false;
  const std::size_t m = a.rows(), j = wholeWithin(subs[1], a.cols());
  if (j == 0) return false;
  if (a.cols() == 1) {
    out = a;  // the whole array: share its data
    return true;
  }
  Value r = Value::numericForWrite({m, 1}, a.isComplex());
  r.setLogical(a.isLogical());
  const std::size_t off = (j - 1) * m;
  if (m) std::copy(a.re() + off, a.re() + off + m, r.mutRe());
  if (m && a.isComplex()) std::copy(a.im() + off, a.im() + off + m, r.mutIm());
  out = std::move(r);
  return true;
}

// t(:, j) = v for a real 2-D double matrix, a whole j within it and a real
// double v that is a scalar or a vector of one column's length, or for a new
// variable and a real vector v; false for anything else, which takes the
// general path.
bool assignColumn(Value& t, const Subscripts& subs, const Value& v) {
  if (t.isPlaceholder() && subs.size() == 2 && v.isDouble() && !v.isComplex() && v.numel() > 1 &&
      v.ndims() == 2 && (v.rows() == 1 || v.cols() == 1) && isColonIndex(subs[0])) {
    // A new variable: zeros with v as its column j (the ':' takes its extent
    // from v; the class and the logical flag are v's).
    const std::size_t m = v.numel(), j = wholeWithin(subs[1], kNewColumnsMax);
    if (j == 0) return false;
    Value r = Value::numericForWrite({m, j});
    double* z = r.mutRe();
    std::fill(z, z + (j - 1) * m, 0.0);
    std::copy(v.re(), v.re() + m, z + (j - 1) * m);
    r.setLogical(v.isLogical());
    t = std::move(r);
    return true;
  }
  if (subs.size() != 2 || !t.isDouble() || t.ndims() != 2 || t.isComplex() || !v.isDouble() ||
      v.isComplex() || !isColonIndex(subs[0]))
    return false;
  const std::size_t m = t.rows(), j = wholeWithin(subs[1], t.cols());
  if (j == 0 || m == 0) return false;
  const bool scalar = v.numel() == 1;
  if (!scalar && !(v.numel() == m && v.ndims() == 2 && (v.rows() == 1 || v.cols() == 1)))
    return false;
  double* z = t.mutRe() + (j - 1) * m;
  if (scalar)
    std::fill(z, z + m, v.re()[0]);
  else
    std::copy(v.re(), v.re() + m, z);
  finishNumeric(t, v.isLogical());
  return true;
}

}  // namespace

Value colonIndex() { return Value::str(std::string_view(":")); }

bool isColonIndex(const Value& v) { return v.isChar() && v.numel() == 1 && v.chr()[0] == u':'; }

Value indexRef(const Value& a, const Subscripts& subs) {
  if (subs.empty()) return a;
  if (subs.size() == 1) {
    const std::size_t n = a.numel();
    if (isColonIndex(subs[0]) && !a.isPlaceholder()) {
      // a(:) is the same data as one column: share it.
      Value r = a;
      r.reshape({n, 1});
      return r;
    }
    const IndexList L = resolve(subs[0], n);
    if (L.max > n) raise(msg::kIndexExceeds);
    Dims out = L.shape;
    if (!L.colon && a.isVector() && !a.isScalar()) {
      const bool indexIsVector =
          L.shape.size() == 2 && (L.shape[0] == 1 || L.shape[1] == 1 || numelOf(L.shape) == 0);
      if (indexIsVector) out = a.rows() == 1 ? Dims{1, L.size()} : Dims{L.size(), 1};
    }
    return gather(a, L, out);
  }
  if (Value col; columnRef(a, subs, col)) return col;
  const std::size_t k = subs.size();
  const Dims fd = folded(a.dims(), k);
  std::vector<IndexList> L(k);
  Dims out(k);
  for (std::size_t j = 0; j < k; ++j) {
    L[j] = resolve(subs[j], fd[j]);
    if (L[j].max > fd[j]) raise(msg::kIndexExceeds);
    out[j] = L[j].size();
  }
  if (!a.isPlaceholder() && std::all_of(L.begin(), L.end(), [&](const IndexList& l) {
        return isIdentity(l, fd[&l - L.data()]);
      })) {
    // Every subscript takes its whole dimension in order: the same data.
    Value r = a;
    r.reshape(out);
    return r;
  }
  if (k == 2 && L[1].size() == 1) {
    // One column (or page) of a: its positions form one list.
    IndexList one = L[0];
    const std::size_t base = L[1][0] * fd[0];
    if (one.range) {
      one.first += base;
    } else {
      one.materialize();
      for (auto& p : one.idx) p += base;
    }
    return gather(a, one, out);
  }
  return gather(a, positions(L, fd), out);
}

void indexAssign(Value& a, const Subscripts& subs, const Value& rhs) {
  if (subs.empty()) {
    a = rhs;
    return;
  }
  if (rhs.isDouble() && isEmpty2d(rhs.dims()) && rhs.rows() == 0 && rhs.cols() == 0) {
    indexDelete(a, subs);
    return;
  }
  if (assignColumn(a, subs, rhs)) return;
  // An existing array is written in place: every check of the assignment
  // comes before its first write, so an error leaves it as it was. Copying it
  // first would copy all its data whenever it is shared with the copy.
  // An empty double filled with truth values becomes a truth array, so that
  // it can select: x = []; x(3) = true.
  if (a.isDouble() && a.isEmpty() && !a.isLogical() && rhs.isLogical()) a.setLogical(true);
  const bool replace = a.isPlaceholder() || (a.isDouble() && a.isEmpty() && !rhs.isDouble());
  Value fresh = replace ? prepareTarget(a, rhs) : Value();
  Value& t = replace ? fresh : a;
  const Value r = convertForAssign(t, rhs);
  if (subs.size() == 1)
    assignLinear(t, subs[0], r);
  else
    assignMulti(t, subs, r);
  finishNumeric(t, r.isLogical());
  if (replace) a = std::move(fresh);
}

void indexDelete(Value& a, const Subscripts& subs) {
  if (subs.empty()) return;
  const std::size_t n = a.numel();
  if (subs.size() == 1) {
    if (isColonIndex(subs[0])) {
      a = blankLike(a.isPlaceholder() ? Value::empty() : a, {0, 0});
      return;
    }
    const IndexList L = resolve(subs[0], n);
    if (L.max > n) raise(msg::kDeleteRange);
    if (L.size() == 0) return;
    std::vector<bool> gone(n, false);
    for (std::size_t q = 0; q < L.size(); ++q) gone[L[q]] = true;
    std::vector<std::size_t> keep;
    for (std::size_t i = 0; i < n; ++i)
      if (!gone[i]) keep.push_back(i);
    const bool column = a.ndims() == 2 && a.cols() == 1 && a.rows() != 1;
    a = gather(a, keep, column ? Dims{keep.size(), 1} : Dims{1, keep.size()});
    return;
  }
  const std::size_t k = subs.size();
  const Dims fd = folded(a.dims(), k);
  std::vector<IndexList> L(k);
  std::size_t which = k;  // the one subscript that does not cover its dimension
  for (std::size_t j = 0; j < k; ++j) {
    L[j] = resolve(subs[j], fd[j]);
    if (L[j].max > fd[j]) raise(msg::kDeleteRange);
    bool full = L[j].colon;
    if (!full) {
      std::vector<bool> seen(fd[j], false);
      for (std::size_t q = 0; q < L[j].size(); ++q) seen[L[j][q]] = true;
      full = std::all_of(seen.begin(), seen.end(), [](bool b) { return b; });
    }
    if (!full) {
      if (which != k) raise(msg::kDeleteOneIndex);
      which = j;
    }
  }
  if (which == k) {
    // Every subscript covers its dimension: everything goes.
    Dims nd = fd;
    nd[0] = 0;
    a = blankLike(a, nd);
    return;
  }
  if (L[which].size() == 0) return;
  std::vector<bool> gone(fd[which], false);
  for (std::size_t q = 0; q < L[which].size(); ++q) gone[L[which][q]] = true;
  std::vector<IndexList> keepL(k);
  for (std::size_t j = 0; j < k; ++j) keepL[j].setAll(fd[j]);
  keepL[which].range = false;
  for (std::size_t i = 0; i < fd[which]; ++i)
    if (!gone[i]) keepL[which].idx.push_back(i);
  Dims nd = fd;
  nd[which] = keepL[which].idx.size();
  a = gather(a, positions(keepL, fd), nd);
}

ValueList braceRef(const Value& a, const Subscripts& subs) {
  if (!a.isCell()) raise(msg::kCellRefNonCell);
  const Value sel = indexRef(a, subs);
  ValueList out;
  out.reserve(sel.numel());
  for (std::size_t i = 0; i < sel.numel(); ++i) out.push_back(sel.cellAt(i));
  return out;
}

void braceAssign(Value& a, const Subscripts& subs, const Value& rhs) {
  if (a.isPlaceholder() || (a.isDouble() && a.isEmpty())) a = Value::cell({0, 0});
  if (!a.isCell()) raise("Cell contents assignment to a non-cell array object.");
  Value wrapped = Value::cell({1, 1});
  wrapped.mutCellAt(0) = rhs;
  Value t = a;
  if (subs.empty()) {
    // c{} = x names every cell at once, so it fills one only when there is one.
    if (t.numel() != 1) raise(msg::kAssignCount);
    t.mutCellAt(0) = rhs;
  } else if (subs.size() == 1)
    assignLinear(t, subs[0], wrapped);
  else
    assignMulti(t, subs, wrapped);
  a = std::move(t);
}

ValueList fieldRef(const Value& a, const std::string& name) {
  if (!a.isStruct()) raise(msg::kFieldOfNonStruct);
  const int f = a.fieldIndex(name);
  if (f < 0) raise("Reference to non-existent field '" + name + "'.");
  ValueList out;
  for (std::size_t e = 0; e < a.numel(); ++e)
    out.push_back(a.fieldAt(e, static_cast<std::size_t>(f)));
  return out;
}

void fieldAssign(Value& a, const std::string& name, const Value& rhs) {
  if (!isValidName(name)) raise("Invalid field name '" + name + "'.");
  if (a.isPlaceholder() || (a.isDouble() && a.isEmpty())) a = Value::structArray({1, 1}, {});
  if (!a.isStruct()) raise("Field assignment to a non-structure array object.");
  if (a.numel() == 0) a = blankLike(a, {1, 1});
  if (a.numel() != 1)
    raise("Field assignment to a structure array with several elements is not supported.");
  const int f = a.addField(name);
  a.mutFieldAt(0, static_cast<std::size_t>(f)) = rhs;
}

std::size_t endOf(const Value& a, std::size_t k, std::size_t n) {
  if (n <= 1) return a.numel();
  if (k + 1 < n) return a.dim(k);
  std::size_t p = 1;
  for (std::size_t j = k; j < a.ndims(); ++j) p *= a.dims()[j];
  return p;
}

}  // namespace kh
