// The one raw write of a property value: stores a value already in stored
// form and records it in the journal (which invalidates derived values).
#pragma once

#include <string_view>

#include "host/graphics/object.h"
#include "host/values/value.h"

namespace kh::gfx {

void store(Object* o, int prop, Value v, std::string_view spelling = {});

}  // namespace kh::gfx
