// Marker shapes at data points, drawn from the style table: MarkerSize in
// points across. All markers of an object form one path, filled with the
// face colour and stroked with the edge colour.
#include <cmath>

#include "host/graphics/access.h"
#include "host/graphics/render/draw.h"

namespace kh::gfx::render {
namespace {

// The parts of one marker of radius r about c.
void addMarker(cairo_t* cr, const MarkerShape& shape, Point c, double r) {
  for (const MarkerPart& part : shape.parts) {
    const auto& v = part.points;
    switch (part.kind) {
      case MarkerPart::Kind::Circle:
        cairo_new_sub_path(cr);
        cairo_arc(cr, c.x, c.y, part.radius * r, 0, 2 * M_PI);
        cairo_close_path(cr);
        break;
      case MarkerPart::Kind::Rectangle:
        cairo_rectangle(cr, c.x + v[0][0] * r, c.y + v[0][1] * r, v[1][0] * r, v[1][1] * r);
        break;
      case MarkerPart::Kind::Polygon:
        cairo_move_to(cr, c.x + v[0][0] * r, c.y + v[0][1] * r);
        for (std::size_t i = 1; i < v.size(); ++i)
          cairo_line_to(cr, c.x + v[i][0] * r, c.y + v[i][1] * r);
        cairo_close_path(cr);
        break;
      case MarkerPart::Kind::Strokes:
        for (std::size_t i = 0; i + 1 < v.size(); i += 2) {
          cairo_move_to(cr, c.x + v[i][0] * r, c.y + v[i][1] * r);
          cairo_line_to(cr, c.x + v[i + 1][0] * r, c.y + v[i + 1][1] * r);
        }
        break;
    }
  }
}

}  // namespace

void drawMarkers(Canvas& cv, Object* o, const std::vector<Point>& pts, const Rgb& lineColor) {
  const MarkerShape* shape = markerShape(rawText(o, "Marker"));
  if (!shape || pts.empty()) return;
  Rgb edge = lineColor, face = lineColor;
  const Value& ev = raw(o, "MarkerEdgeColor");
  const Value& fv = raw(o, "MarkerFaceColor");
  const bool hasEdge = colorOf(ev, &edge) || colorWord(ev) == "auto";
  bool hasFace = colorOf(fv, &face) || colorWord(fv) == "auto";
  bool stroke = hasEdge;
  if (shape->paint == MarkerPaint::Open) hasFace = false;
  if (shape->paint == MarkerPaint::Dot) {
    hasFace = hasEdge || hasFace;
    if (hasEdge) face = edge;
    stroke = false;
  }
  if (!stroke && !hasFace) return;

  const double r = pointsToPixels(rawScalar(o, "MarkerSize")) * kMarkerUnit;
  cairo_t* cr = cv.cr();
  cairo_save(cr);
  cairo_new_path(cr);
  for (const Point& c : pts) addMarker(cr, *shape, c, r);
  cairo_set_dash(cr, nullptr, 0, 0);
  setLineJoin(cr, kMarkerJoin);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_width(cr, cv.visibleWidth(pointsToPixels(rawScalar(o, "LineWidth"))));
  if (hasFace) {
    setColor(cr, face);
    if (stroke)
      cairo_fill_preserve(cr);
    else
      cairo_fill(cr);
  }
  if (stroke) {
    setColor(cr, edge);
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
  cairo_restore(cr);
}

}  // namespace kh::gfx::render
