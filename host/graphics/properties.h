// The property tables: for every object type the properties it has, their
// defaults and which values each accepts. Every type's table is declared
// once in properties.cpp; names are matched without regard to case, and an
// unambiguous leading part of a name ("pos" for "Position") matches too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/graphics/object.h"
#include "host/values/value.h"

namespace kh::gfx {

// What values a property accepts. Every value is checked and put in its
// stored form (enumerated words in lower case, colour names as [r g b],
// vectors as rows) before it is kept.
enum class Kind {
  Any,       // any value (UserData)
  Text,      // a text: a character row, a character matrix, or '' for []
  Strings,   // a text, a character matrix or a cell of texts (control String)
  Callback,  // a command text, '' for none
  Enum,      // one of `choices`, without regard to case; stored as written there
  Scalar,    // a real, finite scalar (at least `minimum`)
  Vector,    // a real row of `count` elements (any length when 0)
  Limits,    // a real row of two increasing elements
  Data,      // a real numeric array of any shape (coordinates, colour data)
  Matrix,    // a real matrix of `count` columns (colour order, colour map)
  Color,     // [r g b] in 0..1 or a colour name; also any of `choices`
  Handle,    // one live object, or empty
  Handles,   // a list of objects (Children)
};

struct PropSpec {
  PropSpec(const char* n, Kind k, Value d, std::vector<const char*> c = {})
      : name(n), kind(k), def(std::move(d)), choices(std::move(c)) {}
  const char* name;
  Kind kind;
  Value def;
  std::vector<const char*> choices;
  int count = 0;
  bool readOnly = false;
  double minimum = -1e308;
  // The mode property that a write of this one turns to "manual", and its
  // index in the same table (-1: none).
  const char* modeName = nullptr;
  int mode = -1;
};

struct TypeTable {
  Type type;
  std::vector<PropSpec> props;
  int find(std::string_view name) const;  // -1 when none matches
 private:
  friend const TypeTable& table(Type t);
  std::vector<std::string> lower_;  // the names in lower case
  std::vector<int> sorted_;         // indices of props in the order of lower_
};

const TypeTable& table(Type t);

// The index of a property of objects of type t. Raises the unknown-property
// error naming the property and the type when there is none.
int propIndex(Type t, std::string_view name);
// Same, for the host's own use with names it knows exist.
int known(Type t, std::string_view name);

// Checks v for property p of type t and returns it in stored form; raises
// an error naming the property, the type and what is expected.
Value normalize(Type t, int p, const Value& v);

// [r g b] of a colour name or letter; false when s is none.
bool colorByName(std::string_view s, double rgb[3]);

// Error texts.
[[noreturn]] void unknownProperty(Type t, std::string_view name);
[[noreturn]] void readOnlyProperty(Type t, int p);
[[noreturn]] void invalidValue(Type t, int p, const std::string& expected);

}  // namespace kh::gfx
