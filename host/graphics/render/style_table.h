// How strokes and markers look: the dash pattern of each LineStyle and how
// it grows with the line's width, the shape and size of each Marker, and
// the size of a point. The renderer draws from this table, and the figure
// server sends it to the page (as the module style_table.js), so that the
// figure window and an exported picture draw every style alike.
#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace kh::gfx::render {

// Line widths, marker and font sizes are in points (1/72 inch); the
// drawing is in pixels (1/96 inch).
inline constexpr double kPixelsPerInch = 96;
inline constexpr double kPointsPerInch = 72;

// A LineStyle that draws a line: its dashes, on and off in turn, in units
// of the line's width in pixels, but of no less than kMinDashUnit pixels.
// The pattern grows with the width, so it looks alike at every width (a
// dotted line shows dots as long as the line is wide); below a pixel the
// dashes keep their length, as a thinner line still covers a pixel.
// No lengths: a solid line.
struct DashStyle {
  const char* name;
  std::vector<double> lengths;
};
inline constexpr double kMinDashUnit = 1;

const std::vector<DashStyle>& dashStyles();
// The style of a LineStyle value; nullptr for "none" (no line).
const DashStyle* dashStyle(std::string_view name);
// The pattern in pixels for a line widthPx wide.
std::vector<double> dashLengths(const DashStyle& style, double widthPx);

// How the segments of a path meet: lines and the edges of faces meet
// round, the outlines of markers mitred. Every stroke ends flat (butt).
enum class Join { Miter, Round };
inline constexpr Join kLineJoin = Join::Round;
inline constexpr Join kMarkerJoin = Join::Miter;

// One marker is a few parts, in units of kMarkerUnit times the MarkerSize
// in pixels about the point, with y downwards: circles of a radius,
// rectangles (a corner, then the width and height), closed polygons, and
// strokes (pairs of points, each a segment).
inline constexpr double kMarkerUnit = 0.5;  // an "o" is MarkerSize across
struct MarkerPart {
  enum class Kind { Circle, Rectangle, Polygon, Strokes };
  Kind kind;
  double radius = 0;                          // Circle
  std::vector<std::array<double, 2>> points;  // Rectangle, Polygon, Strokes
};
// Filled: the face colour fills the parts and the edge colour strokes
// them. Open: strokes alone, never filled. Dot: filled with the edge
// colour (the face colour when the edge is "none"), not stroked.
enum class MarkerPaint { Filled, Open, Dot };
struct MarkerShape {
  const char* name;  // the Marker value
  MarkerPaint paint;
  std::vector<MarkerPart> parts;
};

// Every Marker value but "none".
const std::vector<MarkerShape>& markerShapes();
// nullptr for "none".
const MarkerShape* markerShape(std::string_view name);

const char* joinName(Join j);              // "round", "miter"
const char* paintName(MarkerPaint paint);  // "filled", "open", "dot"

}  // namespace kh::gfx::render
