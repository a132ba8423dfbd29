// The pulse editor's figure as the host finds it: the figure that holds the
// editor's load button, whose callback starts with `kestrel loadpulse` (the
// figure script may run more after it).
#pragma once

#include <string>

#include "host/graphics/object.h"

namespace kh::editor {

// The load button of the first figure (in stacking order) that has one, or
// null when no editor is open.
gfx::Object* loadButton();
// The load button in that figure, or null.
gfx::Object* loadButtonOf(gfx::Object* fig);
// The handle of the editor's estimate line, as its global `ppulse` holds
// it; 0 before a load.
double estimateLine();
// Whether the callback text runs the editor's load first.
bool runsLoad(const std::string& callback);

}  // namespace kh::editor
