// plot: lines from data and style groups into the axes that newplot gives.
//   plot(y), plot(x, y), plot(x, y, style), several such groups, then
//   name/value pairs that apply to every line made. A matrix gives one line
//   per column (or per row when only that matches the other argument's
//   length); each call starts at the first colour of the axes' ColorOrder.
#pragma once

#include <span>
#include <string_view>

#include "host/values/value.h"

namespace kh::gfx {

// The handles of the new lines, as a column.
Value plot(Values args);

// A line style text such as "r--o": colour, line style and marker, each
// optional. False when s is not one.
struct LineSpec {
  bool hasColor = false;
  double rgb[3] = {0, 0, 0};
  const char* lineStyle = nullptr;  // "-", "--", ":", "-.", or null
  const char* marker = nullptr;     // a Marker value, or null
};
bool parseLineSpec(std::string_view s, LineSpec* out);

}  // namespace kh::gfx
