// Text encodings: the host's characters are 16-bit, its messages and files
// UTF-8. Conversions both ways, and a message made safe to print.
#pragma once

#include <string>
#include <string_view>

namespace kh {

// UTF-8 <-> UTF-16: a character beyond 16 bits becomes '?', as does a
// sequence cut off at the end of the text.
std::u16string toU16(std::string_view utf8);
std::string toUtf8(std::u16string_view s);

// A message made safe to print: control characters other than line breaks
// and tabs, bytes that are not valid UTF-8 and encoded surrogate halves are
// written as \xNN, so that text quoted from the input cannot reach the
// terminal raw.
std::string printable(std::string_view text);

}  // namespace kh
