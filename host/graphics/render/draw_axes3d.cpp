// Axes in a projected (3-D) view, drawn simply: the faces of the box that
// look away from the viewer are filled with the axes colour and carry the
// grid; the box edges, the tick labels along the lowest x and y edges and
// the leftmost z edge, and the x, y and z labels follow.
#include <algorithm>
#include <cmath>

#include "host/graphics/access.h"
#include "host/graphics/render/draw.h"
#include "host/graphics/render/text.h"
#include "host/graphics/tree.h"

namespace kh::gfx::render {
namespace {

struct Corner {
  double v[3];
};

Corner cornerOf(const Frame& f, int bits) {
  Corner c;
  for (int d = 0; d < 3; ++d) c.v[d] = f.lim[d][(bits >> d) & 1];
  return c;
}

Point project(const Frame& f, const Corner& c) { return f.at(c.v[0], c.v[1], c.v[2]); }
double depthOf(const Frame& f, const Corner& c) { return f.depth(c.v[0], c.v[1], c.v[2]); }

// The face of the box at side s (0 low, 1 high) of dimension d: whether it
// looks away from the viewer.
bool isBack(const Frame& f, int d, int s) {
  Corner lo = cornerOf(f, 0), hi = cornerOf(f, 0);
  hi.v[d] = f.lim[d][1];
  const double rise = depthOf(f, hi) - depthOf(f, lo);  // depth gained towards the high side
  return s == 0 ? rise > 1e-12 : rise < -1e-12;
}

// The four corners of a face, in order around it.
void faceCorners(const Frame& f, int d, int s, Corner out[4]) {
  const int a = (d + 1) % 3, b = (d + 2) % 3;
  const int order[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int k = 0; k < 4; ++k) {
    Corner c;
    c.v[d] = f.lim[d][s];
    c.v[a] = f.lim[a][order[k][0]];
    c.v[b] = f.lim[b][order[k][1]];
    out[k] = c;
  }
}

Rgb colorProp(Object* o, const char* name) {
  Rgb c{0, 0, 0};
  colorOf(raw(o, name), &c);
  return c;
}

// An edge parallel to dimension d, given by the sides of the other two.
struct Edge {
  Corner a, b;
};

Edge edgeOf(const Frame& f, int d, int sa, int sb) {
  const int a = (d + 1) % 3, b = (d + 2) % 3;
  Edge e;
  e.a.v[d] = f.lim[d][0];
  e.b.v[d] = f.lim[d][1];
  e.a.v[a] = e.b.v[a] = f.lim[a][sa];
  e.a.v[b] = e.b.v[b] = f.lim[b][sb];
  return e;
}

}  // namespace

void drawAxes3d(Canvas& cv, const Frame& f, bool front) {
  cairo_t* cr = cv.cr();
  Object* ax = f.ax;
  static const char* const colorNames[3] = {"XColor", "YColor", "ZColor"};
  static const char* const gridNames[3] = {"XGrid", "YGrid", "ZGrid"};
  const double lw = cv.visibleWidth(pointsToPixels(rawScalar(ax, "LineWidth")));
  cairo_save(cr);
  cairo_set_line_width(cr, lw);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  if (!front) {
    Rgb bg;
    const bool filled = colorOf(raw(ax, "Color"), &bg);
    for (int d = 0; d < 3; ++d)
      for (int s = 0; s < 2; ++s) {
        if (!isBack(f, d, s)) continue;
        Corner c[4];
        faceCorners(f, d, s, c);
        auto outline = [&] {
          for (int k = 0; k < 4; ++k) {
            const Point p = project(f, c[k]);
            if (k == 0)
              cairo_move_to(cr, p.x, p.y);
            else
              cairo_line_to(cr, p.x, p.y);
          }
          cairo_close_path(cr);
        };
        if (filled) {
          outline();
          setColor(cr, bg);
          cairo_fill(cr);
        }
        // Grid lines of the other two dimensions across this face.
        for (int g = 0; g < 3; ++g) {
          if (g == d || rawText(ax, gridNames[g]) != "on") continue;
          const int other = 3 - d - g;
          if (!setLineStyle(cr, rawText(ax, "GridLineStyle"), lw)) continue;
          for (double t : ticks(ax, g)) {
            if (t < f.lim[g][0] || t > f.lim[g][1]) continue;
            Corner a, b;
            a.v[d] = b.v[d] = f.lim[d][s];
            a.v[g] = b.v[g] = t;
            a.v[other] = f.lim[other][0];
            b.v[other] = f.lim[other][1];
            const Point pa = project(f, a), pb = project(f, b);
            cairo_move_to(cr, pa.x, pa.y);
            cairo_line_to(cr, pb.x, pb.y);
          }
          setColor(cr, colorProp(ax, colorNames[g]));
          cairo_stroke(cr);
          cairo_set_dash(cr, nullptr, 0, 0);
        }
        outline();
        setColor(cr, colorProp(ax, "XColor"));
        cairo_stroke(cr);
      }
    cairo_restore(cr);
    return;
  }

  const bool box = rawText(ax, "Box") == "on";
  const Point centre = f.at((f.lim[0][0] + f.lim[0][1]) / 2, (f.lim[1][0] + f.lim[1][1]) / 2,
                            (f.lim[2][0] + f.lim[2][1]) / 2);
  TextStyle st;
  st.sizePx = pointsToPixels(rawScalar(ax, "FontSize"));
  static const char* const labelNames[3] = {"XLabel", "YLabel", "ZLabel"};
  for (int d = 0; d < 3; ++d) {
    // The edge that carries the tick labels: lowest on the canvas for x and
    // y, leftmost for z.
    Edge best{};
    double bestScore = -1e300;
    for (int sa = 0; sa < 2; ++sa)
      for (int sb = 0; sb < 2; ++sb) {
        const Edge e = edgeOf(f, d, sa, sb);
        const Point a = project(f, e.a), b = project(f, e.b);
        const double score = d == 2 ? -(a.x + b.x) : a.y + b.y;
        if (score > bestScore) bestScore = score, best = e;
        if (box) {
          cairo_move_to(cr, a.x, a.y);
          cairo_line_to(cr, b.x, b.y);
        }
      }
    setColor(cr, colorProp(ax, colorNames[d]));
    cairo_stroke(cr);
    const Point a = project(f, best.a), b = project(f, best.b);
    Point out{(a.x + b.x) / 2 - centre.x, (a.y + b.y) / 2 - centre.y};
    const double norm = std::hypot(out.x, out.y);
    if (norm > 0) out = {out.x / norm, out.y / norm};
    st.color = colorProp(ax, colorNames[d]);
    st.h = out.x < -0.3 ? HAlign::Right : out.x > 0.3 ? HAlign::Left : HAlign::Center;
    st.v = out.y > 0.3 ? VAlign::Top : out.y < -0.3 ? VAlign::Bottom : VAlign::Middle;
    const std::vector<double> t = ticks(ax, d);
    const std::vector<std::string> labels = tickLabels(t);
    const double span = best.b.v[d] - best.a.v[d];
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t[i] < f.lim[d][0] || t[i] > f.lim[d][1] || span == 0) continue;
      const double u = (t[i] - best.a.v[d]) / span;
      const Point p{a.x + u * (b.x - a.x), a.y + u * (b.y - a.y)};
      cairo_move_to(cr, p.x, p.y);
      cairo_line_to(cr, p.x - out.x * 4, p.y - out.y * 4);
      setColor(cr, st.color);
      cairo_stroke(cr);
      drawText(cv, {labels[i]}, p.x + out.x * 6, p.y + out.y * 6, st);
    }
    const Value& h = raw(ax, labelNames[d]);
    Object* label = h.numel() == 1 ? tree().find(h.at(0)) : nullptr;
    if (label && rawText(label, "Visible") == "on") {
      TextStyle ls = textStyleOf(label);
      ls.h = st.h;
      ls.v = st.v;
      ls.rotation = d == 2 ? 90 : 0;
      if (d == 2) ls.h = HAlign::Center, ls.v = VAlign::Bottom;
      drawText(cv, textLines(raw(label, "String")), (a.x + b.x) / 2 + out.x * 30,
               (a.y + b.y) / 2 + out.y * 24, ls);
    }
  }
  cairo_restore(cr);
}

}  // namespace kh::gfx::render
