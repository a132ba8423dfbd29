// Ranges a:b and a:s:b as row vectors.
#pragma once

#include "host/values/value.h"

namespace kh {

// Element k is a + k*s; the count allows for rounding in (b-a)/s, so that
// 0:0.1:1 has 11 elements. An empty range is 1-by-0. Two character bounds
// give a character range ('a':'e').
Value colon(const Value& a, const Value& b);
Value colon(const Value& a, const Value& step, const Value& b);
Value colonRange(double a, double step, double b);

}  // namespace kh
