// Set membership: which elements of one array occur in another.
#pragma once

#include "host/values/value.h"

namespace kh {

// ismember(a, s): a logical array of a's size, true where the element of a
// equals some element of s; with rows set, a logical column telling which
// rows of a are rows of s. A text a against a cell s of texts compares
// whole texts.
Value ismember(const Value& a, const Value& s, bool rows = false);

}  // namespace kh
