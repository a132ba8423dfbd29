#include "host/graphics/render/style_table.h"

#include <algorithm>
#include <cmath>

namespace kh::gfx::render {
namespace {

using Points = std::vector<std::array<double, 2>>;

MarkerPart circle(double radius) { return {MarkerPart::Kind::Circle, radius, {}}; }
MarkerPart rectangle(double x, double y, double w, double h) {
  return {MarkerPart::Kind::Rectangle, 0, {{x, y}, {w, h}}};
}
MarkerPart polygon(Points p) { return {MarkerPart::Kind::Polygon, 0, std::move(p)}; }
MarkerPart strokes(Points p) { return {MarkerPart::Kind::Strokes, 0, std::move(p)}; }

// A star of `points` points, the outer ones at `outer` with one straight
// up, the inner ones at outer * inner.
MarkerPart star(int points, double inner, double outer) {
  Points p;
  for (int i = 0; i < 2 * points; ++i) {
    const double a = -M_PI / 2 + i * M_PI / points;
    const double r = i % 2 ? outer * inner : outer;
    p.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return polygon(std::move(p));
}

constexpr double kDiagonal = 0.7071;  // the arms of an "x" reach as far as a "+"'s

}  // namespace

const std::vector<DashStyle>& dashStyles() {
  static const std::vector<DashStyle> styles{
      {"-", {}},
      {"--", {6, 4}},
      {":", {1, 2.5}},
      {"-.", {6, 3, 1, 3}},
  };
  return styles;
}

const DashStyle* dashStyle(std::string_view name) {
  for (const DashStyle& s : dashStyles())
    if (name == s.name) return &s;
  return nullptr;
}

std::vector<double> dashLengths(const DashStyle& style, double widthPx) {
  const double unit = std::max(widthPx, kMinDashUnit);
  std::vector<double> out;
  for (double d : style.lengths) out.push_back(d * unit);
  return out;
}

const std::vector<MarkerShape>& markerShapes() {
  static const std::vector<MarkerShape> shapes = [] {
    const double d = kDiagonal;
    const MarkerPart cross = strokes({{-1, 0}, {1, 0}, {0, -1}, {0, 1}});
    const MarkerPart saltire = strokes({{-d, -d}, {d, d}, {-d, d}, {d, -d}});
    return std::vector<MarkerShape>{
        {"+", MarkerPaint::Open, {cross}},
        {"o", MarkerPaint::Filled, {circle(1)}},
        {"*", MarkerPaint::Open, {cross, saltire}},
        // A dot a third of the marker's size across.
        {".", MarkerPaint::Dot, {circle(1.0 / 3)}},
        {"x", MarkerPaint::Open, {saltire}},
        {"square", MarkerPaint::Filled, {rectangle(-0.85, -0.85, 1.7, 1.7)}},
        {"diamond", MarkerPaint::Filled, {polygon({{0, -1}, {1, 0}, {0, 1}, {-1, 0}})}},
        // Triangles with their corners on the circle of an "o".
        {"v", MarkerPaint::Filled, {polygon({{-0.866, -0.5}, {0.866, -0.5}, {0, 1}})}},
        {"^", MarkerPaint::Filled, {polygon({{-0.866, 0.5}, {0.866, 0.5}, {0, -1}})}},
        {">", MarkerPaint::Filled, {polygon({{-0.5, -0.866}, {-0.5, 0.866}, {1, 0}})}},
        {"<", MarkerPaint::Filled, {polygon({{0.5, -0.866}, {0.5, 0.866}, {-1, 0}})}},
        // Stars reach a little beyond the circle, as their points are thin.
        {"pentagram", MarkerPaint::Filled, {star(5, 0.382, 1.15)}},
        {"hexagram", MarkerPaint::Filled, {star(6, 0.577, 1.1)}},
    };
  }();
  return shapes;
}

const MarkerShape* markerShape(std::string_view name) {
  for (const MarkerShape& m : markerShapes())
    if (name == m.name) return &m;
  return nullptr;
}

const char* joinName(Join j) { return j == Join::Round ? "round" : "miter"; }

const char* paintName(MarkerPaint paint) {
  switch (paint) {
    case MarkerPaint::Filled:
      return "filled";
    case MarkerPaint::Open:
      return "open";
    case MarkerPaint::Dot:
      return "dot";
  }
  return "filled";
}

}  // namespace kh::gfx::render
