// Sorting along a dimension, stable: ascending with NaN last, or descending
// with NaN first; equal elements keep their order either way.
#pragma once

#include <optional>

#include "host/values/value.h"

namespace kh {

struct Sorted {
  Value values;
  Value index;  // 1-based original positions along the dimension
};

// Numbers and characters (complex values by magnitude, then angle), and
// cells of texts (by character codes). The values keep their class, but
// for a logical input, which sorts to doubles.
Sorted sortAlong(const Value& x, std::optional<std::size_t> dim = std::nullopt,
                 bool descend = false);

}  // namespace kh
