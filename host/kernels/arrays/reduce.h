// Reductions along a dimension (sum, prod, max, min, all, any), find and diff.
// any ignores NaN elements; all counts them as non-zero.
// Without a dimension they work along the first one whose length is not 1;
// a 0-by-0 input then reduces as if it were a single empty column.
#pragma once

#include <cstdint>
#include <optional>

#include "host/values/value.h"

namespace kh {

Value sum(const Value& x, std::optional<std::size_t> dim = std::nullopt);
Value prod(const Value& x, std::optional<std::size_t> dim = std::nullopt);
Value all(const Value& x, std::optional<std::size_t> dim = std::nullopt);
Value any(const Value& x, std::optional<std::size_t> dim = std::nullopt);

// Largest (or smallest) element along a dimension, ignoring NaN unless every
// element is NaN; `index` (when not null) receives the 1-based position of
// the first such element. Complex values compare by magnitude, then angle.
struct Extreme {
  Value value;
  Value index;
};
Extreme maxAlong(const Value& x, std::optional<std::size_t> dim = std::nullopt);
Extreme minAlong(const Value& x, std::optional<std::size_t> dim = std::nullopt);
// Element-wise larger (smaller) of two arrays, with scalar expansion; a NaN
// loses to a number.
Value maxOf(const Value& a, const Value& b);
Value minOf(const Value& a, const Value& b);

// Positions of the non-zero elements: linear indices (a row for a row input,
// else a column), or rows, columns and values. With a limit, at most that
// many: the first ones, or the last ones when fromEnd (in increasing order
// still).
Value find(const Value& x);
Value find(const Value& x, std::size_t limit, bool fromEnd);
struct Found {
  Value rows, cols, values;
};
Found findSubscripts(const Value& x, std::size_t limit = SIZE_MAX, bool fromEnd = false);

// n-th order differences along a dimension.
Value diff(const Value& x, std::size_t order = 1, std::optional<std::size_t> dim = std::nullopt);

}  // namespace kh
