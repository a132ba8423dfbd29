// The element-wise functions and the arithmetic operators as functions:
// the one-argument table (abs, sqrt, ..., double), plus, minus, times,
// rdivide, ldivide, power, mtimes, rem, transpose, ctranspose, log2 and
// atan2, read once for every door. The one-argument functions are inline:
// the library calls them at nearly every step, and through the C door a
// temporary input gives its storage to the result.
#pragma once

#include "host/builtins/call.h"
#include "host/kernels/arith/elementwise.h"

namespace kh::builtin {

// abs(x), sqrt(x), ... : the function fn of the table, element by element.
inline void unaryWith(Call& c, UnaryFn fn) {
  c.counts(1, 1);
  c.give(kh::unary(fn, c.take(0)));
}
template <UnaryFn F>
inline void unary(Call& c) {
  unaryWith(c, F);
}

// plus(a, b), minus(a, b), ...: the operator Op, element by element.
template <BinOp Op>
inline void binary(Call& c) {
  c.counts(2, 2);
  c.give(kh::binary(Op, c.arg(0), c.arg(1)));
}

void mtimes(Call& c);      // mtimes(a, b)
void rem(Call& c);         // rem(x, y)
void transpose(Call& c);   // transpose(x)
void ctranspose(Call& c);  // ctranspose(x)
// log2(x); [f, e] = log2(x), x = f .* 2.^e with 0.5 <= |f| < 1
void log2(Call& c);
void atan2(Call& c);  // atan2(y, x)

}  // namespace kh::builtin
