// Display of values in the host's style ("x =" blocks, "ans =" and disp).
#pragma once

#include <string>
#include <string_view>

#include "host/values/value.h"

namespace kh {

// The text shown for an unsilenced result named `name` (with the blank lines
// the host puts around it).
std::string formatDisplay(std::string_view name, const Value& v);
// The text disp(v) prints.
std::string formatDisp(const Value& v);

}  // namespace kh
