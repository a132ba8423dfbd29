#include "host/graphics/render/canvas.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "host/core/errors.h"

namespace kh::gfx::render {
namespace {

constexpr double kPointsPerPixel = 72.0 / 96.0;

cairo_status_t toString(void* closure, const unsigned char* data, unsigned int n) {
  try {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), n);
  } catch (...) {  // nothing may unwind through cairo
    return CAIRO_STATUS_NO_MEMORY;
  }
  return CAIRO_STATUS_SUCCESS;
}

// A number for an SVG attribute: two decimals at most, no trailing zeros.
std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", std::fabs(v) < 0.005 ? 0.0 : v);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

void escapeInto(std::string& out, const std::string& s) {
  for (char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

bool formatFromName(const std::string& name, Format* out) {
  std::string n;
  for (char c : name) n += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (n == "svg")
    *out = Format::Svg;
  else if (n == "png")
    *out = Format::Png;
  else if (n == "pdf")
    *out = Format::Pdf;
  else
    return false;
  return true;
}

const char* formatName(Format f) {
  switch (f) {
    case Format::Svg:
      return "svg";
    case Format::Png:
      return "png";
    case Format::Pdf:
      return "pdf";
  }
  return "";
}

void checkCairo(cairo_status_t status, const std::string& what) {
  if (status != CAIRO_STATUS_SUCCESS)
    raise("Unable to " + what + ": " + cairo_status_to_string(status) + ".");
}

Canvas::Canvas(Format fmt, double widthPx, double heightPx, double scale)
    : fmt_(fmt), width_(widthPx), height_(heightPx), scale_(scale) {
  double sx = kPointsPerPixel, sy = kPointsPerPixel;
  switch (fmt) {
    case Format::Png: {
      const int w = static_cast<int>(std::lround(widthPx * scale));
      const int h = static_cast<int>(std::lround(heightPx * scale));
      surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
      sx = w / widthPx;
      sy = h / heightPx;
      break;
    }
    case Format::Svg:
      surface_ = cairo_svg_surface_create_for_stream(toString, &bytes_, widthPx * kPointsPerPixel,
                                                     heightPx * kPointsPerPixel);
      cairo_svg_surface_set_document_unit(surface_, CAIRO_SVG_UNIT_PT);
      break;
    case Format::Pdf:
      surface_ = cairo_pdf_surface_create_for_stream(toString, &bytes_, widthPx * kPointsPerPixel,
                                                     heightPx * kPointsPerPixel);
      cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "kestrel-host");
      break;
  }
  const cairo_status_t s = cairo_surface_status(surface_);
  if (s != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface_);
    checkCairo(s, "make the drawing surface");
  }
  cr_ = cairo_create(surface_);
  cairo_scale(cr_, sx, sy);
  // Glyph advances are not rounded to device pixels, so text is laid out
  // alike in every format; only a raster gets (slight) hinting.
  cairo_font_options_t* fo = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(fo, raster() ? CAIRO_HINT_STYLE_SLIGHT : CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr_, fo);
  cairo_font_options_destroy(fo);
}

Canvas::~Canvas() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

double Canvas::crispWidth(double widthPx) const {
  if (!raster()) return widthPx;
  return std::max(1.0, std::round(widthPx * scale_)) / scale_;
}

double Canvas::visibleWidth(double widthPx) const {
  return raster() ? std::max(widthPx, 1 / scale_) : widthPx;
}

double Canvas::snap(double v, double crispW) const {
  if (!raster()) return v;
  const double d = v * scale_;
  const long w = std::lround(crispW * scale_);
  return (w % 2 ? std::floor(d) + 0.5 : std::round(d)) / scale_;
}

void Canvas::setOrigin(double x, double y) {
  // A figure point (fx, fy) is drawn at (fx, height - fy) in the canvas's
  // units; the part's own place for it is (fx - x, height - (fy - y)).
  cairo_translate(cr_, -x, y);
  originX_ = x;
  originY_ = y;
}

void Canvas::noteText(TextRun run) {
  if (fmt_ != Format::Svg || run.utf8.empty()) return;
  run.anchorX -= originX_;
  run.anchorY += originY_;
  runs_.push_back(std::move(run));
}

std::string Canvas::finish() {
  checkCairo(cairo_status(cr_), "draw the figure");
  cairo_surface_flush(surface_);
  if (fmt_ == Format::Png) {
    checkCairo(cairo_surface_write_to_png_stream(surface_, toString, &bytes_), "make the image");
    return std::move(bytes_);
  }
  cairo_surface_finish(surface_);
  checkCairo(cairo_surface_status(surface_), "make the document");
  if (fmt_ == Format::Svg) addTextLayer();
  return std::move(bytes_);
}

void Canvas::addTextLayer() {
  std::string layer;
  if (!runs_.empty()) {
    layer = "<g id=\"text\" fill-opacity=\"0\" stroke=\"none\" font-family=\"DejaVu Sans\">\n";
    const double k = kPointsPerPixel;
    for (const TextRun& r : runs_) {
      layer += "<text transform=\"translate(" + num(r.anchorX * k) + "," + num(r.anchorY * k) + ")";
      if (r.rotation != 0) layer += " rotate(" + num(-r.rotation) + ")";
      layer += "\" x=\"" + num(r.x * k) + "\" y=\"" + num(r.y * k) + "\" font-size=\"" +
               num(r.size * k) + "\"";
      if (r.bold) layer += " font-weight=\"bold\"";
      if (r.italic) layer += " font-style=\"italic\"";
      if (r.width > 0)
        layer += " textLength=\"" + num(r.width * k) + "\" lengthAdjust=\"spacingAndGlyphs\"";
      layer += " xml:space=\"preserve\">";
      escapeInto(layer, r.utf8);
      layer += "</text>\n";
    }
    layer += "</g>\n";
  }
  const std::size_t end = bytes_.rfind("</svg>");
  if (end == std::string::npos) raise("Unable to make the document: cairo made no SVG.");
  bytes_.insert(end, layer);
}

}  // namespace kh::gfx::render
