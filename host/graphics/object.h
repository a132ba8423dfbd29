// One graphics object: its handle, type, place in the tree and property
// values. The values are kept in the order of the type's property table
// (properties.h); the tree (tree.h) owns every object.
#pragma once

#include <array>
#include <vector>

#include "host/values/value.h"

namespace kh::gfx {

enum class Type { Root, Figure, Axes, Line, Text, Image, Patch, Surface, Uicontrol };
inline constexpr int kTypeCount = 9;

// The name the "type" property gives ("root", "figure", ...).
const char* typeName(Type t);

// What an axes object derives from its children and keeps until the next
// change under it (see geometry.h). Cleared by every journal entry that
// concerns the axes or anything below them.
struct DerivedLimits {
  bool valid = false;
  std::array<std::array<double, 2>, 4> lim{};  // x, y, z, colour
};

struct Object {
  double handle = 0;
  Type type = Type::Root;
  Object* parent = nullptr;
  std::vector<Object*> children;  // newest first, hidden handles included
  std::vector<Value> values;      // one per row of the type's property table
  DerivedLimits derived;          // axes only
};

}  // namespace kh::gfx
