// Comma-separated lists: a brace or field reference that yields several
// values (c{:}, s.name on a structure array) returns them as one cell handle
// marked as a list. Operations that take arguments or subscripts expand a
// list handle into its elements, so that A(subs{:}) and [c{:}] work.
#pragma once

#include <vector>

#include "host/values/handle.h"

namespace kh {

// A new temporary list handle holding the values.
mxArray* newListTemp(ValueList values);
// A new temporary list handle holding the elements of a cell, in column
// order (the cell's storage is shared, not copied).
mxArray* newListTemp(const Value& cell);
// Whether h is a list handle made by newListTemp and still alive.
inline bool isListHandle(const mxArray* h) { return h && h->list && h->v.isCell(); }
// Appends the values an argument stands for to out: the elements of a list
// handle, or the handle's own value.
template <typename Out>
void appendArgument(const mxArray* h, Out& out) {
  if (!isListHandle(h)) {
    out.push_back(valueOf(h));
    return;
  }
  const Value& c = h->v;
  for (std::size_t i = 0; i < c.numel(); ++i) out.push_back(c.cellAt(i));
}

}  // namespace kh
