// Character-array building and trimming, and reading numbers from text.
#pragma once

#include <string>
#include <vector>

#include "host/values/value.h"

namespace kh {

// char(a, b, ...): the rows of every argument stacked into one character
// matrix, shorter rows padded with blanks; numbers become character codes,
// cells contribute one row per text.
Value charRows(Values args);
// deblank(s): trailing blanks and nulls removed; on a character matrix the
// trailing columns that are blank in every row; on a cell, each text.
Value deblank(const Value& s);

struct ScanResult {
  Value values;  // a column of the numbers read
  std::size_t count = 0;
  std::string error;     // empty when the whole text was read
  std::size_t next = 1;  // 1-based index of the first character not read
};
// sscanf(s, format): reads numbers with the conversions %f %g %e %d %i and
// literal text of the format, recycling the format until the text ends or
// stops matching; the size limit is the number of values to read at most.
ScanResult scanNumbers(const std::string& text, const std::string& format,
                       std::size_t limit = static_cast<std::size_t>(-1));

}  // namespace kh
