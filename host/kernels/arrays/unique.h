// The distinct elements of an array (unique), with the positions that map
// between the array and them.
#pragma once

#include "host/values/value.h"

namespace kh {

struct Unique {
  Value values;  // x(first)
  Value first;   // a column of 1-based positions in x, one per value
  Value group;   // a column: values(group) is x(:)
};

// The distinct elements of numbers, characters or a cell of texts, in
// ascending order (NaN last, every NaN distinct) or, when stable, in the
// order they first appear. `first` gives each one's first position in x,
// or its last when lastPosition. The values are a row when x is a row, a
// 0-by-0 array when x is, and a column otherwise; they keep x's class.
Unique unique(const Value& x, bool stable = false, bool lastPosition = false);

}  // namespace kh
