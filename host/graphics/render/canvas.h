// The drawing surface of one export: a cairo surface for the format, sized
// from the figure's pixel size, and the one coordinate system every drawing
// function uses, "canvas pixels": figure pixels measured from the upper-left
// corner (the figure's own pixels have their origin at the lower-left).
//
// A PNG has the figure's pixel size times the scale factor (dpi / 96, the
// screen having 96 pixels per inch); SVG and PDF are in points at the
// figure's size (a pixel is 3/4 of a point). cairo draws text as glyph
// outlines; an SVG also gets a layer of transparent <text> elements over
// those outlines so that its words can be found, selected and read out, as
// they can in the PDF.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

namespace kh::gfx::render {

enum class Format { Svg, Png, Pdf };

// The format a name gives ("svg", "png", "pdf", without regard to case);
// false when none.
bool formatFromName(const std::string& name, Format* out);
const char* formatName(Format f);  // "svg", "png", "pdf"

// One line of text as drawn, for the SVG text layer: the anchor (canvas
// pixels) and rotation of the whole text, and this line's start and
// baseline relative to the anchor before rotation.
struct TextRun {
  std::string utf8;
  double anchorX = 0, anchorY = 0, rotation = 0;  // degrees, counter-clockwise
  double x = 0, y = 0, width = 0, size = 0;
  bool bold = false, italic = false;
};

class Canvas {
 public:
  // widthPx, heightPx: the figure's size in pixels; scale: device pixels
  // per figure pixel (PNG only). Raises when cairo cannot make the surface.
  Canvas(Format fmt, double widthPx, double heightPx, double scale);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return cr_; }
  Format format() const { return fmt_; }
  bool raster() const { return fmt_ == Format::Png; }
  double width() const { return width_; }
  double height() const { return height_; }
  // Canvas y of a figure pixel y.
  double flipY(double figureY) const { return height_ - figureY; }
  // Draws the part of the figure whose lower left corner is at figure pixel
  // (x, y) (the canvas being the part's size): everything drawn after this
  // is shifted by it.
  void setOrigin(double x, double y);

  // Line widths for crisp axis-parallel lines: on a raster the width is a
  // whole number of device pixels (at least one) and a coordinate lies on
  // a pixel centre or edge to suit it; vector formats keep them as given.
  double crispWidth(double widthPx) const;
  double snap(double v, double crispW) const;
  // A line width no thinner than one device pixel on a raster.
  double visibleWidth(double widthPx) const;

  void noteText(TextRun run);

  // Completes the document and gives its bytes; raises when cairo reports
  // an error.
  std::string finish();

 private:
  void addTextLayer();
  Format fmt_;
  double width_, height_, scale_;
  double originX_ = 0, originY_ = 0;
  std::string bytes_;  // the document as cairo writes it
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::vector<TextRun> runs_;
};

// Raises when cairo reports an error on cr or surface.
void checkCairo(cairo_status_t status, const std::string& what);

}  // namespace kh::gfx::render
