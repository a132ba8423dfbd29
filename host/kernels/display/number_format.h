// Number layout of the host's "format short": the text of each element of a
// numeric matrix, a common column width and, when magnitudes call for it, a
// common scale factor ("1.0e+03 *").
#pragma once

#include <string>
#include <vector>

#include "host/values/value.h"

namespace kh {

struct NumberLayout {
  std::string scaleLine;           // "  1.0e+03 *" or empty
  std::size_t width = 0;           // width of every column, leading blanks included
  std::vector<std::string> cells;  // element texts (right-aligned to width), column order
};

// Layout of the elements of a 2-D numeric page starting at element `offset`
// with the given rows and columns.
NumberLayout layoutNumbers(const Value& v, std::size_t offset, std::size_t rows, std::size_t cols);

// A scalar written compactly, as inside a cell or a structure display ("5",
// "3.1416", "1.0000e+05", "1.0000 + 2.0000i").
std::string compactNumber(double re, double im, bool complex);

}  // namespace kh
