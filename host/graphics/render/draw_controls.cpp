// Controls as simple widgets at their pixel Position, in the bevelled look
// of a classic desktop: push and toggle buttons, radio buttons and check
// boxes with their state and label, edit boxes, static text, sliders with
// the thumb at Value between Min and Max, popup menus showing the selected
// entry, list boxes and frames. A control whose Enable is "off" has a grey,
// engraved label.
#include <algorithm>
#include <cmath>

#include "host/graphics/access.h"
#include "host/graphics/render/draw.h"
#include "host/graphics/render/text.h"

namespace kh::gfx::render {
namespace {

constexpr Rgb kLight{1, 1, 1};
constexpr Rgb kShadow{0.5, 0.5, 0.5};
constexpr Rgb kDark{0.25, 0.25, 0.25};
constexpr Rgb kGreyText{0.55, 0.55, 0.55};
constexpr Rgb kSelection{0.04, 0.14, 0.42};

Rgb shade(const Rgb& c, double f) {
  return {std::clamp(c[0] * f, 0.0, 1.0), std::clamp(c[1] * f, 0.0, 1.0),
          std::clamp(c[2] * f, 0.0, 1.0)};
}

void fillRect(cairo_t* cr, const Rect& r, const Rgb& c) {
  setColor(cr, c);
  cairo_rectangle(cr, r.x, r.y, r.w, r.h);
  cairo_fill(cr);
}

// A bevel of one pixel (in figure pixels) inside r: light on the upper and
// left edges and dark on the others, or the other way round when sunken.
void bevel(Canvas& cv, const Rect& r, bool sunken) {
  cairo_t* cr = cv.cr();
  const double w = cv.crispWidth(1);
  const double L = cv.snap(r.x + w / 2, w), T = cv.snap(r.y + w / 2, w);
  const double R = cv.snap(r.x + r.w - w / 2, w), B = cv.snap(r.y + r.h - w / 2, w);
  cairo_save(cr);
  cairo_set_line_width(cr, w);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  cairo_move_to(cr, L, B);
  cairo_line_to(cr, L, T);
  cairo_line_to(cr, R, T);
  setColor(cr, sunken ? kShadow : kLight);
  cairo_stroke(cr);
  cairo_move_to(cr, R, T);
  cairo_line_to(cr, R, B);
  cairo_line_to(cr, L, B);
  setColor(cr, sunken ? kLight : kDark);
  cairo_stroke(cr);
  cairo_restore(cr);
}

Rect inset(const Rect& r, double d) { return {r.x + d, r.y + d, r.w - 2 * d, r.h - 2 * d}; }

struct Look {
  Rgb bg, fg;
  bool enabled;
  TextStyle text;
};

Look lookOf(Object* o) {
  Look k;
  k.bg = {0.8, 0.8, 0.8};
  k.fg = {0, 0, 0};
  colorOf(raw(o, "BackgroundColor"), &k.bg);
  colorOf(raw(o, "ForegroundColor"), &k.fg);
  k.enabled = rawText(o, "Enable") != "off";
  k.text.sizePx = pointsToPixels(rawScalar(o, "FontSize"));
  k.text.color = k.fg;
  const std::string h = rawText(o, "HorizontalAlignment");
  k.text.h = h == "left" ? HAlign::Left : h == "right" ? HAlign::Right : HAlign::Center;
  k.text.v = VAlign::Middle;
  return k;
}

// A label; a disabled one is grey with a light copy beneath it.
void label(Canvas& cv, const Look& k, const std::vector<std::string>& lines, double x, double y,
           TextStyle st) {
  if (lines.empty()) return;
  if (!k.enabled) {
    st.color = kLight;
    drawText(cv, lines, x + 1, y + 1, st);
    st.color = kGreyText;
  }
  drawText(cv, lines, x, y, st);
}

// The x of text aligned in r with a small margin.
double alignedX(const Rect& r, HAlign h, double margin) {
  return h == HAlign::Left ? r.x + margin : h == HAlign::Right ? r.x + r.w - margin : r.x + r.w / 2;
}

// The entries of a popup menu or list box: the lines of String, a text row
// split at '|'.
std::vector<std::string> entries(const Value& s) {
  std::vector<std::string> lines = textLines(s);
  if (s.isChar() && s.rows() <= 1 && lines.size() == 1) {
    std::vector<std::string> out;
    const std::string& t = lines[0];
    std::size_t from = 0;
    for (;;) {
      const std::size_t bar = t.find('|', from);
      out.push_back(t.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
      if (bar == std::string::npos) break;
      from = bar + 1;
    }
    return out;
  }
  return lines;
}

std::vector<double> values(Object* o) {
  const Value& v = raw(o, "Value");
  if (!v.isDouble()) return {};
  return std::vector<double>(v.re(), v.re() + v.numel());
}

bool selected(Object* o) {
  const std::vector<double> v = values(o);
  return !v.empty() && v[0] == rawScalar(o, "Max");
}

void triangle(cairo_t* cr, double cx, double cy, double r, int dir, const Rgb& c) {
  // dir: 0 up, 1 right, 2 down, 3 left
  const double a = -M_PI / 2 + dir * M_PI / 2;
  for (int i = 0; i < 3; ++i) {
    const double t = a + i * 2 * M_PI / 3;
    const double x = cx + r * std::cos(t), y = cy + r * std::sin(t);
    if (i == 0)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
  }
  cairo_close_path(cr);
  setColor(cr, c);
  cairo_fill(cr);
}

void button(Canvas& cv, const Rect& r, const Look& k, bool pressed) {
  fillRect(cv.cr(), r, pressed ? shade(k.bg, 0.93) : k.bg);
  bevel(cv, r, pressed);
}

void pushButton(Canvas& cv, Object* o, const Rect& r, const Look& k, bool toggle) {
  const bool down = toggle && selected(o);
  button(cv, r, k, down);
  TextStyle st = k.text;
  st.h = HAlign::Center;
  const double d = down ? 1 : 0;
  label(cv, k, textLines(raw(o, "String")), r.x + r.w / 2 + d, r.y + r.h / 2 + d, st);
}

void indicatorControl(Canvas& cv, Object* o, const Rect& r, const Look& k, bool radio) {
  cairo_t* cr = cv.cr();
  fillRect(cr, r, k.bg);
  const double s = std::min(13.0, r.h - 2);
  const double cx = r.x + 2 + s / 2, cy = r.y + r.h / 2;
  const bool on = selected(o);
  const Rgb well = k.enabled ? Rgb{1, 1, 1} : k.bg;
  const Rgb mark = k.enabled ? Rgb{0, 0, 0} : kGreyText;
  if (radio) {
    cairo_arc(cr, cx, cy, s / 2 - 0.5, 0, 2 * M_PI);
    setColor(cr, well);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    setColor(cr, kShadow);
    cairo_stroke(cr);
    if (on) {
      cairo_arc(cr, cx, cy, s / 5, 0, 2 * M_PI);
      setColor(cr, mark);
      cairo_fill(cr);
    }
  } else {
    const Rect box{cx - s / 2, cy - s / 2, s, s};
    fillRect(cr, box, well);
    bevel(cv, box, true);
    if (on) {
      cairo_move_to(cr, box.x + s * 0.22, box.y + s * 0.52);
      cairo_line_to(cr, box.x + s * 0.42, box.y + s * 0.74);
      cairo_line_to(cr, box.x + s * 0.78, box.y + s * 0.26);
      cairo_set_line_width(cr, std::max(1.5, s / 7));
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      setColor(cr, mark);
      cairo_stroke(cr);
    }
  }
  TextStyle st = k.text;
  st.h = HAlign::Left;
  label(cv, k, textLines(raw(o, "String")), r.x + s + 6, cy, st);
}

void editBox(Canvas& cv, Object* o, const Rect& r, const Look& k) {
  fillRect(cv.cr(), r, k.bg);
  bevel(cv, r, true);
  TextStyle st = k.text;
  const std::vector<std::string> lines = textLines(raw(o, "String"));
  if (lines.size() > 1) {
    st.v = VAlign::Top;
    label(cv, k, lines, alignedX(r, st.h, 4), r.y + 3, st);
  } else {
    label(cv, k, lines, alignedX(r, st.h, 4), r.y + r.h / 2, st);
  }
}

void staticText(Canvas& cv, Object* o, const Rect& r, const Look& k) {
  fillRect(cv.cr(), r, k.bg);
  TextStyle st = k.text;
  st.v = VAlign::Top;
  label(cv, k, textLines(raw(o, "String")), alignedX(r, st.h, 1), r.y + 1, st);
}

void slider(Canvas& cv, Object* o, const Rect& r, const Look& k) {
  cairo_t* cr = cv.cr();
  const bool horizontal = r.w >= r.h;
  const double len = horizontal ? r.w : r.h, thick = horizontal ? r.h : r.w;
  const double arrow = std::min(thick, len / 3);
  fillRect(cr, r, shade(k.bg, 1.12));
  bevel(cv, r, true);
  const Rgb arrowColor = k.enabled ? Rgb{0, 0, 0} : kGreyText;
  // The arrow buttons at the ends.
  const Rect first =
      horizontal ? Rect{r.x, r.y, arrow, r.h} : Rect{r.x, r.y + r.h - arrow, r.w, arrow};
  const Rect last =
      horizontal ? Rect{r.x + r.w - arrow, r.y, arrow, r.h} : Rect{r.x, r.y, r.w, arrow};
  button(cv, first, k, false);
  button(cv, last, k, false);
  const double tr = std::max(2.0, std::min(arrow, thick) * 0.2);
  triangle(cr, first.x + first.w / 2, first.y + first.h / 2, tr, horizontal ? 3 : 2, arrowColor);
  triangle(cr, last.x + last.w / 2, last.y + last.h / 2, tr, horizontal ? 1 : 0, arrowColor);
  // The thumb: its size from the larger slider step.
  const double track = len - 2 * arrow;
  if (track <= 2) return;
  const Value& step = raw(o, "SliderStep");
  const double big = step.numel() == 2 ? std::clamp(step.re()[1], 0.0, 1.0) : 0.1;
  const double thumb = std::clamp(track * big / (1 + big), std::min(10.0, track), track);
  const double lo = rawScalar(o, "Min"), hi = rawScalar(o, "Max");
  const std::vector<double> v = values(o);
  double frac = hi > lo && !v.empty() && std::isfinite(v[0]) ? (v[0] - lo) / (hi - lo) : 0;
  frac = std::clamp(frac, 0.0, 1.0);
  const double at = arrow + frac * (track - thumb);
  const Rect t = horizontal
                     ? Rect{r.x + at, r.y, thumb, r.h}
                     : Rect{r.x, r.y + r.h - arrow - (frac * (track - thumb)) - thumb, r.w, thumb};
  button(cv, t, k, false);
}

void popupMenu(Canvas& cv, Object* o, const Rect& r, const Look& k) {
  cairo_t* cr = cv.cr();
  button(cv, r, k, false);
  const std::vector<std::string> items = entries(raw(o, "String"));
  const std::vector<double> v = values(o);
  const double arrowW = std::min(r.h, 18.0);
  if (!items.empty()) {
    double pick = v.empty() || !std::isfinite(v[0]) ? 1 : std::floor(v[0]);
    pick = std::clamp(pick, 1.0, static_cast<double>(items.size()));
    TextStyle st = k.text;
    st.h = HAlign::Left;
    cairo_save(cr);
    cairo_rectangle(cr, r.x, r.y, std::max(0.0, r.w - arrowW), r.h);
    cairo_clip(cr);
    label(cv, k, {items[static_cast<std::size_t>(pick) - 1]}, r.x + 5, r.y + r.h / 2, st);
    cairo_restore(cr);
  }
  const double cx = r.x + r.w - arrowW / 2 - 1, cy = r.y + r.h / 2;
  triangle(cr, cx, cy, std::max(2.0, arrowW * 0.2), 2, k.enabled ? Rgb{0, 0, 0} : kGreyText);
}

void listBox(Canvas& cv, Object* o, const Rect& r, const Look& k) {
  cairo_t* cr = cv.cr();
  fillRect(cr, r, k.bg);
  bevel(cv, r, true);
  const std::vector<std::string> items = entries(raw(o, "String"));
  const std::vector<double> v = values(o);
  TextStyle st = k.text;
  st.h = HAlign::Left;
  st.v = VAlign::Top;
  const double rowH = measureText(cv, {"Xg"}, st).height + 1;
  cairo_save(cr);
  const Rect in = inset(r, 2);
  cairo_rectangle(cr, in.x, in.y, std::max(0.0, in.w), std::max(0.0, in.h));
  cairo_clip(cr);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const double y = in.y + static_cast<double>(i) * rowH;
    if (y > in.y + in.h) break;
    const bool sel = std::find(v.begin(), v.end(), static_cast<double>(i + 1)) != v.end();
    TextStyle s = st;
    if (sel) {
      fillRect(cr, {in.x, y, in.w, rowH}, k.enabled ? kSelection : kShadow);
      s.color = kLight;
    }
    if (sel || k.enabled)
      drawText(cv, {items[i]}, in.x + 2, y, s);
    else
      label(cv, k, {items[i]}, in.x + 2, y, s);
  }
  cairo_restore(cr);
}

void frameControl(Canvas& cv, const Rect& r, const Look& k) {
  fillRect(cv.cr(), r, k.bg);
  bevel(cv, r, true);
  bevel(cv, inset(r, 1), false);
}

}  // namespace

void drawControl(Canvas& cv, Object* o) {
  const Rect r = canvasRect(cv, o);
  if (!(r.w > 0 && r.h > 0) || !std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.w) ||
      !std::isfinite(r.h))
    return;
  const Look k = lookOf(o);
  cairo_t* cr = cv.cr();
  cairo_save(cr);
  cairo_rectangle(cr, r.x, r.y, r.w, r.h);
  cairo_clip(cr);
  const std::string style = rawText(o, "Style");
  if (style == "pushbutton" || style == "togglebutton")
    pushButton(cv, o, r, k, style == "togglebutton");
  else if (style == "radiobutton" || style == "checkbox")
    indicatorControl(cv, o, r, k, style == "radiobutton");
  else if (style == "edit")
    editBox(cv, o, r, k);
  else if (style == "text")
    staticText(cv, o, r, k);
  else if (style == "slider")
    slider(cv, o, r, k);
  else if (style == "popupmenu")
    popupMenu(cv, o, r, k);
  else if (style == "listbox")
    listBox(cv, o, r, k);
  else if (style == "frame")
    frameControl(cv, r, k);
  cairo_restore(cr);
}

}  // namespace kh::gfx::render
