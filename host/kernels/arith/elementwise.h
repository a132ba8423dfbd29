// Element-wise arithmetic, comparisons, logical operators and functions of
// one array. Binary operations expand a scalar operand to the other's size;
// otherwise the sizes must be equal. Characters take part as their codes.
#pragma once

#include "host/values/value.h"

namespace kh {

enum class BinOp { Plus, Minus, Times, Rdivide, Ldivide, Power };
enum class CmpOp { Eq, Ne, Lt, Le, Gt, Ge };
enum class UnaryFn {
  Abs,
  Sqrt,
  Log,
  Cos,
  Sin,
  Tan,
  Exp,
  Atan,
  Round,
  Fix,
  Floor,
  Ceil,
  Sign,
  Real,
  Imag,
  Conj,
  Isnan,
  Isinf,
  Isfinite,
  Double,
};

Value binary(BinOp op, const Value& a, const Value& b);
// Comparisons give logical arrays; the ordering ones compare real parts.
Value compare(CmpOp op, const Value& a, const Value& b);
Value logicalAnd(const Value& a, const Value& b);
Value logicalOr(const Value& a, const Value& b);
Value logicalNot(const Value& a);
Value uminus(const Value& a);
Value unary(UnaryFn fn, const Value& a);

// The same operations on operands the caller gives up: when an operand is a
// real double array whose data nothing else shares and that has the
// result's shape, the result is written over it instead of into new memory.
// Results are those of the forms above.
Value binary(BinOp op, Value&& a, Value&& b);
Value compare(CmpOp op, Value&& a, Value&& b);
Value unary(UnaryFn fn, Value&& a);
// Remainder after division with the sign of the dividend; rem(x, 0) is NaN.
Value rem(const Value& a, const Value& b);
// Lower-case (upper-case) letters of a text (cells of texts element by
// element); other values come back unchanged.
Value lower(const Value& a);
Value upper(const Value& a);

// Dimensions of the result of a binary element-wise operation (scalar
// expansion), or an error when the sizes disagree.
Dims broadcastDims(const Value& a, const Value& b);

}  // namespace kh
