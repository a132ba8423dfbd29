// Case, character arrays, text search and numbers read from text.
#include <cstdint>
#include <string_view>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/builtins/text/text.h"
#include "host/core/errors.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/text/strmatch.h"
#include "host/kernels/text/text_ops.h"

namespace kh::builtin {

void lower(Call& c) {
  c.counts(1, 1);
  c.give(kh::lower(c.arg(0)));
}

void upper(Call& c) {
  c.counts(1, 1);
  c.give(kh::upper(c.arg(0)));
}

void chars(Call& c) {
  c.counts(0, SIZE_MAX);
  if (c.nargin() == 0) return c.give(Value::chars({0, 0}));
  c.give(charRows(inputsFrom(c)));
}

void deblank(Call& c) {
  c.counts(1, 1);
  c.give(kh::deblank(c.arg(0)));
}

void strmatch(Call& c) {
  c.counts(2, 3);
  if (c.nargin() > 2 && c.arg(2).utf8() != "exact") raise("Invalid flag.");
  c.give(kh::strmatch(c.arg(0), c.arg(1), c.nargin() > 2));
}

void sscanf(Call& c) {
  c.counts(2, 3, 4);
  if (!c.arg(0).isChar() || !c.arg(1).isChar()) raise("Input must be a string.");
  std::size_t limit = static_cast<std::size_t>(-1);
  if (c.nargin() > 2) {
    const Value& size = c.arg(2);
    if (!size.isDouble() || size.isComplex())
      raise("The size argument of sscanf must be real numbers.");
    double total = 1;
    for (std::size_t i = 0; i < size.numel(); ++i) total *= size.re()[i];
    if (total >= 0 && total < 0x1p64) limit = static_cast<std::size_t>(total);
  }
  ScanResult r = scanNumbers(c.arg(0).utf8(), c.arg(1).utf8(), limit);
  c.give(std::move(r.values));
  c.give(Value::scalar(static_cast<double>(r.count)));
  c.give(Value::str(std::string_view(r.error)));
  c.give(Value::scalar(static_cast<double>(r.next)));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("lower", lower);
  registerBuiltin("upper", upper);
  registerBuiltin("char", chars);
  registerBuiltin("deblank", deblank);
  registerBuiltin("strmatch", strmatch);
  registerBuiltin("sscanf", sscanf);
  return true;
}();
}  // namespace

}  // namespace kh::builtin
