// Which object lies under a figure pixel, as a mouse press finds it: a
// visible control whose rectangle holds the point, else a visible line,
// patch, surface, image or text of the axes under the point (a line within
// `tolerance` pixels of one of its segments or markers), else those axes,
// else the figure. Newer objects lie above older ones.
#pragma once

#include "host/graphics/object.h"

namespace kh::gfx {

Object* objectAt(Object* fig, double px, double py, double tolerance = 4);

}  // namespace kh::gfx
