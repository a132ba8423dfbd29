#include "host/kernels/arrays/query.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"

namespace kh {

Value sizeVector(const Value& x) {
  const Dims& d = x.dims();
  Value r = Value::numericForWrite(Dims(1, d.size(), Dims::Pair{}));
  double* p = r.mutRe();
  for (std::size_t k = 0; k < d.size(); ++k) p[k] = static_cast<double>(d[k]);
  return r;
}

std::size_t sizeAlong(const Value& x, std::size_t dim) { return x.dim(dim); }

double sizeOutput(const Value& x, std::size_t k, std::size_t n) {
  double v = static_cast<double>(x.dim(k));
  if (k + 1 == n)
    for (std::size_t j = n; j < x.ndims(); ++j) v *= static_cast<double>(x.dims()[j]);
  return v;
}

namespace {

bool bothRealDoubles(const Value& a, const Value& b) {
  return a.isDouble() && b.isDouble() && !a.isComplex() && !b.isComplex();
}

// Whether real doubles a and b are equal, compared in place (NaN equals
// nothing).
bool equalReals(const Value& a, const Value& b) {
  if (a.dims() != b.dims()) return false;
  const double *x = a.re(), *y = b.re();
  for (std::size_t i = 0, n = a.numel(); i < n; ++i)
    if (!(x[i] == y[i])) return false;
  return true;
}

// Whether a and b are equal apart from what they hold: for cells and
// structures, their shapes and field names; for anything else, everything.
// The pairs of elements still to compare are added to `pending`.
bool sameShell(const Value& a, const Value& b,
               std::vector<std::pair<const Value*, const Value*>>& pending) {
  if (bothRealDoubles(a, b)) return equalReals(a, b);
  if (a.dims() != b.dims()) return false;
  if (isNumericLike(a) && isNumericLike(b)) {
    if (a.isChar() && b.isChar()) return std::equal(a.chr(), a.chr() + a.numel(), b.chr());
    const Value x = toNumeric(a, "isequal"), y = toNumeric(b, "isequal");
    for (std::size_t i = 0; i < x.numel(); ++i)
      if (!(x.cat(i) == y.cat(i)) || std::isnan(x.re()[i])) return false;
    if (x.isComplex() || y.isComplex())
      for (std::size_t i = 0; i < x.numel(); ++i)
        if (std::isnan(x.cat(i).imag())) return false;
    return true;
  }
  if (a.cls() != b.cls()) return false;
  if (a.isCell()) {
    for (std::size_t i = a.numel(); i-- > 0;) pending.emplace_back(&a.cellAt(i), &b.cellAt(i));
    return true;
  }
  if (a.isStruct()) {
    const auto& fa = a.fieldNames();
    if (fa.size() != b.fieldNames().size()) return false;
    for (std::size_t f = fa.size(); f-- > 0;) {
      const int g = b.fieldIndex(fa[f]);
      if (g < 0) return false;
      for (std::size_t e = a.numel(); e-- > 0;)
        pending.emplace_back(&a.fieldAt(e, f), &b.fieldAt(e, static_cast<std::size_t>(g)));
    }
    return true;
  }
  if (a.isFunction()) {
    const auto &x = a.functionRef(), &y = b.functionRef();
    return x.name == y.name && x.fn == y.fn && x.callable == y.callable;
  }
  return a.isPlaceholder() && b.isPlaceholder();
}

}  // namespace

bool isEqual(const Value& a, const Value& b) {
  // Two real doubles or two texts, nearly every comparison a program
  // makes: no list.
  if (bothRealDoubles(a, b)) return equalReals(a, b);
  if (a.isChar() && b.isChar())
    return a.dims() == b.dims() && std::equal(a.chr(), a.chr() + a.numel(), b.chr());
  // Cells within cells are compared from a list of pairs still to do, not
  // by recursion: however deep a value nests, the stack stays flat. Pairs
  // are taken in element order, so the first difference ends the walk.
  // The list stays empty (and allocates nothing) unless a and b hold
  // elements of their own.
  std::vector<std::pair<const Value*, const Value*>> pending;
  if (!sameShell(a, b, pending)) return false;
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    if (!sameShell(*x, *y, pending)) return false;
  }
  return true;
}

bool isA(const Value& x, const std::string& cls) {
  // A logical array is its own class: not double, and not numeric.
  if (cls == "numeric" || cls == "float" || cls == "double") return x.isDouble() && !x.isLogical();
  if (cls == "logical") return x.isLogical();
  return !x.isPlaceholder() && className(x) == cls;
}

bool isReal(const Value& x) {
  if (x.isCell() || x.isStruct() || x.isFunction()) return false;
  return !x.isComplex();
}

bool textEqual(const Value& a, const Value& b) {
  if (!a.isChar() || !b.isChar()) return false;
  // Two empty texts are equal whatever their empty sizes.
  if (a.isEmpty() && b.isEmpty()) return true;
  return a.dims() == b.dims() && a.u16() == b.u16();
}

Value strcmpValue(const Value& a, const Value& b) {
  auto cellCompare = [](const Value& cells, const Value& other, bool otherIsCell) {
    if (otherIsCell && other.numel() != 1 && cells.numel() != 1 && other.dims() != cells.dims())
      raise("Inputs must be the same size or either one can be a scalar.");
    const Value& shape = (otherIsCell && cells.numel() == 1) ? other : cells;
    Value r = Value::numeric(shape.dims());
    for (std::size_t i = 0; i < shape.numel(); ++i) {
      const Value& x = cells.cellAt(cells.numel() == 1 ? 0 : i);
      const Value& y = otherIsCell ? other.cellAt(other.numel() == 1 ? 0 : i) : other;
      r.mutRe()[i] = textEqual(x, y) ? 1.0 : 0.0;
    }
    r.setLogical(true);
    return r;
  };
  if (a.isCell()) return cellCompare(a, b, b.isCell());
  if (b.isCell()) return cellCompare(b, a, false);
  return Value::logicalScalar(textEqual(a, b));
}

bool truthValue(const Value& x) {
  if (x.isEmpty()) return false;
  if (x.isChar()) {
    for (std::size_t i = 0; i < x.numel(); ++i)
      if (x.chr()[i] == 0) return false;
    return true;
  }
  if (!x.isDouble()) {
    if (x.isPlaceholder()) raise("Undefined value used in a condition.");
    raise("Conversion to logical from " + className(x) + " is not possible.");
  }
  bool all = true;
  for (std::size_t i = 0; i < x.numel(); ++i) {
    const auto z = x.cat(i);
    if (std::isnan(z.real()) || std::isnan(z.imag()))
      raise("NaN's cannot be converted to logicals.");
    if (z == 0.0) all = false;
  }
  return all;
}

}  // namespace kh
