#include "host/builtins/arguments.h"

#include "host/kernels/arrays/convert.h"

namespace kh::builtin {

std::optional<std::size_t> optionalDim(const Call& c, std::size_t k) {
  if (!c.has(k)) return std::nullopt;
  return dimArg(c.arg(k));
}

}  // namespace kh::builtin
