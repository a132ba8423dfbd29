// Concatenation: [a, b, ...] and [a; b; ...].
#pragma once

#include <vector>

#include "host/values/value.h"

namespace kh {

// Joins values along dimension `dim` (0-based). Empty 0-by-0 operands are
// skipped. Characters mixed with numbers give characters; a cell among the
// operands makes the others single cells. All other dimensions must agree.
Value concat(Values parts, std::size_t dim);
inline Value horzcat(Values parts) { return concat(parts, 1); }
inline Value vertcat(Values parts) { return concat(parts, 0); }

}  // namespace kh
