#include "host/graphics/render/export.h"

#include <cmath>
#include <cstdio>

#include "host/context/errors.h"
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

void drawFigure(Canvas& cv, Object* fig) {
  cairo_t* cr = cv.cr();
  Rgb bg{0.8, 0.8, 0.8};
  colorOf(raw(fig, "Color"), &bg);
  setColor(cr, bg);
  cairo_paint(cr);
  const ColorMap cmap(fig);
  // Axes first, then the controls over them; each kind oldest first.
  for (Type kind : {Type::Axes, Type::Uicontrol})
    for (auto it = fig->children.rbegin(); it != fig->children.rend(); ++it) {
      Object* c = *it;
      if (c->type != kind) continue;
      if (kind == Type::Axes)
        drawAxes(cv, c, cmap);  // hidden axes still show their children
      else if (rawText(c, "Visible") == "on")
        drawControl(cv, c);
    }
}

}  // namespace

std::string renderFigure(Object* fig, Format fmt, double dpi) {
  if (!fig || fig->type != Type::Figure) raise("Only a figure can be exported.");
  if (!(dpi > 0) || !std::isfinite(dpi) || dpi > 10000)
    raise("The resolution must be a positive number of dots per inch, at most 10000.");
  const auto size = figureSize(fig);
  const double w = size[0], h = size[1];
  if (!(w >= 1 && h >= 1 && w <= kMaxSide && h <= kMaxSide))
    raise("The figure's size (" + sizeText(w, h) + " pixels) cannot be exported.");
  const double scale = fmt == Format::Png ? dpi / kScreenDpi : 1;
  if (fmt == Format::Png) {
    const double iw = std::round(w * scale), ih = std::round(h * scale);
    if (iw < 1 || ih < 1 || iw > 32767 || ih > 32767 || iw * ih > kMaxPixels)
      raise("The image would be " + sizeText(iw, ih) +
            " pixels, more than can be written; lower the resolution.");
  }
  Canvas cv(fmt, w, h, scale);
  drawFigure(cv, fig);
  return cv.finish();
}

void exportFigure(Object* fig, const std::string& file, Format fmt, double dpi) {
  const std::string bytes = renderFigure(fig, fmt, dpi);
  OutputFile out(file);
  out.write(bytes);
  out.commit();
}

}  // namespace kh::gfx::render
