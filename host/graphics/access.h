// Reading and writing properties by name, as `get` and `set` do from the
// command window and mlfNGet and mlfNSet from a library.
//
// Order of a set: the handles are checked first (one stale handle changes
// nothing); then, for each object in the order given, the name/value pairs
// are applied in order. Each pair is checked just before it is applied, so
// an error in one pair leaves every earlier pair applied (on this object
// and on every object before it) and nothing after it.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "host/graphics/object.h"
#include "host/values/value.h"

namespace kh::gfx {

// The objects of a handle array, in column order; "Invalid handle." when
// any element names none.
std::vector<Object*> objectsOf(const Value& handles);

// One property of one object, as get returns it.
Value getProperty(Object* o, std::string_view name);
Value getProperty(Object* o, int prop, std::string_view spelling);
// Every property of one object as a structure.
Value getAll(Object* o);

// get(h, name), get(h, {names}), get(h): one object gives the value (a
// 1-by-n cell for a cell of names, a structure for no name); several give
// an n-by-1 cell (n-by-m for m names), an n-by-1 structure array for no
// name. No objects give the empty double.
Value get(const Value& handles, const Value* names);

// set(h, name, value, ...).
void set(const Value& handles, Values pairs);
void setProperty(Object* o, std::string_view name, const Value& v);
void setProperty(Object* o, int prop, const Value& v, std::string_view spelling);

// Applies name/value pairs given at creation (odd count or a name that is
// not text are errors).
void applyPairs(Object* o, Values pairs);

// Helpers for the host's own reads of stored values.
const Value& raw(Object* o, std::string_view name);
std::string rawText(Object* o, std::string_view name);
double rawScalar(Object* o, std::string_view name);

}  // namespace kh::gfx
