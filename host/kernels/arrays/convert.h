// Conversions shared by the array operations: reading operands as numbers,
// scalar arguments, and the first non-singleton dimension.
#pragma once

#include <cstddef>
#include <string>

#include "host/values/value.h"

namespace kh {

// The operand as a double array: doubles as they are (logical flag kept),
// characters as their codes. Anything else raises an error naming `op`.
Value toNumeric(const Value& v, const std::string& op);
// A number as a character code: its whole part when that is a code (0 to
// 65535), else 0 (negative, too large, NaN).
inline char16_t charCode(double x) {
  return x >= 0 && x < 65536 ? static_cast<char16_t>(x) : u'\0';
}
// Numbers (or characters) as a char array of the same size, by charCode.
Value charsFrom(const Value& v);
// Whether v can be read as numbers (double or char).
bool isNumericLike(const Value& v);
// The first element of a numeric-like scalar argument; raises when v is empty
// or not numeric. `what` names the argument in the message.
double scalarArg(const Value& v, const std::string& what);
// A dimension argument (1-based, positive integer), returned 0-based.
// v as a count: a whole number from 0 to kMaxElements, else the error msg.
std::size_t countArg(double v, const char* msg);
std::size_t dimArg(const Value& v);
// Dimension k of d as runs: `len` elements, `inner` apart, `outer` groups of
// them (what an operation along one dimension walks).
struct Runs {
  std::size_t inner = 1, len = 1, outer = 1;
};
Runs runsAlong(const Dims& d, std::size_t k);
// 0-based index of the first dimension whose length is not 1 (0 when none).
std::size_t firstNonSingleton(const Dims& d);
// A copy of v's element i as a 1x1 value of the same class.
Value elementAt(const Value& v, std::size_t i);
// A value of the same class as `like` with dimensions d, filled with the
// class's default element (0, char 0, [] for cells, empty fields for structs).
Value blankLike(const Value& like, Dims d);
// Copies element si of src into element di of dst; both of one class.
void copyElement(Value& dst, std::size_t di, const Value& src, std::size_t si);

}  // namespace kh
