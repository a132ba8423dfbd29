#include "host/builtins/arguments.h"

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"

namespace kh::builtin {

std::optional<std::size_t> optionalDim(const Call& c, std::size_t k) {
  if (!c.has(k)) return std::nullopt;
  return dimArg(c.arg(k));
}

std::string textArg(const Call& c, std::size_t k, const char* fn) {
  const Value& v = c.arg(k);
  if (!v.isChar()) raise(std::string("The argument of ") + fn + " must be a text.");
  return v.utf8();
}

}  // namespace kh::builtin
