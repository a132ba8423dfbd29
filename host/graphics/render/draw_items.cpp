// What lies in axes: lines (NaN and Inf break them), text objects, images,
// patches and surfaces. Coordinates go through the axes' Frame; segments
// that reach far outside the canvas are cut at a guard rectangle first, as
// cairo's fixed-point coordinates would overflow there.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/render/draw.h"
#include "host/graphics/render/text.h"

namespace kh::gfx::render {
namespace {

constexpr double kGuard = 1e5;  // pixels beyond the canvas

bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

struct Guard {
  double x0, y0, x1, y1;
  explicit Guard(const Canvas& cv)
      : x0(-kGuard), y0(-kGuard), x1(cv.width() + kGuard), y1(cv.height() + kGuard) {}
  bool inside(Point p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
  // Cuts the segment a-b to the rectangle (Liang-Barsky); false when none
  // of it lies inside.
  bool clip(Point& a, Point& b) const {
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - x0, x1 - a.x, a.y - y0, y1 - a.y};
    for (int i = 0; i < 4; ++i) {
      if (p[i] == 0) {
        if (q[i] < 0) return false;
        continue;
      }
      const double t = q[i] / p[i];
      if (p[i] < 0)
        t0 = std::max(t0, t);
      else
        t1 = std::min(t1, t);
      if (t0 > t1) return false;
    }
    const Point s = a;
    if (t1 < 1) b = {s.x + t1 * dx, s.y + t1 * dy};
    if (t0 > 0) a = {s.x + t0 * dx, s.y + t0 * dy};
    return true;
  }
};

// Builds a polyline through the points, broken where a point is not finite.
class Polyline {
 public:
  Polyline(cairo_t* cr, const Guard& g) : cr_(cr), g_(g) {}
  void add(Point p) {
    if (!finite(p)) {
      have_ = false;
      return;
    }
    if (!have_) {
      have_ = true;
      at_ = g_.inside(p);
      if (at_) cairo_move_to(cr_, p.x, p.y);
    } else if (at_ && g_.inside(p)) {
      cairo_line_to(cr_, p.x, p.y);
    } else {
      Point a = prev_, b = p;
      if (g_.clip(a, b)) {
        if (!at_) cairo_move_to(cr_, a.x, a.y);
        cairo_line_to(cr_, b.x, b.y);
        at_ = g_.inside(p);
      } else {
        at_ = false;
      }
    }
    prev_ = p;
  }
  void breakHere() { have_ = false; }

 private:
  cairo_t* cr_;
  const Guard& g_;
  Point prev_;
  bool have_ = false, at_ = false;
};

Rgb colorProp(Object* o, const char* name) {
  Rgb c{0, 0, 0};
  colorOf(raw(o, name), &c);
  return c;
}

// Element i of a coordinate array, or i + 1 when the array is empty (a
// line's XData may be).
double coord(const Value& v, std::size_t i) {
  return v.isEmpty() ? static_cast<double>(i + 1) : v.re()[i];
}

void drawLine(Canvas& cv, const Frame& f, Object* o) {
  const Value& X = raw(o, "XData");
  const Value& Y = raw(o, "YData");
  const Value& Z = raw(o, "ZData");
  const std::size_t n = X.isEmpty() ? Y.numel() : std::min(X.numel(), Y.numel());
  if (n == 0) return;
  const bool useZ = !f.flat && Z.numel() >= n;
  const Rgb color = colorProp(o, "Color");
  const double* y = Y.re();
  auto point = [&](std::size_t i) { return f.at(coord(X, i), y[i], useZ ? Z.re()[i] : 0); };
  cairo_t* cr = cv.cr();
  cairo_save(cr);
  const double width = cv.visibleWidth(pointsToPixels(rawScalar(o, "LineWidth")));
  cairo_set_line_width(cr, width);
  setLineJoin(cr, kLineJoin);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  if (setLineStyle(cr, rawText(o, "LineStyle"), width)) {
    const Guard g(cv);
    Polyline path(cr, g);
    for (std::size_t i = 0; i < n; ++i) path.add(point(i));
    setColor(cr, color);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  if (rawText(o, "Marker") != "none") {
    const Guard g(cv);
    std::vector<Point> pts;
    for (std::size_t i = 0; i < n; ++i) {
      const Point p = point(i);
      if (finite(p) && g.inside(p)) pts.push_back(p);
    }
    drawMarkers(cv, o, pts, color);
  }
}

void drawTextObject(Canvas& cv, const Frame& f, Object* o) {
  const std::vector<std::string> lines = textLines(raw(o, "String"));
  if (lines.empty()) return;
  const Value& pos = raw(o, "Position");
  std::vector<double> p(pos.re(), pos.re() + pos.numel());
  p.resize(3, 0.0);
  Point at;
  if (rawText(o, "Units") == "normalized")
    at = {f.box.x + p[0] * f.box.w, f.box.y + (1 - p[1]) * f.box.h};
  else
    at = f.at(p[0], p[1], f.flat ? 0 : p[2]);
  if (!finite(at) || !Guard(cv).inside(at)) return;
  drawText(cv, lines, at.x, at.y, textStyleOf(o));
}

// The colour of a colour-data value of a patch or surface (scaled into the
// colour limits); false for NaN.
bool scaledColor(const ColorMap& cmap, const Frame& f, double c, Rgb* out) {
  if (std::isnan(c)) return false;
  *out = cmap.scaled(c, f.lim[3]);
  return true;
}

std::uint32_t packed(const Rgb& c) {
  auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255)); };
  return 0xFF000000u | byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
}

void drawImage(Canvas& cv, const Frame& f, Object* o, const ColorMap& cmap) {
  const Value& C = raw(o, "CData");
  if (C.isEmpty() || C.ndims() > 3) return;
  const bool truecolor = C.ndims() == 3;
  if (truecolor && C.dim(2) != 3) return;
  const std::size_t m = C.dim(0), n = C.dim(1);
  if (m > 32767 || n > 32767)
    raise("The image is too large to draw (" + std::to_string(m) + "-by-" + std::to_string(n) +
          ").");
  const bool scaled = rawText(o, "CDataMapping") == "scaled";
  cairo_surface_t* img =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(n), static_cast<int>(m));
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    raise("The image is too large to draw.");
  }
  unsigned char* data = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  const double* c = C.re();
  const std::size_t plane = m * n;
  for (std::size_t i = 0; i < m; ++i) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(i) * stride);
    for (std::size_t j = 0; j < n; ++j) {
      const std::size_t k = j * m + i;
      Rgb rgb;
      if (truecolor) {
        for (int p = 0; p < 3; ++p) {
          const double v = c[k + static_cast<std::size_t>(p) * plane];
          rgb[static_cast<std::size_t>(p)] = std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0);
        }
      } else {
        rgb = scaled ? cmap.scaled(c[k], f.lim[3]) : cmap.direct(c[k]);
      }
      row[j] = packed(rgb);
    }
  }
  cairo_surface_mark_dirty(img);

  // Pixel centres from the first to the last XData and YData.
  const Value& X = raw(o, "XData");
  const Value& Y = raw(o, "YData");
  const double x1 = X.isEmpty() ? 1 : X.re()[0],
               x2 = X.isEmpty() ? double(n) : X.re()[X.numel() - 1];
  const double y1 = Y.isEmpty() ? 1 : Y.re()[0],
               y2 = Y.isEmpty() ? double(m) : Y.re()[Y.numel() - 1];
  const double dx = n > 1 ? (x2 - x1) / double(n - 1) : 1;
  const double dy = m > 1 ? (y2 - y1) / double(m - 1) : 1;
  const Point origin = f.at(x1 - dx / 2, y1 - dy / 2);
  cairo_matrix_t mat;
  cairo_matrix_init(&mat, f.m[0][0] * dx, f.m[1][0] * dx, f.m[0][1] * dy, f.m[1][1] * dy, origin.x,
                    origin.y);
  cairo_t* cr = cv.cr();
  if (std::isfinite(origin.x) && std::isfinite(origin.y) && dx != 0 && dy != 0 &&
      std::isfinite(dx) && std::isfinite(dy)) {
    cairo_save(cr);
    cairo_transform(cr, &mat);
    cairo_set_source_surface(cr, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, 0, 0, double(n), double(m));
    cairo_fill(cr);
    cairo_restore(cr);
  }
  cairo_surface_destroy(img);
}

// How a patch or surface colours its faces or edges: one colour, none, or
// from the colour data.
struct Shading {
  enum Kind { None, Solid, Flat, Interp } kind = None;
  Rgb color{0, 0, 0};
};

Shading shadingOf(Object* o, const char* name) {
  Shading s;
  const Value& v = raw(o, name);
  if (colorOf(v, &s.color)) {
    s.kind = Shading::Solid;
  } else {
    const std::string w = colorWord(v);
    s.kind = w == "flat" ? Shading::Flat : w == "interp" ? Shading::Interp : Shading::None;
  }
  return s;
}

// One face of a patch or surface: its corners on the canvas, its colours,
// and its depth for the painter's order of a projected view.
struct Face {
  std::vector<Point> pts;
  bool filled = false, edged = false;
  Rgb fill{0, 0, 0}, edge{0, 0, 0};
  double depth = 0;
};

void drawFaces(Canvas& cv, Object* o, std::vector<Face>& faces, bool sortByDepth, bool crispFaces) {
  if (sortByDepth)
    std::stable_sort(faces.begin(), faces.end(),
                     [](const Face& a, const Face& b) { return a.depth < b.depth; });
  cairo_t* cr = cv.cr();
  cairo_save(cr);
  const double width = cv.visibleWidth(pointsToPixels(rawScalar(o, "LineWidth")));
  cairo_set_line_width(cr, width);
  setLineJoin(cr, kLineJoin);
  const bool lines = setLineStyle(cr, rawText(o, "LineStyle"), width);
  auto outline = [&](const Face& fc) {
    cairo_move_to(cr, fc.pts[0].x, fc.pts[0].y);
    for (std::size_t k = 1; k < fc.pts.size(); ++k) cairo_line_to(cr, fc.pts[k].x, fc.pts[k].y);
    cairo_close_path(cr);
  };
  for (const Face& fc : faces) {
    if (fc.pts.size() < 2) continue;
    if (fc.filled && fc.pts.size() >= 3) {
      // Adjacent faces of a raster meet without seams when not smoothed.
      if (crispFaces) cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
      outline(fc);
      setColor(cr, fc.fill);
      cairo_fill(cr);
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    }
    if (fc.edged && lines) {
      outline(fc);
      setColor(cr, fc.edge);
      cairo_stroke(cr);
    }
  }
  cairo_restore(cr);
}

bool isTrueColor(const Value& C, std::size_t count) {
  return C.ndims() == 3 && C.dim(2) == 3 && C.numel() == 3 * count;
}

// The colour of colour data at the elements ks (of `count` per plane) taken
// together, as at the middle of a face that interpolates between them:
// true colour when the data has three planes (the colours averaged),
// otherwise the average value scaled into the colour map. False when any
// value is NaN.
bool dataColor(const Value& C, std::span<const std::size_t> ks, std::size_t count,
               const ColorMap& cmap, const Frame& f, Rgb* out) {
  const double n = static_cast<double>(ks.size());
  if (ks.empty()) return false;
  if (isTrueColor(C, count)) {
    Rgb m{0, 0, 0};
    for (std::size_t k : ks)
      for (std::size_t p = 0; p < 3; ++p) {
        if (k >= count) return false;
        const double v = C.re()[k + p * count];
        if (std::isnan(v)) return false;
        m[p] += std::clamp(v, 0.0, 1.0) / n;
      }
    *out = m;
    return true;
  }
  double sum = 0;
  for (std::size_t k : ks) {
    if (k >= C.numel()) return false;
    sum += C.re()[k];
  }
  return scaledColor(cmap, f, sum / n, out);
}

void drawPatch(Canvas& cv, const Frame& f, Object* o, const ColorMap& cmap) {
  const Value& X = raw(o, "XData");
  const Value& Y = raw(o, "YData");
  const Value& Z = raw(o, "ZData");
  const Value& C = raw(o, "CData");
  if (X.isEmpty() || X.numel() != Y.numel()) return;
  const std::size_t nv = X.isVector() ? X.numel() : X.rows();
  const std::size_t nf = X.numel() / nv;
  const bool useZ = !f.flat && Z.numel() == X.numel();
  const Shading fs = shadingOf(o, "FaceColor"), es = shadingOf(o, "EdgeColor");
  // Colour data per face, or per vertex.
  const std::size_t planeCount = C.ndims() == 3 && C.dim(2) == 3 ? C.numel() / 3 : C.numel();
  const bool perVertex = planeCount == nv * nf && nv > 1;
  auto faceColor = [&](std::size_t face, bool interp, Rgb* out) {
    std::vector<std::size_t> ks;
    if (planeCount == 1)
      ks = {0};
    else if (!perVertex)
      ks = {face};
    else if (!interp)
      ks = {face * nv};
    else
      for (std::size_t v = 0; v < nv; ++v) ks.push_back(face * nv + v);
    return planeCount > 0 && dataColor(C, ks, planeCount, cmap, f, out);
  };
  std::vector<Face> faces;
  std::vector<Point> vertices;
  for (std::size_t face = 0; face < nf; ++face) {
    Face fc;
    for (std::size_t v = 0; v < nv; ++v) {
      const std::size_t k = face * nv + v;
      const double z = useZ ? Z.re()[k] : 0;
      const Point p = f.at(X.re()[k], Y.re()[k], z);
      if (!finite(p)) continue;
      fc.pts.push_back(p);
      fc.depth += f.depth(X.re()[k], Y.re()[k], z);
    }
    if (fc.pts.empty()) continue;
    fc.depth /= static_cast<double>(fc.pts.size());
    if (fs.kind == Shading::Solid) {
      fc.filled = true;
      fc.fill = fs.color;
    } else if (fs.kind != Shading::None) {
      fc.filled = faceColor(face, fs.kind == Shading::Interp, &fc.fill);
    }
    if (es.kind == Shading::Solid) {
      fc.edged = true;
      fc.edge = es.color;
    } else if (es.kind != Shading::None) {
      fc.edged = faceColor(face, es.kind == Shading::Interp, &fc.edge);
    }
    vertices.insert(vertices.end(), fc.pts.begin(), fc.pts.end());
    faces.push_back(std::move(fc));
  }
  drawFaces(cv, o, faces, !f.flat, false);
  drawMarkers(cv, o, vertices, es.kind == Shading::Solid ? es.color : Rgb{0, 0, 0});
}

void drawSurface(Canvas& cv, const Frame& f, Object* o, const ColorMap& cmap) {
  const Value& Z = raw(o, "ZData");
  const Value& X = raw(o, "XData");
  const Value& Y = raw(o, "YData");
  const Value& Cd = raw(o, "CData");
  const Value& C = Cd.isEmpty() ? Z : Cd;
  if (Z.ndims() != 2 || Z.isEmpty()) return;
  const std::size_t m = Z.rows(), n = Z.cols(), count = m * n;
  const bool xGrid = X.numel() == count && !(m == 1 || n == 1);
  const bool yGrid = Y.numel() == count && !(m == 1 || n == 1);
  if (!(xGrid || X.numel() == n) || !(yGrid || Y.numel() == m)) return;
  auto xAt = [&](std::size_t i, std::size_t j) { return xGrid ? X.re()[j * m + i] : X.re()[j]; };
  auto yAt = [&](std::size_t i, std::size_t j) { return yGrid ? Y.re()[j * m + i] : Y.re()[i]; };
  auto zAt = [&](std::size_t i, std::size_t j) { return Z.re()[j * m + i]; };
  const Shading fs = shadingOf(o, "FaceColor"), es = shadingOf(o, "EdgeColor");
  auto quadColor = [&](std::size_t i, std::size_t j, bool interp, Rgb* out) {
    const std::size_t k = j * m + i;
    const std::size_t one[] = {k}, four[] = {k, k + 1, k + m, k + m + 1};
    return interp ? dataColor(C, four, count, cmap, f, out)
                  : dataColor(C, one, count, cmap, f, out);
  };
  std::vector<Face> faces;
  if (m >= 2 && n >= 2) faces.reserve((m - 1) * (n - 1));
  for (std::size_t j = 0; j + 1 < n; ++j) {
    for (std::size_t i = 0; i + 1 < m; ++i) {
      Face fc;
      const std::size_t ci[4] = {i, i + 1, i + 1, i};
      const std::size_t cj[4] = {j, j, j + 1, j + 1};
      bool ok = true;
      for (int k = 0; k < 4 && ok; ++k) {
        const double x = xAt(ci[k], cj[k]), y = yAt(ci[k], cj[k]), z = zAt(ci[k], cj[k]);
        const Point p = f.at(x, y, f.flat ? 0 : z);
        ok = finite(p) && std::isfinite(z);
        fc.pts.push_back(p);
        fc.depth += f.depth(x, y, z) / 4;
      }
      if (!ok) continue;
      if (fs.kind == Shading::Solid) {
        fc.filled = true;
        fc.fill = fs.color;
      } else if (fs.kind != Shading::None) {
        fc.filled = quadColor(i, j, fs.kind == Shading::Interp, &fc.fill);
      }
      if (es.kind == Shading::Solid) {
        fc.edged = true;
        fc.edge = es.color;
      } else if (es.kind != Shading::None) {
        fc.edged = quadColor(i, j, es.kind == Shading::Interp, &fc.edge);
      }
      faces.push_back(std::move(fc));
    }
  }
  drawFaces(cv, o, faces, !f.flat, cv.raster());
  if (rawText(o, "Marker") != "none") {
    std::vector<Point> pts;
    for (std::size_t j = 0; j < n; ++j)
      for (std::size_t i = 0; i < m; ++i) {
        const Point p = f.at(xAt(i, j), yAt(i, j), f.flat ? 0 : zAt(i, j));
        if (finite(p) && std::isfinite(zAt(i, j))) pts.push_back(p);
      }
    drawMarkers(cv, o, pts, es.kind == Shading::Solid ? es.color : Rgb{0, 0, 0});
  }
}

}  // namespace

void drawItem(Canvas& cv, const Frame& f, Object* item, const ColorMap& cmap) {
  switch (item->type) {
    case Type::Line:
      drawLine(cv, f, item);
      break;
    case Type::Text:
      drawTextObject(cv, f, item);
      break;
    case Type::Image:
      drawImage(cv, f, item, cmap);
      break;
    case Type::Patch:
      drawPatch(cv, f, item, cmap);
      break;
    case Type::Surface:
      drawSurface(cv, f, item, cmap);
      break;
    default:
      break;
  }
}

}  // namespace kh::gfx::render
