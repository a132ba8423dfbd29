// Comma-separated lists: a brace or field reference that yields several
// values (c{:}, s.name on a structure array) returns them as one cell handle
// marked as a list. Operations that take arguments or subscripts expand a
// list handle into its elements, so that A(subs{:}) and [c{:}] work.
#pragma once

#include <vector>

#include "host/array/handle.h"

namespace kh {

// A new temporary list handle holding the values.
mxArray* newListTemp(std::vector<Value> values);
// A new temporary list handle holding the elements of a cell, in column
// order (the cell's storage is shared, not copied).
mxArray* newListTemp(const Value& cell);
// Whether h is a list handle made by newListTemp and still alive.
bool isListHandle(const mxArray* h);
// Appends the values an argument stands for to out: the elements of a list
// handle, or the handle's own value.
void appendArgument(const mxArray* h, std::vector<Value>& out);

}  // namespace kh
