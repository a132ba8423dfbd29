#include "host/builtins/arguments.h"

#include <cmath>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/messages.h"

namespace kh::builtin {

std::optional<std::size_t> optionalDim(const Call& c, std::size_t k) {
  if (!c.has(k)) return std::nullopt;
  return dimArg(c.arg(k));
}

void detail::sizeCountError(double v) {
  if (std::isnan(v)) raise("Size arguments must not be NaN.");
  raise(kSizeExceeded);
}

Dims detail::sizeArgsSlow(const Call& c, std::size_t k, const char* fn) {
  const std::size_t n = c.nargin() - k;
  std::size_t end = k + n;
  // A trailing class name: only double arrays exist here.
  while (end - k > 1 && c.arg(end - 1).isChar()) {
    if (c.arg(end - 1).utf8() != "double")
      raise(std::string("Only double arrays can be made by ") + fn + ".");
    --end;
  }
  // Text is not a size: zeros('ab') would otherwise be 97-by-98.
  for (std::size_t j = k; j < end; ++j)
    if (!isNumericLike(c.arg(j)) || c.arg(j).isChar())
      raise(std::string("Size arguments of ") + fn + " must be numeric.");
  if (end - k == 1) {
    const Value v = toNumeric(c.arg(k), fn);
    if (v.numel() == 1) return {sizeCount(v.at(0)), sizeCount(v.at(0))};
    if (v.isEmpty()) return {0, 0};
    if (!v.isVector()) raise("Size vector must be a row vector with real elements.");
    Dims d;
    for (std::size_t i = 0; i < v.numel(); ++i) d.push_back(sizeCount(v.at(i)));
    return normalizeDims(d);
  }
  Dims d;
  for (std::size_t j = k; j < end; ++j) {
    if (c.arg(j).numel() != 1) raise("Size arguments must be scalars.");
    d.push_back(sizeCount(toNumeric(c.arg(j), fn).at(0)));
  }
  return normalizeDims(d);
}

std::string textArg(const Call& c, std::size_t k, const char* fn) {
  const Value& v = c.arg(k);
  if (!v.isChar()) raise(std::string("The argument of ") + fn + " must be a text.");
  return v.utf8();
}

}  // namespace kh::builtin
