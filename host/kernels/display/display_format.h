// How the command window shows numbers, as `format` sets it: the style of
// numbers (short: 4 decimals; long: 15; short g and long g: 5 or 15
// significant digits, fixed or exponent form, whichever is shorter) and the
// spacing (loose: blank lines around a result; compact: none).
#pragma once

#include <string>
#include <vector>

namespace kh {

enum class NumberStyle { Short, Long, ShortG, LongG };

struct DisplayFormat {
  NumberStyle style = NumberStyle::Short;
  bool compact = false;
};

const DisplayFormat& displayFormat();
// The words of a `format` command ("long", "short g", "compact", ...); none
// restore the defaults. Raises on a word it does not know, changing nothing.
void setDisplayFormat(const std::vector<std::string>& words);

}  // namespace kh
