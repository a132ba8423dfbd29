#include "host/graphics/render/export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/geometry.h"
#include "host/graphics/render/draw.h"
#include "host/graphics/render/output_file.h"

namespace kh::gfx::render {
namespace {

constexpr double kScreenDpi = 96;
constexpr double kMaxSide = 100000;   // pixels of the figure or the image, each way
constexpr double kMaxPixels = 100e6;  // of a PNG

std::string sizeText(double w, double h) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f-by-%.0f", w, h);
  return buf;
}

void drawFigure(Canvas& cv, Object* fig, Content content) {
  cairo_t* cr = cv.cr();
  Rgb bg{0.8, 0.8, 0.8};
  colorOf(raw(fig, "Color"), &bg);
  setColor(cr, bg);
  cairo_paint(cr);
  const ColorMap cmap(fig);
  // Axes first, then the controls over them; each kind oldest first.
  for (Type kind : {Type::Axes, Type::Uicontrol})
    for (auto it = fig->children.rbegin(); it != fig->children.rend(); ++it) {
      if (kind == Type::Uicontrol && content == Content::PlotsAlone) break;
      Object* c = *it;
      if (c->type != kind) continue;
      if (kind == Type::Axes)
        drawAxes(cv, c, cmap);  // hidden axes still show their children
      else if (rawText(c, "Visible") == "on")
        drawControl(cv, c);
    }
}

// The part of the figure its visible axes take with their tick labels,
// axis labels and titles (a margin around each plot box), within the
// figure; {x, y, w, h} in figure pixels, y up.
std::array<double, 4> plotsArea(Object* fig, double w, double h) {
  constexpr double kLeft = 70, kRight = 30, kBottom = 52, kTop = 36;
  double x0 = w, y0 = h, x1 = 0, y1 = 0;
  for (Object* c : fig->children) {
    if (c->type != Type::Axes || rawText(c, "Visible") != "on") continue;
    const Rect b = plotBox(c);
    x0 = std::min(x0, b.x - kLeft);
    y0 = std::min(y0, b.y - kBottom);
    x1 = std::max(x1, b.x + b.w + kRight);
    y1 = std::max(y1, b.y + b.h + kTop);
  }
  x0 = std::floor(std::max(x0, 0.0));
  y0 = std::floor(std::max(y0, 0.0));
  x1 = std::ceil(std::min(x1, w));
  y1 = std::ceil(std::min(y1, h));
  if (!(x1 - x0 >= 1 && y1 - y0 >= 1)) raise("The figure has no plot to export.");
  return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace

std::string renderFigure(Object* fig, Format fmt, double dpi, Content content) {
  if (!fig || fig->type != Type::Figure) raise("Only a figure can be exported.");
  if (!(dpi > 0) || !std::isfinite(dpi) || dpi > 10000)
    raise("The resolution must be a positive number of dots per inch, at most 10000.");
  const auto size = figureSize(fig);
  double w = size[0], h = size[1];
  if (!(w >= 1 && h >= 1 && w <= kMaxSide && h <= kMaxSide))
    raise("The figure's size (" + sizeText(w, h) + " pixels) cannot be exported.");
  std::array<double, 4> part{0, 0, w, h};
  if (content == Content::PlotsAlone) {
    part = plotsArea(fig, w, h);
    w = part[2];
    h = part[3];
  }
  const double scale = fmt == Format::Png ? dpi / kScreenDpi : 1;
  if (fmt == Format::Png) {
    const double iw = std::round(w * scale), ih = std::round(h * scale);
    if (iw < 1 || ih < 1 || iw > 32767 || ih > 32767 || iw * ih > kMaxPixels)
      raise("The image would be " + sizeText(iw, ih) +
            " pixels, more than can be written; lower the resolution.");
  }
  Canvas cv(fmt, w, h, scale);
  if (content == Content::PlotsAlone) cv.setOrigin(part[0], part[1]);
  drawFigure(cv, fig, content);
  return cv.finish();
}

void exportFigure(Object* fig, const std::string& file, Format fmt, double dpi) {
  const std::string bytes = renderFigure(fig, fmt, dpi);
  OutputFile out(file);
  out.write(bytes);
  out.commit();
}

}  // namespace kh::gfx::render
