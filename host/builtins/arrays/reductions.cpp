#include "host/builtins/arrays/reductions.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/reduce.h"
#include "host/kernels/arrays/sort.h"

namespace kh::builtin {
namespace {

template <typename F>
void reduction(Call& c, F f) {
  c.counts(1, 2);
  c.give(f(c.arg(0), optionalDim(c, 1)));
}

void extreme(Call& c, bool isMax) {
  c.counts(1, 3, 2);
  // A second input compares two arrays element by element; an empty one
  // (or none) asks for the extreme along a dimension: max(x, []) is max(x),
  // and max(x, [], dim) works along dim.
  if (c.nargin() >= 2 && !c.arg(1).isEmpty()) {
    const std::string fn = isMax ? "MAX" : "MIN";
    if (c.nargout() > 1)
      raise(fn + " with two matrices to compare and two output arguments is not supported.");
    if (c.nargin() == 3)
      raise(fn + " with two matrices to compare and a working dimension is not supported.");
    c.give(isMax ? maxOf(c.arg(0), c.arg(1)) : minOf(c.arg(0), c.arg(1)));
    return;
  }
  Extreme e = isMax ? maxAlong(c.arg(0), optionalDim(c, 2)) : minAlong(c.arg(0), optionalDim(c, 2));
  c.give(std::move(e.value));
  c.give(std::move(e.index));
}

}  // namespace

void sum(Call& c) {
  reduction(c, [](const Value& x, auto d) { return kh::sum(x, d); });
}
void prod(Call& c) {
  reduction(c, [](const Value& x, auto d) { return kh::prod(x, d); });
}
void all(Call& c) {
  reduction(c, [](const Value& x, auto d) { return kh::all(x, d); });
}
void any(Call& c) {
  reduction(c, [](const Value& x, auto d) { return kh::any(x, d); });
}
void max(Call& c) { extreme(c, true); }
void min(Call& c) { extreme(c, false); }

void diff(Call& c) {
  c.counts(1, 3);
  std::size_t order = 1;
  if (c.has(1) && !c.arg(1).isEmpty())
    order = countArg(scalarArg(c.arg(1), "Difference order N"),
                     "Difference order N must be a positive integer scalar.");
  c.give(kh::diff(c.arg(0), order, optionalDim(c, 2)));
}

void find(Call& c) {
  c.counts(1, 3, 3);
  std::size_t limit = SIZE_MAX;
  bool fromEnd = false;
  if (c.has(1)) {
    constexpr const char* kCount = "The number of positions to find must be a positive integer.";
    const Value& n = c.arg(1);
    if (!n.isDouble() || n.numel() != 1) raise(kCount);
    const double v = n.at(0);
    if (!(v >= 1) || (v != std::floor(v) && !std::isinf(v))) raise(kCount);
    if (v < 0x1p63) limit = static_cast<std::size_t>(v);
  }
  if (c.has(2)) {
    const std::string where = c.arg(2).isChar() ? c.arg(2).utf8() : "";
    if (where != "first" && where != "last")
      raise("The direction of find must be 'first' or 'last'.");
    fromEnd = where == "last";
  }
  if (c.nargout() <= 1) {
    c.give(kh::find(c.arg(0), limit, fromEnd));
    return;
  }
  Found f = findSubscripts(c.arg(0), limit, fromEnd);
  c.give(std::move(f.rows));
  c.give(std::move(f.cols));
  c.give(std::move(f.values));
}

void sort(Call& c) {
  c.counts(1, 3, 2);
  std::optional<std::size_t> dim;
  bool descend = false;
  for (std::size_t k = 1; k < c.nargin(); ++k) {
    if (!c.has(k)) continue;
    const Value& a = c.arg(k);
    if (a.isChar() && (k == 2 || c.nargin() == 2)) {
      const std::string d = lower(a).utf8();
      if (d != "ascend" && d != "descend")
        raise("The sorting direction must be 'ascend' or 'descend'.");
      descend = d == "descend";
    } else if (k == 1) {
      dim = dimArg(a);
    } else {
      raise("The sorting direction must be 'ascend' or 'descend'.");
    }
  }
  Sorted s = sortAlong(c.arg(0), dim, descend);
  c.give(std::move(s.values));
  c.give(std::move(s.index));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("sum", sum);
  registerBuiltin("prod", prod);
  registerBuiltin("all", all);
  registerBuiltin("any", any);
  registerBuiltin("max", max);
  registerBuiltin("min", min);
  registerBuiltin("diff", diff);
  registerBuiltin("find", find);
  registerBuiltin("sort", sort);
  return true;
}();
}  // namespace

}  // namespace kh::builtin
