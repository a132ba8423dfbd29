// Running sums and products along a dimension (cumsum, cumprod). Without a
// dimension they run along the first one whose length is not 1; the result
// has the input's size, and NaN carries on from where it appears.
#pragma once

#include <optional>

#include "host/values/value.h"

namespace kh {

Value cumsum(const Value& x, std::optional<std::size_t> dim = std::nullopt);
Value cumprod(const Value& x, std::optional<std::size_t> dim = std::nullopt);

}  // namespace kh
