// Matrix operations: product, transposes, and division and power by scalars.
// Full solves with non-scalar divisors belong to the linear-algebra layer.
#pragma once

#include "host/array/value.h"

namespace kh {

Value mtimes(const Value& a, const Value& b);
// Transpose without conjugation; ctranspose conjugates. N-d arrays error.
Value transpose(const Value& a);
Value ctranspose(const Value& a);
// a / b; b must be a scalar for now.
Value mrdivide(const Value& a, const Value& b);
// a \ b; a must be a scalar for now.
Value mldivide(const Value& a, const Value& b);
// a ^ b for scalars.
Value mpower(const Value& a, const Value& b);

}  // namespace kh
