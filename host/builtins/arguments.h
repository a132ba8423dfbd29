// Reading the common kinds of argument of a built-in's call.
#pragma once

#include <cstddef>
#include <optional>

#include "host/builtins/call.h"

namespace kh::builtin {

// The working dimension given as input k, or none when it was not given.
std::optional<std::size_t> optionalDim(const Call& c, std::size_t k);

}  // namespace kh::builtin
