#include "host/graphics/hit_test.h"

#include <algorithm>
#include <cmath>

#include "host/graphics/access.h"
#include "host/graphics/geometry.h"

namespace kh::gfx {
namespace {

bool visible(Object* o) { return rawText(o, "Visible") == "on"; }

// Whether a press on the object runs something of its own.
bool answers(Object* o) {
  return rawText(o, "ButtonDownFcn").find_first_not_of(" \t") != std::string::npos;
}

bool inside(const Rect& r, double x, double y) {
  return x >= r.x && x <= r.x + r.w && y >= r.y && y <= r.y + r.h;
}

// The map from data to figure pixels of one axes, computed once for all the
// points of a line (2-D view).
struct Map {
  explicit Map(Object* ax) : box(plotBox(ax)), lx(limits(ax, 0)), ly(limits(ax, 1)) {
    flipX = rawText(ax, "XDir") == "reverse";
    flipY = rawText(ax, "YDir") == "reverse";
  }
  std::array<double, 2> operator()(double x, double y) const {
    double fx = (x - lx[0]) / (lx[1] - lx[0]), fy = (y - ly[0]) / (ly[1] - ly[0]);
    if (flipX) fx = 1 - fx;
    if (flipY) fy = 1 - fy;
    return {box.x + fx * box.w, box.y + fy * box.h};
  }
  Rect box;
  std::array<double, 2> lx, ly;
  bool flipX = false, flipY = false;
};

double segmentDistance(std::array<double, 2> a, std::array<double, 2> b, double x, double y) {
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((x - a[0]) * dx + (y - a[1]) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(a[0] + t * dx - x, a[1] + t * dy - y);
}

// Whether the point lies within tol pixels of the item's drawn data.
bool nearItem(Object* c, const Map& map, double x, double y, double tol) {
  const Value& xd = raw(c, "XData");
  const Value& yd = raw(c, "YData");
  if (c->type == Type::Image) {
    const Value& cd = raw(c, "CData");
    if (cd.isEmpty() || xd.isEmpty() || yd.isEmpty()) return false;
    const auto a = map(xd.at(0), yd.at(0)), b = map(xd.at(xd.numel() - 1), yd.at(yd.numel() - 1));
    return x >= std::min(a[0], b[0]) - tol && x <= std::max(a[0], b[0]) + tol &&
           y >= std::min(a[1], b[1]) - tol && y <= std::max(a[1], b[1]) + tol;
  }
  const std::size_t n = std::min(xd.numel(), yd.numel());
  bool have = false;
  std::array<double, 2> prev{};
  for (std::size_t i = 0; i < n; ++i) {
    const double dx = xd.at(i), dy = yd.at(i);
    if (!std::isfinite(dx) || !std::isfinite(dy)) {
      have = false;
      continue;
    }
    const auto p = map(dx, dy);
    if (std::hypot(p[0] - x, p[1] - y) <= tol) return true;
    if (have && segmentDistance(prev, p, x, y) <= tol) return true;
    prev = p;
    have = true;
  }
  return false;
}

}  // namespace

Object* objectAt(Object* fig, double px, double py, double tolerance) {
  for (Object* c : fig->children)
    if (c->type == Type::Uicontrol && visible(c) && inside(pixelRect(c), px, py)) return c;
  for (Object* ax : fig->children) {
    if (ax->type != Type::Axes || !inside(plotBox(ax), px, py)) continue;
    const Map map(ax);
    Object* top = nullptr;
    for (Object* c : ax->children) {
      if (!visible(c) || c->type == Type::Text || !nearItem(c, map, px, py, tolerance)) continue;
      if (answers(c)) return c;
      if (!top) top = c;
    }
    return top ? top : ax;
  }
  return fig;
}

}  // namespace kh::gfx
