// Matrix operations: product, transposes, division and power.
#pragma once

#include "host/values/value.h"

namespace kh {

Value mtimes(const Value& a, const Value& b);
// Transpose without conjugation; ctranspose conjugates. N-d arrays error.
Value transpose(const Value& a);
Value ctranspose(const Value& a);
// a / b and a \ b (see solve.h).
Value mrdivide(const Value& a, const Value& b);
Value mldivide(const Value& a, const Value& b);
// a ^ b for scalars, and a square matrix to an integer power.
Value mpower(const Value& a, const Value& b);

}  // namespace kh
