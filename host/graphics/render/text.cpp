#include "host/graphics/render/text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "host/graphics/access.h"

namespace kh::gfx::render {
namespace {

constexpr const char* kFamily = "DejaVu Sans";
constexpr double kScript = 0.7;  // size of a superscript or subscript
// Larger glyphs than this (in pixels) make FreeType fail, which would stop
// the whole drawing; no figure needs them.
constexpr double kLargestFont = 10000;

// One piece of a line drawn in one font: level +1 superscript, -1
// subscript.
struct Piece {
  std::string text;
  int level = 0;
  bool bold = false, italic = false;
};
using Line = std::vector<Piece>;

void appendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// s with every invalid UTF-8 sequence replaced by one U+FFFD and every
// control character by a blank.
std::string cleanUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    const std::size_t len = b < 0x80         ? 1
                            : (b >> 5) == 6  ? 2
                            : (b >> 4) == 14 ? 3
                            : (b >> 3) == 30 ? 4
                                             : 0;
    std::uint32_t c = len == 1 ? b : len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
    bool formed = len > 0 && i + len <= s.size();
    for (std::size_t k = 1; formed && k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      formed = (t >> 6) == 2;
      c = (c << 6) | (t & 0x3F);
    }
    static const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = formed && c >= least[len] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    if (!valid) {
      // A whole sequence that encodes no character (a surrogate, an
      // overlong form) is one bad character; a stray byte is one too.
      appendUtf8(out, 0xFFFD);
      i += formed ? len : 1;
      continue;
    }
    if (c < 0x20 || c == 0x7F)
      out += ' ';
    else
      out.append(s.substr(i, len));
    i += len;
  }
  return out;
}

std::string rightTrimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

void linesOf(const Value& v, std::vector<std::string>& out) {
  if (v.isCell()) {
    for (std::size_t i = 0; i < v.numel(); ++i) linesOf(v.cellAt(i), out);
    return;
  }
  if (!v.isChar()) return;
  // A line break within a row starts a new line too.
  auto add = [&](const std::string& row) {
    std::size_t from = 0;
    for (std::size_t nl; (nl = row.find('\n', from)) != std::string::npos; from = nl + 1)
      out.push_back(cleanUtf8(std::string_view(row).substr(from, nl - from)));
    out.push_back(cleanUtf8(std::string_view(row).substr(from)));
  };
  if (v.rows() <= 1) {
    add(v.utf8());
    return;
  }
  for (std::size_t r = 0; r < v.rows(); ++r) add(rightTrimmed(v.rowUtf8(r)));
}

const char* symbolOf(std::string_view name) {
  struct Sym {
    const char* name;
    const char* utf8;
  };
  static const Sym syms[] = {
      {"alpha", "α"},   {"beta", "β"},      {"gamma", "γ"},     {"delta", "δ"},
      {"epsilon", "ε"}, {"zeta", "ζ"},      {"eta", "η"},       {"theta", "θ"},
      {"iota", "ι"},    {"kappa", "κ"},     {"lambda", "λ"},    {"mu", "μ"},
      {"nu", "ν"},      {"xi", "ξ"},        {"pi", "π"},        {"rho", "ρ"},
      {"sigma", "σ"},   {"tau", "τ"},       {"upsilon", "υ"},   {"phi", "φ"},
      {"chi", "χ"},     {"psi", "ψ"},       {"omega", "ω"},     {"Gamma", "Γ"},
      {"Delta", "Δ"},   {"Theta", "Θ"},     {"Lambda", "Λ"},    {"Xi", "Ξ"},
      {"Pi", "Π"},      {"Sigma", "Σ"},     {"Upsilon", "Υ"},   {"Phi", "Φ"},
      {"Psi", "Ψ"},     {"Omega", "Ω"},     {"pm", "±"},        {"times", "×"},
      {"div", "÷"},     {"circ", "°"},      {"infty", "∞"},     {"leq", "≤"},
      {"geq", "≥"},     {"neq", "≠"},       {"approx", "≈"},    {"partial", "∂"},
      {"nabla", "∇"},   {"cdot", "·"},      {"leftarrow", "←"}, {"rightarrow", "→"},
      {"uparrow", "↑"}, {"downarrow", "↓"}, {"sum", "∑"},       {"int", "∫"},
      {"sqrt", "√"},    {"propto", "∝"},    {"in", "∈"},        {"bullet", "•"},
      {"prime", "′"},   {"ldots", "…"},     {"deg", "°"}};
  for (const Sym& s : syms)
    if (name == s.name) return s.utf8;
  return nullptr;
}

// The pieces of one line under the TeX interpreter.
Line parseTex(const std::string& s) {
  Line line;
  bool bold = false, italic = false;
  auto piece = [&](int level) -> Piece& {
    if (line.empty() || line.back().level != level || line.back().bold != bold ||
        line.back().italic != italic)
      line.push_back({"", level, bold, italic});
    return line.back();
  };
  // One unit at s[i]: an escape, a group or a character, appended at level.
  std::size_t i = 0;
  auto unit = [&](int level, auto& self) -> void {
    if (i >= s.size()) return;
    const char c = s[i];
    if (c == '\\') {
      std::size_t j = i + 1;
      while (j < s.size() && std::isalpha(static_cast<unsigned char>(s[j]))) ++j;
      const std::string_view name(s.data() + i + 1, j - i - 1);
      if (name.empty()) {  // \\ \{ \} \_ \^
        if (j < s.size()) piece(level).text += s[j++];
        i = j;
        return;
      }
      i = j;
      if (name == "bf")
        bold = true;
      else if (name == "it" || name == "sl")
        italic = true;
      else if (name == "rm")
        bold = italic = false;
      else if (const char* u = symbolOf(name))
        piece(level).text += u;
      else
        piece(level).text += "\\" + std::string(name);
      return;
    }
    if (c == '{') {
      ++i;
      const bool b = bold, it = italic;
      while (i < s.size() && s[i] != '}') self(level, self);
      if (i < s.size()) ++i;
      bold = b, italic = it;
      return;
    }
    if ((c == '^' || c == '_') && level == 0 && i + 1 < s.size()) {
      ++i;
      self(c == '^' ? 1 : -1, self);
      return;
    }
    // A whole UTF-8 character.
    std::size_t j = i + 1;
    while (j < s.size() && (static_cast<unsigned char>(s[j]) >> 6) == 2) ++j;
    piece(level).text.append(s, i, j - i);
    i = j;
  };
  while (i < s.size()) unit(0, unit);
  return line;
}

Line parseLine(const std::string& s, const TextStyle& st) {
  if (!st.tex) return {{s, 0, false, false}};
  return parseTex(s);
}

void selectFont(cairo_t* cr, const TextStyle& st, const Piece& p) {
  cairo_select_font_face(cr, kFamily,
                         st.italic || p.italic ? CAIRO_FONT_SLANT_OBLIQUE : CAIRO_FONT_SLANT_NORMAL,
                         st.bold || p.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  const double size = std::min(st.sizePx, kLargestFont);
  cairo_set_font_size(cr, p.level ? size * kScript : size);
}

double advance(cairo_t* cr, const TextStyle& st, const Piece& p) {
  if (p.text.empty()) return 0;
  selectFont(cr, st, p);
  cairo_text_extents_t e;
  cairo_text_extents(cr, p.text.c_str(), &e);
  return e.x_advance;
}

double lineWidth(cairo_t* cr, const TextStyle& st, const Line& line) {
  double w = 0;
  for (const Piece& p : line) w += advance(cr, st, p);
  return w;
}

struct Metrics {
  double ascent, descent, lineHeight, cap;
};

Metrics metricsOf(cairo_t* cr, const TextStyle& st) {
  selectFont(cr, st, Piece{});
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  cairo_text_extents_t te;
  cairo_text_extents(cr, "H", &te);
  return {fe.ascent, fe.descent, fe.height, -te.y_bearing};
}

std::string plainText(const Line& line) {
  std::string s;
  for (const Piece& p : line) s += p.text;
  return s;
}

}  // namespace

std::vector<std::string> textLines(const Value& v) {
  std::vector<std::string> out;
  linesOf(v, out);
  return out;
}

TextStyle textStyleOf(Object* t) {
  TextStyle st;
  st.sizePx = pointsToPixels(rawScalar(t, "FontSize"));
  const std::string weight = rawText(t, "FontWeight");
  st.bold = weight == "bold" || weight == "demi";
  st.italic = rawText(t, "FontAngle") != "normal";
  st.tex = rawText(t, "Interpreter") == "tex";
  colorOf(raw(t, "Color"), &st.color);
  const std::string h = rawText(t, "HorizontalAlignment");
  st.h = h == "center" ? HAlign::Center : h == "right" ? HAlign::Right : HAlign::Left;
  const std::string v = rawText(t, "VerticalAlignment");
  st.v = v == "top"        ? VAlign::Top
         : v == "cap"      ? VAlign::Cap
         : v == "baseline" ? VAlign::Baseline
         : v == "bottom"   ? VAlign::Bottom
                           : VAlign::Middle;
  st.rotation = rawScalar(t, "Rotation");
  return st;
}

TextSize measureText(Canvas& cv, const std::vector<std::string>& lines, const TextStyle& st) {
  if (lines.empty()) return {};
  cairo_t* cr = cv.cr();
  TextSize size;
  for (const std::string& s : lines)
    size.width = std::max(size.width, lineWidth(cr, st, parseLine(s, st)));
  const Metrics m = metricsOf(cr, st);
  size.height = static_cast<double>(lines.size() - 1) * m.lineHeight + m.ascent + m.descent;
  return size;
}

void drawText(Canvas& cv, const std::vector<std::string>& lines, double x, double y,
              const TextStyle& st) {
  if (lines.empty()) return;
  cairo_t* cr = cv.cr();
  const Metrics m = metricsOf(cr, st);
  const double n1 = static_cast<double>(lines.size() - 1);
  double first = 0;  // the first baseline, below the anchor
  switch (st.v) {
    case VAlign::Top:
      first = m.ascent;
      break;
    case VAlign::Cap:
      first = m.cap;
      break;
    case VAlign::Middle:
      first = m.ascent - (n1 * m.lineHeight + m.ascent + m.descent) / 2;
      break;
    case VAlign::Baseline:
      first = -n1 * m.lineHeight;
      break;
    case VAlign::Bottom:
      first = -n1 * m.lineHeight - m.descent;
      break;
  }
  cairo_save(cr);
  cairo_translate(cr, x, y);
  if (st.rotation != 0) cairo_rotate(cr, -st.rotation * M_PI / 180);
  setColor(cr, st.color);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const Line line = parseLine(lines[k], st);
    const double w = lineWidth(cr, st, line);
    double px = st.h == HAlign::Left ? 0 : st.h == HAlign::Center ? -w / 2 : -w;
    const double base = first + static_cast<double>(k) * m.lineHeight;
    cv.noteText({plainText(line), x, y, st.rotation, px, base, w, st.sizePx, st.bold, st.italic});
    for (const Piece& p : line) {
      if (p.text.empty()) continue;
      selectFont(cr, st, p);
      const double em = std::min(st.sizePx, kLargestFont);
      const double shift = p.level > 0 ? -0.38 * em : p.level < 0 ? 0.2 * em : 0;
      cairo_move_to(cr, px, base + shift);
      cairo_show_text(cr, p.text.c_str());
      px += advance(cr, st, p);
    }
  }
  cairo_restore(cr);
}

}  // namespace kh::gfx::render
