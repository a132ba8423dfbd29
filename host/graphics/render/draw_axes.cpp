// Axes in the plain 2-D view: background, grid, the children clipped to the
// plot box, then the box with its ticks pointing in, the tick labels, the
// x and y labels and the title. Axes whose Visible is "off" show only their
// children and their title.
#include <algorithm>
#include <cmath>

#include "host/graphics/access.h"
#include "host/graphics/render/draw.h"
#include "host/graphics/render/text.h"
#include "host/graphics/tree.h"

namespace kh::gfx::render {
namespace {

constexpr double kLabelGap = 4;       // pixels between the box or the tick labels and a label
constexpr double kTickLength = 0.01;  // of the plot box's longer side

struct Ticks {
  std::vector<double> at;  // positions within the limits
  std::vector<std::string> labels;
};

// The labels of a manual TickLabel value: a row with '|' between labels,
// the rows of a character matrix, or the elements of a cell.
std::vector<std::string> manualLabels(const Value& v) {
  std::vector<std::string> out;
  if (v.isChar() && v.rows() <= 1) {
    const std::string s = v.isEmpty() ? std::string() : textLines(v)[0];
    if (s.empty()) return out;
    std::size_t from = 0;
    for (;;) {
      const std::size_t bar = s.find('|', from);
      out.push_back(s.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
      if (bar == std::string::npos) break;
      from = bar + 1;
    }
    return out;
  }
  if (v.isCell()) {
    for (std::size_t i = 0; i < v.numel(); ++i) {
      const std::vector<std::string> l = textLines(v.cellAt(i));
      out.push_back(l.empty() ? std::string() : l[0]);
    }
    return out;
  }
  return textLines(v);
}

Ticks ticksOf(Object* ax, int d, const std::array<double, 2>& lim) {
  static const char* const modes[3] = {"XTickLabelMode", "YTickLabelMode", "ZTickLabelMode"};
  static const char* const labels[3] = {"XTickLabel", "YTickLabel", "ZTickLabel"};
  const std::vector<double> t = ticks(ax, d);
  std::vector<std::string> text;
  if (rawText(ax, modes[d]) == "auto")
    text = tickLabels(t);
  else
    text = manualLabels(raw(ax, labels[d]));
  Ticks out;
  const double tol = (lim[1] - lim[0]) * 1e-9;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!(t[i] >= lim[0] - tol && t[i] <= lim[1] + tol)) continue;
    out.at.push_back(t[i]);
    // Fewer labels than ticks: the labels repeat.
    out.labels.push_back(text.empty() ? std::string() : text[i % text.size()]);
  }
  return out;
}

bool isOn(Object* o, const char* name) { return rawText(o, name) == "on"; }

Rgb colorProp(Object* o, const char* name, Rgb fallback = {0, 0, 0}) {
  colorOf(raw(o, name), &fallback);
  return fallback;
}

Object* labelOf(Object* ax, const char* which) {
  const Value& h = raw(ax, which);
  return h.numel() == 1 ? tree().find(h.at(0)) : nullptr;
}

// A title or label: the text object's String and style, placed by the
// axes rather than by its Position.
void drawLabel(Canvas& cv, Object* label, double x, double y, VAlign v, double rotation) {
  if (!label || !isOn(label, "Visible")) return;
  const std::vector<std::string> lines = textLines(raw(label, "String"));
  if (lines.empty()) return;
  TextStyle st = textStyleOf(label);
  st.h = HAlign::Center;
  st.v = v;
  st.rotation = rotation;
  drawText(cv, lines, x, y, st);
}

void drawChildren(Canvas& cv, const Frame& f, const ColorMap& cmap) {
  Object* ax = f.ax;
  const Object* own[4] = {labelOf(ax, "Title"), labelOf(ax, "XLabel"), labelOf(ax, "YLabel"),
                          labelOf(ax, "ZLabel")};
  cairo_t* cr = cv.cr();
  // Oldest first, so that the newest object is drawn on top.
  for (auto it = ax->children.rbegin(); it != ax->children.rend(); ++it) {
    Object* c = *it;
    if (std::find(std::begin(own), std::end(own), c) != std::end(own)) continue;
    if (!isOn(c, "Visible")) continue;
    cairo_save(cr);
    if (isOn(c, "Clipping")) {
      cairo_rectangle(cr, f.box.x, f.box.y, f.box.w, f.box.h);
      cairo_clip(cr);
    }
    drawItem(cv, f, c, cmap);
    cairo_restore(cr);
  }
}

void strokeLine(cairo_t* cr, double x0, double y0, double x1, double y1) {
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
}

}  // namespace

void drawAxes(Canvas& cv, Object* ax, const ColorMap& cmap) {
  const Frame f = frameOf(cv, ax);
  cairo_t* cr = cv.cr();
  const bool visible = isOn(ax, "Visible");
  const Rect& b = f.box;
  Rgb bg;
  const bool filled = colorOf(raw(ax, "Color"), &bg);

  if (!f.flat) {
    if (visible) drawAxes3d(cv, f, false);
    drawChildren(cv, f, cmap);
    if (visible) drawAxes3d(cv, f, true);
    drawLabel(cv, labelOf(ax, "Title"), b.x + b.w / 2, b.y - kLabelGap, VAlign::Bottom, 0);
    return;
  }

  const double lw = cv.crispWidth(pointsToPixels(rawScalar(ax, "LineWidth")));
  const double L = cv.snap(b.x, lw), R = cv.snap(b.x + b.w, lw);
  const double T = cv.snap(b.y, lw), B = cv.snap(b.y + b.h, lw);
  const Rgb xc = colorProp(ax, "XColor"), yc = colorProp(ax, "YColor");
  const Ticks xt = ticksOf(ax, 0, f.lim[0]), yt = ticksOf(ax, 1, f.lim[1]);
  auto px = [&](double x) { return cv.snap(f.at(x, 0).x, lw); };
  auto py = [&](double y) { return cv.snap(f.at(0, y).y, lw); };

  cairo_save(cr);
  cairo_set_line_width(cr, lw);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  if (visible) {
    if (filled) {
      setColor(cr, bg);
      cairo_rectangle(cr, b.x, b.y, b.w, b.h);
      cairo_fill(cr);
    }
    const std::string grid = rawText(ax, "GridLineStyle");
    if (isOn(ax, "XGrid") && setLineStyle(cr, grid, lw)) {
      for (double x : xt.at) strokeLine(cr, px(x), T, px(x), B);
      setColor(cr, xc);
      cairo_stroke(cr);
    }
    if (isOn(ax, "YGrid") && setLineStyle(cr, grid, lw)) {
      for (double y : yt.at) strokeLine(cr, L, py(y), R, py(y));
      setColor(cr, yc);
      cairo_stroke(cr);
    }
    cairo_set_dash(cr, nullptr, 0, 0);
  }
  cairo_restore(cr);

  drawChildren(cv, f, cmap);

  const TextStyle tickStyle = [&] {
    TextStyle st;
    st.sizePx = pointsToPixels(rawScalar(ax, "FontSize"));
    return st;
  }();
  if (visible) {
    const bool box = isOn(ax, "Box");
    const double len = kTickLength * std::max(b.w, b.h);
    cairo_save(cr);
    cairo_set_line_width(cr, lw);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    // The x axis (bottom, and the top when boxed) with its ticks.
    strokeLine(cr, L, B, R, B);
    if (box) strokeLine(cr, L, T, R, T);
    for (double x : xt.at) {
      strokeLine(cr, px(x), B, px(x), B - len);
      if (box) strokeLine(cr, px(x), T, px(x), T + len);
    }
    setColor(cr, xc);
    cairo_stroke(cr);
    strokeLine(cr, L, B, L, T);
    if (box) strokeLine(cr, R, B, R, T);
    for (double y : yt.at) {
      strokeLine(cr, L, py(y), L + len, py(y));
      if (box) strokeLine(cr, R, py(y), R - len, py(y));
    }
    setColor(cr, yc);
    cairo_stroke(cr);
    cairo_restore(cr);

    // Tick labels below the box and to its left.
    TextStyle st = tickStyle;
    st.color = xc;
    st.h = HAlign::Center;
    st.v = VAlign::Top;
    bool anyX = false;
    for (std::size_t i = 0; i < xt.at.size(); ++i) {
      if (xt.labels[i].empty()) continue;
      drawText(cv, {xt.labels[i]}, f.at(xt.at[i], 0).x, B + 3, st);
      anyX = true;
    }
    st.color = yc;
    st.h = HAlign::Right;
    st.v = VAlign::Middle;
    double widest = 0;
    for (std::size_t i = 0; i < yt.at.size(); ++i) {
      if (yt.labels[i].empty()) continue;
      drawText(cv, {yt.labels[i]}, L - 5, f.at(0, yt.at[i]).y, st);
      widest = std::max(widest, measureText(cv, {yt.labels[i]}, st).width);
    }
    const double xLabelsHeight = anyX ? measureText(cv, {"0"}, tickStyle).height : 0;
    drawLabel(cv, labelOf(ax, "XLabel"), b.x + b.w / 2, B + 3 + xLabelsHeight + 1, VAlign::Top, 0);
    drawLabel(cv, labelOf(ax, "YLabel"), L - 5 - widest - kLabelGap - 2, b.y + b.h / 2,
              VAlign::Bottom, 90);
  }
  drawLabel(cv, labelOf(ax, "Title"), b.x + b.w / 2, T - 1.5 * kLabelGap, VAlign::Bottom, 0);
}

}  // namespace kh::gfx::render
