// Matrix division: a \ b and a / b with full matrices.
#pragma once

#include "host/values/value.h"

namespace kh {

// x = a \ b: a scalar a divides element by element; a square a is solved
// by a triangular solve when it is triangular, else by LU with partial
// pivoting, warning when it is singular or badly conditioned; a non-square a
// gives the least-squares solution by column-pivoted QR (a basic solution,
// with a warning, when a is rank deficient).
Value leftDivide(const Value& a, const Value& b);
// x = a / b = (b' \ a')'.
Value rightDivide(const Value& a, const Value& b);

}  // namespace kh
