// Which object lies under a figure pixel, as a mouse press finds it: a
// visible control whose rectangle holds the point, else a visible line,
// patch, surface or image of the axes under the point (a line within
// `tolerance` pixels of one of its segments or markers), else those axes,
// else the figure. Newer objects lie above older ones, and the topmost item
// under the point is found, except that an item with a ButtonDownFcn under
// the point is found before items without one drawn over it: a thin line
// that can be dragged stays grabbable where a thick line that cannot lies on
// top of it. Either way the press goes to one object, whose callback alone
// runs and which CallbackObject and CurrentObject then name.
#pragma once

#include "host/graphics/object.h"

namespace kh::gfx {

Object* objectAt(Object* fig, double px, double py, double tolerance = 4);

}  // namespace kh::gfx
