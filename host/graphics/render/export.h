// Figure export: one drawing of a figure's tree as it is now, to SVG, PNG
// or PDF.
#pragma once

#include <string>

#include "host/graphics/object.h"
#include "host/graphics/render/canvas.h"

namespace kh::gfx::render {

// Draws the figure into the file. dpi sets a PNG's size: the figure's
// pixel size times dpi / 96 (96, the screen's resolution, gives the
// figure's own size); SVG and PDF are in points at the figure's size
// whatever dpi is. The file is replaced only once the whole document is
// written; on any error it is left as it was and the error is raised.
void exportFigure(Object* fig, const std::string& file, Format fmt, double dpi);

// What of a figure is drawn: all of it, or its plots alone (the axes with
// their titles, labels and tick labels, cut to the area they take, without
// the figure's controls).
enum class Content { Whole, PlotsAlone };

// The same drawing, as the bytes of the document.
std::string renderFigure(Object* fig, Format fmt, double dpi, Content content = Content::Whole);

}  // namespace kh::gfx::render
