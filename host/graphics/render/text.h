// Texts as a figure shows them: the lines of a String value, the TeX
// markup of the default interpreter (Greek letters and symbols by name,
// ^ and _ for one level of superscript and subscript, \bf \it \rm), and
// drawing at an anchor with alignment and rotation, in "DejaVu Sans".
#pragma once

#include <string>
#include <vector>

#include "host/graphics/object.h"
#include "host/graphics/render/canvas.h"
#include "host/graphics/render/style.h"
#include "host/values/value.h"

namespace kh::gfx::render {

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Cap, Middle, Baseline, Bottom };

struct TextStyle {
  double sizePx = pointsToPixels(10);
  bool bold = false, italic = false;
  bool tex = false;  // the TeX interpreter
  Rgb color{0, 0, 0};
  HAlign h = HAlign::Left;
  VAlign v = VAlign::Middle;
  double rotation = 0;  // degrees, counter-clockwise
};

// The style a text object asks for (size, weight, angle, colour,
// alignment, rotation, interpreter).
TextStyle textStyleOf(Object* text);

// The lines of a String value: a text row is one line, a character matrix
// one line per row (trailing blanks dropped), a cell one or more lines per
// element. Invalid UTF-8 and control characters are replaced, so what
// reaches cairo is always drawable.
std::vector<std::string> textLines(const Value& v);

struct TextSize {
  double width = 0, height = 0;
};

TextSize measureText(Canvas& cv, const std::vector<std::string>& lines, const TextStyle& st);
// Draws the lines with the block aligned to (x, y), in canvas pixels.
void drawText(Canvas& cv, const std::vector<std::string>& lines, double x, double y,
              const TextStyle& st);

}  // namespace kh::gfx::render
