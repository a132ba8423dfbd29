// Sorting in ascending order along a dimension, stable, NaN last.
#pragma once

#include <optional>

#include "host/array/value.h"

namespace kh {

struct Sorted {
  Value values;
  Value index;  // 1-based original positions along the dimension
};

// Numbers and characters; complex values by magnitude, then angle.
Sorted sortAlong(const Value& x, std::optional<std::size_t> dim = std::nullopt);

}  // namespace kh
