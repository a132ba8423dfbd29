#include "host/ops/index.h"

#include <algorithm>
#include <cmath>

#include "host/context/errors.h"
#include "host/ops/convert.h"
#include "host/ops/messages.h"

namespace kh {
namespace {

// One subscript resolved against the extent of its dimension.
struct IndexList {
  bool colon = false;
  std::vector<std::size_t> idx;  // 0-based positions
  Dims shape;                    // shape of the subscript itself
  std::size_t max = 0;           // largest 1-based position, 0 when none
};

IndexList resolve(const Value& s, std::size_t extent) {
  IndexList L;
  if (isColonIndex(s)) {
    L.colon = true;
    L.idx.resize(extent);
    for (std::size_t i = 0; i < extent; ++i) L.idx[i] = i;
    L.shape = {extent, 1};
    L.max = extent;
    return L;
  }
  if (!isNumericLike(s)) raise(msg::kIndexNotInteger);
  if (s.isLogical()) {
    const double* m = s.re();
    for (std::size_t i = 0; i < s.numel(); ++i)
      if (m[i] != 0.0) L.idx.push_back(i);
    const bool row = s.ndims() == 2 && s.rows() == 1;
    L.shape = s.isEmpty() ? s.dims() : (row ? Dims{1, L.idx.size()} : Dims{L.idx.size(), 1});
    L.max = L.idx.empty() ? 0 : L.idx.back() + 1;
    return L;
  }
  const Value n = toNumeric(s, "index");
  L.idx.resize(n.numel());
  for (std::size_t i = 0; i < n.numel(); ++i) {
    const double v = n.at(i);
    if (std::isnan(v) || v != std::floor(v)) raise(msg::kIndexNotInteger);
    if (v < 1) raise(msg::kIndexNotPositive);
    if (v > 4294967295.0) raise("Maximum variable size allowed by the program is exceeded.");
    L.idx[i] = static_cast<std::size_t>(v) - 1;
    L.max = std::max(L.max, L.idx[i] + 1);
  }
  L.shape = n.dims();
  return L;
}

// Whether a subscript list takes positions 1 .. extent in order.
bool isIdentity(const IndexList& l, std::size_t extent) {
  if (l.colon) return true;
  if (l.idx.size() != extent) return false;
  for (std::size_t i = 0; i < extent; ++i)
    if (l.idx[i] != i) return false;
  return true;
}

// The dimensions seen by k subscripts: the k-th absorbs the rest.
Dims folded(const Dims& d, std::size_t k) {
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
  for (const auto& l : L) total *= l.idx.size();
  if (total == 0) return;
  std::vector<std::size_t> stride(k, 1), pos(k, 0);
  for (std::size_t j = 1; j < k; ++j) stride[j] = stride[j - 1] * d[j - 1];
  for (std::size_t n = 0; n < total; ++n) {
    std::size_t lin = 0;
    for (std::size_t j = 0; j < k; ++j) lin += L[j].idx[pos[j]] * stride[j];
    f(n, lin);
    for (std::size_t j = 0; j < k; ++j) {
      if (++pos[j] < L[j].idx.size()) break;
      pos[j] = 0;
    }
  }
}

Value gather(const Value& a, const std::vector<std::size_t>& lin, Dims out) {
  const Value& src = a.isPlaceholder() ? Value::empty() : a;
  Value r = blankLike(src, std::move(out));
  if (src.isDouble()) {
    const double* x = src.re();
    double* z = r.mutRe();
    for (std::size_t k = 0; k < lin.size(); ++k) z[k] = x[lin[k]];
    if (src.isComplex()) {
      const double* xi = src.im();
      double* zi = r.mutIm();
      for (std::size_t k = 0; k < lin.size(); ++k) zi[k] = xi[lin[k]];
    }
    return r;
  }
  for (std::size_t k = 0; k < lin.size(); ++k) copyElement(r, k, src, lin[k]);
  return r;
}

bool isEmpty2d(const Dims& d) { return d.size() == 2 && numelOf(d) == 0; }

// Converts the right-hand side of an assignment to the class of the target.
Value convertForAssign(const Value& target, const Value& rhs) {
  if (target.cls() == rhs.cls()) return rhs;
  if (target.isDouble() && rhs.isChar()) return toNumeric(rhs, "assignment");
  if (target.isChar() && rhs.isDouble()) {
    Value c = Value::chars(rhs.dims());
    char16_t* p = c.mutChr();
    for (std::size_t i = 0; i < rhs.numel(); ++i) p[i] = static_cast<char16_t>(rhs.at(i));
    return c;
  }
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

void assignLinear(Value& t, const Value& s, const Value& rhs) {
  const std::size_t n = t.numel();
  const IndexList L = resolve(s, n);
  if (rhs.numel() != 1 && rhs.numel() != L.idx.size()) raise(msg::kAssignCount);
  if (L.idx.empty()) return;
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
    Value g = blankLike(t, nd);
    for (std::size_t i = 0; i < n; ++i) copyElement(g, i, t, i);
    t = std::move(g);
  }
  const bool scalar = rhs.numel() == 1;
  for (std::size_t k = 0; k < L.idx.size(); ++k) copyElement(t, L.idx[k], rhs, scalar ? 0 : k);
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
        if (q != j) others *= L[q].idx.size();
      if (others == 0 || rhs.numel() % others) raise(msg::kAssignShape);
      extent = rhs.numel() / others;
    } else {
      extent = rhs.dim(j);
    }
    L[j].colon = true;
    L[j].idx.resize(extent);
    for (std::size_t i = 0; i < extent; ++i) L[j].idx[i] = i;
    L[j].max = extent;
  }
  Dims counts(k), nd = fd;
  for (std::size_t j = 0; j < k; ++j) {
    counts[j] = L[j].idx.size();
    nd[j] = std::max(fd[j], L[j].max);
  }
  const std::size_t total = numelOf(counts);
  if (rhs.numel() != 1) {
    if (rhs.numel() != total || nonSingleton(counts) != nonSingleton(rhs.dims()))
      raise(msg::kAssignShape);
  }
  if (total == 0) return;
  if (nd != fd) {
    if (!t.isEmpty() && k < t.ndims()) raise(msg::kCannotResize);
    Value g = blankLike(t, nd);
    if (!t.isEmpty()) {
      std::vector<IndexList> all(k);
      for (std::size_t j = 0; j < k; ++j) all[j] = resolve(colonIndex(), fd[j]);
      forEachPosition(all, nd, [&](std::size_t n, std::size_t lin) { copyElement(g, lin, t, n); });
    }
    t = std::move(g);
  }
  const bool scalar = rhs.numel() == 1;
  const Dims layout = folded(t.dims(), k);
  forEachPosition(
      L, layout, [&](std::size_t n, std::size_t lin) { copyElement(t, lin, rhs, scalar ? 0 : n); });
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
      if (indexIsVector) out = a.rows() == 1 ? Dims{1, L.idx.size()} : Dims{L.idx.size(), 1};
    }
    return gather(a, L.idx, out);
  }
  const std::size_t k = subs.size();
  const Dims fd = folded(a.dims(), k);
  std::vector<IndexList> L(k);
  Dims out(k);
  for (std::size_t j = 0; j < k; ++j) {
    L[j] = resolve(subs[j], fd[j]);
    if (L[j].max > fd[j]) raise(msg::kIndexExceeds);
    out[j] = L[j].idx.size();
  }
  if (!a.isPlaceholder() && std::all_of(L.begin(), L.end(), [&](const IndexList& l) {
        return isIdentity(l, fd[&l - L.data()]);
      })) {
    // Every subscript takes its whole dimension in order: the same data.
    Value r = a;
    r.reshape(out);
    return r;
  }
  std::vector<std::size_t> lin;
  lin.reserve(numelOf(out));
  forEachPosition(L, fd, [&](std::size_t, std::size_t p) { lin.push_back(p); });
  return gather(a, lin, out);
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
  Value t = prepareTarget(a, rhs);
  const Value r = convertForAssign(t, rhs);
  if (subs.size() == 1)
    assignLinear(t, subs[0], r);
  else
    assignMulti(t, subs, r);
  finishNumeric(t, r.isLogical());
  a = std::move(t);
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
    if (L.idx.empty()) return;
    std::vector<bool> gone(n, false);
    for (auto i : L.idx) gone[i] = true;
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
      for (auto i : L[j].idx) seen[i] = true;
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
  if (L[which].idx.empty()) return;
  std::vector<bool> gone(fd[which], false);
  for (auto i : L[which].idx) gone[i] = true;
  std::vector<IndexList> keepL(k);
  for (std::size_t j = 0; j < k; ++j) keepL[j] = resolve(colonIndex(), fd[j]);
  keepL[which].idx.clear();
  for (std::size_t i = 0; i < fd[which]; ++i)
    if (!gone[i]) keepL[which].idx.push_back(i);
  Dims nd = fd;
  nd[which] = keepL[which].idx.size();
  std::vector<std::size_t> lin;
  forEachPosition(keepL, fd, [&](std::size_t, std::size_t p) { lin.push_back(p); });
  a = gather(a, lin, nd);
}

std::vector<Value> braceRef(const Value& a, const Subscripts& subs) {
  if (!a.isCell()) raise(msg::kCellRefNonCell);
  const Value sel = indexRef(a, subs);
  std::vector<Value> out;
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
  if (subs.size() == 1)
    assignLinear(t, subs[0], wrapped);
  else
    assignMulti(t, subs, wrapped);
  a = std::move(t);
}

std::vector<Value> fieldRef(const Value& a, const std::string& name) {
  if (!a.isStruct()) raise(msg::kFieldOfNonStruct);
  const int f = a.fieldIndex(name);
  if (f < 0) raise("Reference to non-existent field '" + name + "'.");
  std::vector<Value> out;
  for (std::size_t e = 0; e < a.numel(); ++e)
    out.push_back(a.fieldAt(e, static_cast<std::size_t>(f)));
  return out;
}

void fieldAssign(Value& a, const std::string& name, const Value& rhs) {
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
