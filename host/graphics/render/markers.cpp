// Marker shapes at data points: + o * . x square diamond v ^ > < pentagram
// hexagram, MarkerSize in points across. All markers of an object form one
// path, filled with the face colour and stroked with the edge colour.
#include <cmath>

#include "host/graphics/access.h"
#include "host/graphics/render/draw.h"

namespace kh::gfx::render {
namespace {

void polygon(cairo_t* cr, Point c, const double (*v)[2], int n, double r) {
  cairo_move_to(cr, c.x + v[0][0] * r, c.y + v[0][1] * r);
  for (int i = 1; i < n; ++i) cairo_line_to(cr, c.x + v[i][0] * r, c.y + v[i][1] * r);
  cairo_close_path(cr);
}

// A star of `points` points: outer radius r, inner radius r * inner, one
// point straight up.
void star(cairo_t* cr, Point c, int points, double inner, double r) {
  for (int i = 0; i < 2 * points; ++i) {
    const double a = -M_PI / 2 + i * M_PI / points;
    const double rr = i % 2 ? r * inner : r;
    if (i == 0)
      cairo_move_to(cr, c.x + rr * std::cos(a), c.y + rr * std::sin(a));
    else
      cairo_line_to(cr, c.x + rr * std::cos(a), c.y + rr * std::sin(a));
  }
  cairo_close_path(cr);
}

void cross(cairo_t* cr, Point c, double r) {
  cairo_move_to(cr, c.x - r, c.y);
  cairo_line_to(cr, c.x + r, c.y);
  cairo_move_to(cr, c.x, c.y - r);
  cairo_line_to(cr, c.x, c.y + r);
}

void saltire(cairo_t* cr, Point c, double r) {
  cairo_move_to(cr, c.x - r, c.y - r);
  cairo_line_to(cr, c.x + r, c.y + r);
  cairo_move_to(cr, c.x - r, c.y + r);
  cairo_line_to(cr, c.x + r, c.y - r);
}

}  // namespace

void drawMarkers(Canvas& cv, Object* o, const std::vector<Point>& pts, const Rgb& lineColor) {
  const std::string shape = rawText(o, "Marker");
  if (shape == "none" || pts.empty()) return;
  Rgb edge = lineColor, face = lineColor;
  const Value& ev = raw(o, "MarkerEdgeColor");
  const Value& fv = raw(o, "MarkerFaceColor");
  const bool hasEdge = colorOf(ev, &edge) || colorWord(ev) == "auto";
  bool hasFace = colorOf(fv, &face) || colorWord(fv) == "auto";
  const double size = pointsToPixels(rawScalar(o, "MarkerSize"));
  double r = size / 2;
  const bool open = shape == "+" || shape == "x" || shape == "*";
  if (open) hasFace = false;
  bool stroke = hasEdge;
  if (shape == ".") {
    // A dot, a third of the size, in the edge colour.
    r = size / 6;
    hasFace = hasEdge || hasFace;
    if (hasEdge) face = edge;
    stroke = false;
  }
  if (!stroke && !hasFace) return;

  static const double diamond[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  static const double down[3][2] = {{-0.866, -0.5}, {0.866, -0.5}, {0, 1}};
  static const double up[3][2] = {{-0.866, 0.5}, {0.866, 0.5}, {0, -1}};
  static const double right[3][2] = {{-0.5, -0.866}, {-0.5, 0.866}, {1, 0}};
  static const double left[3][2] = {{0.5, -0.866}, {0.5, 0.866}, {-1, 0}};
  cairo_t* cr = cv.cr();
  cairo_save(cr);
  cairo_new_path(cr);
  for (const Point& c : pts) {
    if (shape == "o" || shape == ".") {
      cairo_new_sub_path(cr);
      cairo_arc(cr, c.x, c.y, r, 0, 2 * M_PI);
      cairo_close_path(cr);
    } else if (shape == "+") {
      cross(cr, c, r);
    } else if (shape == "x") {
      saltire(cr, c, r * 0.7071);
    } else if (shape == "*") {
      cross(cr, c, r);
      saltire(cr, c, r * 0.7071);
    } else if (shape == "square") {
      cairo_rectangle(cr, c.x - r * 0.85, c.y - r * 0.85, 1.7 * r, 1.7 * r);
    } else if (shape == "diamond") {
      polygon(cr, c, diamond, 4, r);
    } else if (shape == "v") {
      polygon(cr, c, down, 3, r);
    } else if (shape == "^") {
      polygon(cr, c, up, 3, r);
    } else if (shape == ">") {
      polygon(cr, c, right, 3, r);
    } else if (shape == "<") {
      polygon(cr, c, left, 3, r);
    } else if (shape == "pentagram") {
      star(cr, c, 5, 0.382, r * 1.15);
    } else if (shape == "hexagram") {
      star(cr, c, 6, 0.577, r * 1.1);
    }
  }
  cairo_set_dash(cr, nullptr, 0, 0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
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
