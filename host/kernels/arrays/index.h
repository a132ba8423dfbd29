// The indexing engine: references, assignments with growth, and deletions by
// subscripts; cell contents and structure fields.
//
// Subscripts are values: 1-based numbers, logical masks, or the colon marker
// (the one-character text ":", which also means "all" when a person writes
// it as a text). With one subscript the array is indexed linearly; with k
// subscripts the dimensions from the k-th on are folded into the last one.
#pragma once

#include <string>
#include <vector>

#include "host/values/value.h"

namespace kh {

using Subscripts = ValueList;

Value colonIndex();
bool isColonIndex(const Value& v);

// a(subs...).
Value indexRef(const Value& a, const Subscripts& subs);
// a(subs...) = rhs. A placeholder or empty `a` takes the class of rhs; an
// empty 0-by-0 double rhs deletes the indexed elements (as a(i) = []).
void indexAssign(Value& a, const Subscripts& subs, const Value& rhs);
// a(subs...) = []: removes elements (one subscript) or whole rows, columns or
// pages (several subscripts, all but one of them ':').
void indexDelete(Value& a, const Subscripts& subs);

// a{subs...}: the contents of the selected cells, in column order.
ValueList braceRef(const Value& a, const Subscripts& subs);
// a{subs...} = rhs; creates or grows a cell array as needed.
void braceAssign(Value& a, const Subscripts& subs, const Value& rhs);

// a.name: one value per element of the structure array.
ValueList fieldRef(const Value& a, const std::string& name);
// a.name = rhs; a placeholder or empty `a` becomes a 1-by-1 structure.
void fieldAssign(Value& a, const std::string& name, const Value& rhs);

// The value of 'end' in subscript position k (0-based) of n subscripts.
std::size_t endOf(const Value& a, std::size_t k, std::size_t n);

}  // namespace kh
