// Questions about values: size and shape, class, equality, truth.
#pragma once

#include <string>

#include "host/values/value.h"

namespace kh {

// The size vector (a row, at least two elements).
Value sizeVector(const Value& x);
// The length along a 0-based dimension: 1 beyond the last one.
std::size_t sizeAlong(const Value& x, std::size_t dim);
// Output k (0-based) of [d1, ..., dn] = size(x): the last one absorbs the
// product of the rest.
double sizeOutput(const Value& x, std::size_t k, std::size_t n);

// Sizes and values equal; double and character compare by code ('a' equals
// 97); NaN is never equal; cells and structures compare element by element.
bool isEqual(const Value& a, const Value& b);
// Class names and the categories "numeric" and "float"; a logical array is
// of class "logical" only.
bool isA(const Value& x, const std::string& cls);
bool isReal(const Value& x);
// Equal texts: both character arrays of the same size and characters.
bool textEqual(const Value& a, const Value& b);
// strcmp: a logical scalar for two texts, an array when a cell of texts is
// involved; anything that is not text compares false.
Value strcmpValue(const Value& a, const Value& b);
// Truth of a condition: non-empty, and every element non-zero (a complex
// element counts when either part is).
bool truthValue(const Value& x);

}  // namespace kh
