// Comparing host values in tests: exact equality of class, size, flags and
// data (cells and structures compared element by element).
#pragma once

#include <string>

#include "host/values/value.h"

namespace kt {

// "" when a and b are equal, else where they first differ.
std::string valueDifference(const kh::Value& a, const kh::Value& b);
inline bool sameValue(const kh::Value& a, const kh::Value& b) {
  return valueDifference(a, b).empty();
}

}  // namespace kt
