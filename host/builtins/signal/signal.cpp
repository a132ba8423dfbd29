#include "host/builtins/signal/signal.h"

#include <optional>

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/signal/convolution.h"
#include "host/kernels/signal/filter1d.h"

namespace kh::builtin {

void conv2(Call& c) {
  c.counts(2, 4);
  if (c.nargin() == 2) return c.give(kh::conv2(c.arg(0), c.arg(1), ConvShape::Full));
  if (c.arg(2).isChar()) {
    if (c.nargin() > 3) raise("Too many input arguments.");
    return c.give(kh::conv2(c.arg(0), c.arg(1), convShapeFromText(c.arg(2))));
  }
  const ConvShape s = c.nargin() > 3 ? convShapeFromText(c.arg(3)) : ConvShape::Full;
  c.give(conv2Separable(c.arg(0), c.arg(1), c.arg(2), s));
}

void filter(Call& c) {
  c.counts(3, 5, 2);
  const Value* zi = c.nargin() > 3 ? &c.arg(3) : nullptr;
  std::optional<std::size_t> dim;
  if (c.nargin() > 4) dim = dimArg(c.arg(4));
  FilterResult r = kh::filter(c.arg(0), c.arg(1), c.arg(2), zi, dim);
  c.give(std::move(r.y));
  if (c.nargout() > 1) c.give(std::move(r.zf));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("conv2", conv2);
  registerBuiltin("filter", filter);
  return true;
}();
}  // namespace

}  // namespace kh::builtin
