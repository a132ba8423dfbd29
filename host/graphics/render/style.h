// What the drawing functions read from property values: colours, colour
// data through the figure's colour map, line widths and dash patterns.
#pragma once

#include <cairo.h>

#include <array>
#include <string>

#include "host/graphics/object.h"
#include "host/graphics/render/style_table.h"
#include "host/values/value.h"

namespace kh::gfx::render {

using Rgb = std::array<double, 3>;

// A width or font size in points, in pixels.
inline double pointsToPixels(double pt) { return pt * kPixelsPerInch / kPointsPerInch; }

// The colour a stored colour value holds; false for a word ("none",
// "auto", "flat", "interp").
bool colorOf(const Value& v, Rgb* out);
// The word a stored colour value holds ("" for a colour).
std::string colorWord(const Value& v);

void setColor(cairo_t* cr, const Rgb& c);

// Colour data into a colour map: "direct" takes the 1-based index (rounded
// down, clamped to the map), "scaled" maps the colour limits onto the whole
// map. NaN gives the first colour.
class ColorMap {
 public:
  explicit ColorMap(Object* figure);  // the figure's Colormap
  std::size_t size() const { return n_; }
  Rgb at(std::size_t i) const;  // 0-based, clamped
  Rgb direct(double c) const;
  Rgb scaled(double c, const std::array<double, 2>& clim) const;

 private:
  Value map_;
  std::size_t n_ = 0;
};

// Dashes of a LineStyle ("-", "--", ":", "-.") for a line of the given
// width in pixels, from the style table; false for "none".
bool setLineStyle(cairo_t* cr, const std::string& style, double widthPx);

// A join of the style table.
void setLineJoin(cairo_t* cr, Join join);

}  // namespace kh::gfx::render
