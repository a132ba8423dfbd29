// The drawing functions of the renderer, one file each: the map from data
// to the canvas (frame.cpp), axes (draw_axes.cpp, and draw_axes3d.cpp for
// projected views), what lies in axes (draw_items.cpp, markers.cpp) and the
// controls (draw_controls.cpp). They read the tree as it is now and keep
// nothing of it.
#pragma once

#include <array>

#include "host/graphics/geometry.h"
#include "host/graphics/object.h"
#include "host/graphics/render/canvas.h"
#include "host/graphics/render/style.h"

namespace kh::gfx::render {

struct Point {
  double x = 0, y = 0;
};

// How data coordinates of one axes reach the canvas: an affine map from
// (x, y, z) to canvas pixels and a depth (larger is nearer the viewer). In
// the plain 2-D view it is the host's dataToPixel (flipped to the canvas)
// and z is not used; other views project orthographically by azimuth and
// elevation.
struct Frame {
  Object* ax = nullptr;
  bool flat = true;
  double m[3][4] = {};
  Rect box;                        // the plot box, canvas pixels (x, y: upper-left)
  std::array<double, 2> lim[4]{};  // x, y, z, colour limits
  Point at(double x, double y, double z = 0) const {
    return {m[0][0] * x + m[0][1] * y + m[0][2] * z + m[0][3],
            m[1][0] * x + m[1][1] * y + m[1][2] * z + m[1][3]};
  }
  double depth(double x, double y, double z) const {
    return m[2][0] * x + m[2][1] * y + m[2][2] * z + m[2][3];
  }
};

Frame frameOf(Canvas& cv, Object* ax);

// The rectangle of an object with a pixel position (axes, control), in
// canvas pixels.
Rect canvasRect(Canvas& cv, Object* o);

void drawAxes(Canvas& cv, Object* ax, const ColorMap& cmap);
// The box, ticks and labels of a view other than the plain 2-D one.
void drawAxes3d(Canvas& cv, const Frame& f, bool front);

// One child of axes (line, text, image, patch, surface).
void drawItem(Canvas& cv, const Frame& f, Object* item, const ColorMap& cmap);

void drawControl(Canvas& cv, Object* control);

// Markers of a line, patch or surface at canvas points, with the object's
// Marker, MarkerSize, MarkerEdgeColor, MarkerFaceColor and LineWidth; the
// colour "auto" stands for `lineColor`.
void drawMarkers(Canvas& cv, Object* o, const std::vector<Point>& pts, const Rgb& lineColor);

}  // namespace kh::gfx::render
