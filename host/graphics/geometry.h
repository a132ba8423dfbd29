// Axes geometry: limits and ticks derived from the children's data, the
// aspect ratios and plot box, unit conversion of positions, and the mapping
// between data points and figure pixels.
//
// Limits. While a limit mode is "auto" the limits span the data of the
// axes' visible line, patch, surface and image children (an image reaches
// half a pixel beyond the centres of its edge pixels), ignoring values that
// are not finite, and are rounded outward to the tick step: the smallest of
// 1, 2 or 5 times a power of ten that gives at most ten steps. A single
// value v gives [v-1, v+1]; no data gives [0 1] (for z: [-1 1] when the axes
// hold x/y data but none in z). Colour limits span the colour data of
// scaled images, patches and surfaces, unrounded.
//
// Aspect ratios, in automatic mode. The plot box (PlotBoxAspectRatio)
// follows the pixel shape of the axes' position in a 2-D view, [w h min(w,h)]
// divided by max(w,h), unless DataAspectRatio is manual: then it follows the
// data ranges divided by the data aspect ratio, normalised so its largest
// side is 1. DataAspectRatio in automatic mode is the data ranges divided by
// the plot box, normalised so its smallest element is 1. When both are
// manual, limits still in automatic mode are widened about their centre so
// that both ratios hold ("fill" relies on it). The camera view angle in
// automatic mode is 6.6086 degrees in a 2-D view and 10.3396 otherwise.
//
// Pixels. Positions in pixels are measured from the lower-left corner of
// the parent (the figure, or the screen for a figure), from 0. The screen
// has 96 pixels per inch; a character is 7 pixels wide and 16 high.
#pragma once

#include <array>
#include <vector>

#include "host/graphics/object.h"
#include "host/values/value.h"

namespace kh::gfx {

struct Rect {
  double x = 0, y = 0, w = 0, h = 0;
};

// The limits of dimension d (0 x, 1 y, 2 z, 3 colour) as they are now.
std::array<double, 2> limits(Object* ax, int d);
// The tick positions of dimension d (0..2) as they are now.
std::vector<double> ticks(Object* ax, int d);
// Tick labels of the given ticks, as the axes show them.
std::vector<std::string> tickLabels(const std::vector<double>& ticks);
std::array<double, 3> plotBoxAspectRatio(Object* ax);
std::array<double, 3> dataAspectRatio(Object* ax);
double cameraViewAngle(Object* ax);
// Whether the view is the plain 2-D one: azimuth and elevation multiples of 90.
bool is2D(Object* ax);

// The rectangle of a figure (on the screen), or of axes or a control (in
// their figure), in pixels.
Rect pixelRect(Object* o);
// The part of the axes' position that the plot box fills, in figure pixels.
Rect plotBox(Object* ax);
// A figure's size in pixels (width, height).
std::array<double, 2> figureSize(Object* fig);

// Position p (4 elements) of object o converted between unit names.
Value convertPosition(Object* o, const Value& p, const std::string& from, const std::string& to);

// Data (x, y) of the axes to figure pixels and back (2-D view).
std::array<double, 2> dataToPixel(Object* ax, double x, double y);
std::array<double, 2> pixelToData(Object* ax, double px, double py);

// Writes the axes' CurrentPoint for the figure pixel (px, py): the front
// and back points [x y zfar; x y znear] of the line of sight.
void setCurrentPoint(Object* ax, double px, double py);

// Starts the invalidation of derived limits from the journal (once).
void watchJournal();

}  // namespace kh::gfx
