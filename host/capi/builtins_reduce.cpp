// C entry points of the reductions, searches and sorting.
#include <optional>

#include "host/capi/wrap.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/reduce.h"
#include "host/kernels/arrays/sort.h"
#include "runtime/builtins.h"

namespace {

std::optional<std::size_t> dimOf(mxArray* dim) {
  if (!dim) return std::nullopt;
  return kh::dimArg(kh::valueOf(dim));
}

template <typename F>
mxArray* reduceCall(mxArray* x, mxArray* dim, F f) {
  kh::CallInputs in(x, dim);
  return in.result(f(kh::valueOf(x), dimOf(dim)));
}

mxArray* extremeCall(mxArray** index, mxArray* x, mxArray* y, mxArray* dim, bool isMax) {
  kh::CallInputs in(x, y, dim);
  if (y && !kh::valueOf(y).isEmpty()) {
    if (index)
      kh::raise(std::string(isMax ? "MAX" : "MIN") +
                " with two matrices to compare and two output arguments is not supported.");
    if (dim)
      kh::raise(std::string(isMax ? "MAX" : "MIN") +
                " with two matrices to compare and a working dimension is not supported.");
    return in.result(isMax ? kh::maxOf(kh::valueOf(x), kh::valueOf(y))
                           : kh::minOf(kh::valueOf(x), kh::valueOf(y)));
  }
  kh::Extreme e =
      isMax ? kh::maxAlong(kh::valueOf(x), dimOf(dim)) : kh::minAlong(kh::valueOf(x), dimOf(dim));
  kh::setOutput(index, std::move(e.index));
  return in.result(std::move(e.value));
}

}  // namespace

extern "C" {

mxArray* mlfSum(mxArray* x, mxArray* dim) {
  return reduceCall(x, dim, [](const kh::Value& v, auto d) { return kh::sum(v, d); });
}
mxArray* mlfProd(mxArray* x, mxArray* dim) {
  return reduceCall(x, dim, [](const kh::Value& v, auto d) { return kh::prod(v, d); });
}
mxArray* mlfAll(mxArray* x, mxArray* dim) {
  return reduceCall(x, dim, [](const kh::Value& v, auto d) { return kh::all(v, d); });
}
mxArray* mlfAny(mxArray* x, mxArray* dim) {
  return reduceCall(x, dim, [](const kh::Value& v, auto d) { return kh::any(v, d); });
}

mxArray* mlfMax(mxArray** index, mxArray* x, mxArray* y, mxArray* dim) {
  return extremeCall(index, x, y, dim, true);
}
mxArray* mlfMin(mxArray** index, mxArray* x, mxArray* y, mxArray* dim) {
  return extremeCall(index, x, y, dim, false);
}

mxArray* mlfDiff(mxArray* x, mxArray* n, mxArray* dim) {
  kh::CallInputs in(x, n, dim);
  std::size_t order = 1;
  if (n && !kh::valueOf(n).isEmpty()) {
    order = kh::countArg(kh::scalarArg(kh::valueOf(n), "Difference order N"),
                         "Difference order N must be a positive integer scalar.");
  }
  return in.result(kh::diff(kh::valueOf(x), order, dimOf(dim)));
}

mxArray* mlfFind(mxArray** cols, mxArray** values, mxArray* x) {
  kh::CallInputs in(x);
  if (!cols && !values) return in.result(kh::find(kh::valueOf(x)));
  kh::Found f = kh::findSubscripts(kh::valueOf(x));
  kh::setOutput(cols, std::move(f.cols));
  kh::setOutput(values, std::move(f.values));
  return in.result(std::move(f.rows));
}

mxArray* mlfSort(mxArray** index, mxArray* x, mxArray* dim) {
  kh::CallInputs in(x, dim);
  kh::Sorted s = kh::sortAlong(kh::valueOf(x), dimOf(dim));
  kh::setOutput(index, std::move(s.index));
  return in.result(std::move(s.values));
}

}  // extern "C"
