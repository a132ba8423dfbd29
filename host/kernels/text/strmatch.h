// strmatch: which rows of a character matrix (or texts of a cell) begin with
// a given text.
#pragma once

#include "host/values/value.h"

namespace kh {

// Indices (a column) of the entries of strs that begin with str; with exact,
// of those equal to str apart from trailing blanks and nulls.
Value strmatch(const Value& str, const Value& strs, bool exact);

}  // namespace kh
