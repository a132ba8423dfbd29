#include "host/graphics/properties.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cmath>
#include <deque>
#include <utility>

#include "host/core/errors.h"

namespace kh::gfx {
namespace {

std::string lowered(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

Value row(std::initializer_list<double> v) { return Value::row(std::vector<double>(v)); }
Value txt(const char* s) { return Value::str(std::string_view(s)); }
Value emptyText() { return Value::str(std::string_view("")); }
Value none() { return Value::empty(); }

const std::vector<const char*> kOnOff{"on", "off"};
const std::vector<const char*> kAutoManual{"auto", "manual"};
const std::vector<const char*> kUnits{"pixels",      "normalized", "inches",
                                      "centimeters", "points",     "characters"};
const std::vector<const char*> kEraseMode{"normal", "background", "xor", "none"};
const std::vector<const char*> kLineStyle{"-", "--", ":", "-.", "none"};
const std::vector<const char*> kMarker{"none",    "+", "o", "*", ".", "x",         "square",
                                       "diamond", "v", "^", ">", "<", "pentagram", "hexagram"};

PropSpec enumProp(const char* name, const std::vector<const char*>& choices, const char* def) {
  return {name, Kind::Enum, txt(def), choices};
}
PropSpec onOff(const char* name, const char* def) { return enumProp(name, kOnOff, def); }
PropSpec modeProp(const char* name) { return enumProp(name, kAutoManual, "auto"); }
PropSpec callback(const char* name) { return {name, Kind::Callback, emptyText()}; }
PropSpec scalar(const char* name, double def, double minimum = -1e308) {
  PropSpec p{name, Kind::Scalar, Value::scalar(def)};
  p.minimum = minimum;
  return p;
}
PropSpec vec(const char* name, Value def, int count) {
  PropSpec p{name, Kind::Vector, std::move(def)};
  p.count = count;
  return p;
}
PropSpec color(const char* name, Value def, std::vector<const char*> extra = {}) {
  return {name, Kind::Color, std::move(def), std::move(extra)};
}
PropSpec data(const char* name, Value def) { return {name, Kind::Data, std::move(def)}; }
PropSpec readOnly(PropSpec p) {
  p.readOnly = true;
  return p;
}
PropSpec withMode(PropSpec p, const char* mode) {
  p.modeName = mode;
  return p;
}

int indexIn(const std::vector<PropSpec>& p, std::string_view name) {
  for (std::size_t i = 0; i < p.size(); ++i)
    if (name == p[i].name) return static_cast<int>(i);
  return -1;
}

// Properties every object has.
std::vector<PropSpec> common() {
  return {
      readOnly({"Type", Kind::Text, emptyText()}),
      {"Parent", Kind::Handle, none()},
      {"Children", Kind::Handles, Value::numeric({0, 1})},
      {"Tag", Kind::Text, emptyText()},
      {"UserData", Kind::Any, none()},
      onOff("Visible", "on"),
      enumProp("HandleVisibility", {"on", "callback", "off"}, "on"),
      callback("ButtonDownFcn"),
      onOff("Clipping", "on"),
      onOff("Selected", "off"),
      onOff("Interruptible", "on"),
  };
}

Value colorOrder() {
  // Seven colours, one per row, stored column by column.
  const double rgb[7][3] = {{0, 0, 1},       {0, 0.5, 0},     {1, 0, 0},         {0, 0.75, 0.75},
                            {0.75, 0, 0.75}, {0.75, 0.75, 0}, {0.25, 0.25, 0.25}};
  Value v = Value::matrix(7, 3);
  double* d = v.mutRe();
  for (int r = 0; r < 7; ++r)
    for (int c = 0; c < 3; ++c) d[c * 7 + r] = rgb[r][c];
  return v;
}

// The default colour map: 64 colours from dark blue through cyan, yellow
// and red to dark red.
Value colorMap() {
  const int n = 64;
  Value v = Value::matrix(n, 3);
  double* d = v.mutRe();
  for (int i = 0; i < n; ++i) {
    const double t = (i + 0.5) / n * 4.0;  // 0..4
    auto ramp = [&](double centre) {
      return std::fmin(1.0, std::fmax(0.0, 1.5 - std::fabs(t - centre)));
    };
    d[i] = ramp(3.0);
    d[n + i] = ramp(2.0);
    d[2 * n + i] = ramp(1.0);
  }
  return v;
}

std::vector<PropSpec> rootProps() {
  std::vector<PropSpec> p = common();
  p.push_back({"CurrentFigure", Kind::Handle, none()});
  p.push_back(readOnly({"CallbackObject", Kind::Handle, none()}));
  p.push_back(onOff("ShowHiddenHandles", "off"));
  p.push_back(readOnly(vec("ScreenSize", row({0, 0, 1920, 1080}), 4)));
  p.push_back(readOnly(scalar("ScreenPixelsPerInch", 96)));
  p.push_back(enumProp("Units", kUnits, "pixels"));
  return p;
}

std::vector<PropSpec> figureProps() {
  std::vector<PropSpec> p = common();
  p.push_back({"Name", Kind::Text, emptyText()});
  p.push_back(onOff("NumberTitle", "on"));
  p.push_back(vec("Position", row({100, 100, 560, 420}), 4));
  p.push_back(enumProp("Units", kUnits, "pixels"));
  p.push_back(color("Color", row({0.8, 0.8, 0.8})));
  p.push_back({"CurrentAxes", Kind::Handle, none()});
  p.push_back({"CurrentObject", Kind::Handle, none()});
  p.push_back(vec("CurrentPoint", row({0, 0}), 2));
  p.push_back(enumProp("NextPlot", {"new", "add", "replace", "replacechildren"}, "add"));
  p.push_back(callback("WindowButtonDownFcn"));
  p.push_back(callback("WindowButtonMotionFcn"));
  p.push_back(callback("WindowButtonUpFcn"));
  p.push_back(callback("KeyPressFcn"));
  PropSpec cmap{"Colormap", Kind::Matrix, colorMap()};
  cmap.count = 3;
  p.push_back(cmap);
  p.push_back(onOff("Resize", "on"));
  p.push_back(enumProp("MenuBar", {"figure", "none"}, "figure"));
  p.push_back(
      enumProp("Pointer", {"arrow", "crosshair", "fleur", "hand", "ibeam", "watch"}, "arrow"));
  return p;
}

std::vector<PropSpec> axesProps() {
  std::vector<PropSpec> p = common();
  p.push_back(vec("Position", row({0.13, 0.11, 0.775, 0.815}), 4));
  p.push_back(enumProp("Units", kUnits, "normalized"));
  for (const char* d : {"X", "Y", "Z", "C"}) {
    const std::string lim = std::string(d) + "Lim";
    // Names must outlive the table; a deque never moves what it holds.
    static std::deque<std::string> names;
    names.push_back(lim);
    names.push_back(lim + "Mode");
    const char* limName = names[names.size() - 2].c_str();
    const char* modeName = names.back().c_str();
    p.push_back(withMode({limName, Kind::Limits, row({0, 1})}, modeName));
    p.push_back(modeProp(modeName));
    if (std::string(d) == "C") break;
    names.push_back(std::string(d) + "Tick");
    names.push_back(std::string(d) + "TickMode");
    names.push_back(std::string(d) + "TickLabel");
    names.push_back(std::string(d) + "TickLabelMode");
    names.push_back(std::string(d) + "Dir");
    names.push_back(std::string(d) + "Grid");
    names.push_back(std::string(d) + "Color");
    const std::size_t b = names.size() - 7;
    p.push_back(withMode(vec(names[b].c_str(), Value::numeric({1, 0}), 0), names[b + 1].c_str()));
    p.push_back(modeProp(names[b + 1].c_str()));
    p.push_back(withMode({names[b + 2].c_str(), Kind::Strings, emptyText()}, names[b + 3].c_str()));
    p.push_back(modeProp(names[b + 3].c_str()));
    p.push_back(enumProp(names[b + 4].c_str(), {"normal", "reverse"}, "normal"));
    p.push_back(onOff(names[b + 5].c_str(), "off"));
    p.push_back(color(names[b + 6].c_str(), row({0, 0, 0})));
  }
  p.push_back(vec("View", row({0, 90}), 2));
  p.push_back(withMode(vec("DataAspectRatio", row({1, 1, 1}), 3), "DataAspectRatioMode"));
  p.push_back(modeProp("DataAspectRatioMode"));
  p.push_back(withMode(vec("PlotBoxAspectRatio", row({1, 1, 1}), 3), "PlotBoxAspectRatioMode"));
  p.push_back(modeProp("PlotBoxAspectRatioMode"));
  p.push_back(withMode(scalar("CameraViewAngle", 6.6086, 0), "CameraViewAngleMode"));
  p.push_back(modeProp("CameraViewAngleMode"));
  p.push_back(readOnly({"Title", Kind::Handle, none()}));
  p.push_back(readOnly({"XLabel", Kind::Handle, none()}));
  p.push_back(readOnly({"YLabel", Kind::Handle, none()}));
  p.push_back(readOnly({"ZLabel", Kind::Handle, none()}));
  p.push_back(enumProp("NextPlot", {"add", "replace", "replacechildren"}, "replace"));
  PropSpec cp{"CurrentPoint", Kind::Data, Value::matrix(2, 3)};
  p.push_back(readOnly(cp));
  p.push_back(color("Color", row({1, 1, 1}), {"none"}));
  PropSpec order{"ColorOrder", Kind::Matrix, colorOrder()};
  order.count = 3;
  p.push_back(order);
  p.push_back(onOff("Box", "on"));
  p.push_back(scalar("LineWidth", 0.5, 0));
  p.push_back(scalar("FontSize", 10, 1));
  p.push_back({"FontName", Kind::Text, txt("Helvetica")});
  p.push_back(enumProp("GridLineStyle", kLineStyle, ":"));
  return p;
}

// Line, patch and surface share the line properties.
void lineLike(std::vector<PropSpec>& p) {
  p.push_back(enumProp("LineStyle", kLineStyle, "-"));
  p.push_back(scalar("LineWidth", 0.5, 0));
  p.push_back(enumProp("Marker", kMarker, "none"));
  p.push_back(scalar("MarkerSize", 6, 0));
  p.push_back(color("MarkerEdgeColor", txt("auto"), {"auto", "none"}));
  p.push_back(color("MarkerFaceColor", txt("none"), {"auto", "none"}));
  p.push_back(enumProp("EraseMode", kEraseMode, "normal"));
}

std::vector<PropSpec> lineProps() {
  std::vector<PropSpec> p = common();
  p.push_back(data("XData", row({0, 1})));
  p.push_back(data("YData", row({0, 1})));
  p.push_back(data("ZData", none()));
  p.push_back(color("Color", row({0, 0, 1})));
  lineLike(p);
  // The name a legend gives the line.
  p.push_back({"DisplayName", Kind::Text, emptyText()});
  return p;
}

std::vector<PropSpec> textProps() {
  std::vector<PropSpec> p = common();
  // Text is not cut at the plot box unless asked.
  p[static_cast<std::size_t>(indexIn(p, "Clipping"))].def = txt("off");
  p.push_back({"String", Kind::Strings, emptyText()});
  p.push_back(vec("Position", row({0, 0, 0}), 0));
  p.push_back(enumProp("Units", {"data", "normalized"}, "data"));
  p.push_back(color("Color", row({0, 0, 0})));
  p.push_back(scalar("FontSize", 10, 1));
  p.push_back({"FontName", Kind::Text, txt("Helvetica")});
  p.push_back(enumProp("FontWeight", {"normal", "bold", "light", "demi"}, "normal"));
  p.push_back(enumProp("FontAngle", {"normal", "italic", "oblique"}, "normal"));
  p.push_back(enumProp("HorizontalAlignment", {"left", "center", "right"}, "left"));
  p.push_back(
      enumProp("VerticalAlignment", {"top", "cap", "middle", "baseline", "bottom"}, "middle"));
  p.push_back(scalar("Rotation", 0));
  p.push_back(enumProp("Interpreter", {"tex", "none"}, "tex"));
  p.push_back(enumProp("EraseMode", kEraseMode, "normal"));
  return p;
}

std::vector<PropSpec> imageProps() {
  std::vector<PropSpec> p = common();
  p.push_back(data("CData", none()));
  p.push_back(data("XData", row({1, 1})));
  p.push_back(data("YData", row({1, 1})));
  p.push_back(enumProp("CDataMapping", {"direct", "scaled"}, "direct"));
  p.push_back(enumProp("EraseMode", kEraseMode, "normal"));
  return p;
}

std::vector<PropSpec> surfaceLike(bool patch) {
  std::vector<PropSpec> p = common();
  p.push_back(data("XData", none()));
  p.push_back(data("YData", none()));
  p.push_back(data("ZData", none()));
  p.push_back(data("CData", none()));
  p.push_back(color("FaceColor", patch ? row({0, 0, 0}) : txt("flat"), {"none", "flat", "interp"}));
  p.push_back(color("EdgeColor", row({0, 0, 0}), {"none", "flat", "interp"}));
  lineLike(p);
  return p;
}

std::vector<PropSpec> controlProps() {
  std::vector<PropSpec> p = common();
  p.push_back(enumProp("Style",
                       {"pushbutton", "togglebutton", "radiobutton", "checkbox", "edit", "text",
                        "slider", "popupmenu", "listbox", "frame"},
                       "pushbutton"));
  p.push_back({"String", Kind::Strings, emptyText()});
  p.push_back(data("Value", Value::scalar(0)));
  p.push_back(scalar("Min", 0));
  p.push_back(scalar("Max", 1));
  p.push_back(vec("SliderStep", row({0.01, 0.1}), 2));
  p.push_back(enumProp("Enable", {"on", "off", "inactive"}, "on"));
  p.push_back(vec("Position", row({20, 20, 60, 20}), 4));
  p.push_back(enumProp("Units", kUnits, "pixels"));
  p.push_back(callback("Callback"));
  p.push_back(color("BackgroundColor", row({0.8, 0.8, 0.8})));
  p.push_back(color("ForegroundColor", row({0, 0, 0})));
  p.push_back(scalar("FontSize", 10, 1));
  p.push_back(enumProp("HorizontalAlignment", {"left", "center", "right"}, "center"));
  p.push_back({"TooltipString", Kind::Text, emptyText()});
  return p;
}

TypeTable build(Type t, std::vector<PropSpec> props) {
  TypeTable tt;
  tt.type = t;
  tt.props = std::move(props);
  return tt;
}

[[noreturn]] void expected(Type t, int p, const char* what) { invalidValue(t, p, what); }

bool isRealDouble(const Value& v) { return v.isDouble() && !v.isComplex(); }

Value asRow(const Value& v) {
  Value r = v;
  r.reshape({1, v.numel()});
  return r;
}

std::string choiceList(const std::vector<const char*>& c) {
  std::string s;
  for (std::size_t i = 0; i < c.size(); ++i) {
    if (i) s += i + 1 == c.size() ? " or " : ", ";
    s += "'" + std::string(c[i]) + "'";
  }
  return s;
}

// The choice a text names, without regard to case; -1 when none.
int choiceOf(const Value& v, const std::vector<const char*>& c) {
  if (!v.isChar()) return -1;
  const std::string s = lowered(v.utf8());
  for (std::size_t i = 0; i < c.size(); ++i)
    if (s == lowered(c[i])) return static_cast<int>(i);
  return -1;
}

bool isTextCell(const Value& v) {
  if (!v.isCell()) return false;
  for (std::size_t i = 0; i < v.numel(); ++i) {
    const Value& e = v.cellAt(i);
    if (!e.isChar() && !(e.isDouble() && e.isEmpty())) return false;
  }
  return true;
}

}  // namespace

const char* typeName(Type t) {
  static const char* names[kTypeCount] = {"root",  "figure", "axes",    "line",     "text",
                                          "image", "patch",  "surface", "uicontrol"};
  return names[static_cast<int>(t)];
}

int TypeTable::find(std::string_view name) const {
  // Every get and set comes here. The name is lowered once (names are ASCII;
  // a longer one than any property matches none), then found among the
  // lowered names in sorted order: an exact match wins, otherwise the name
  // must begin exactly one of them.
  char buf[64];
  if (name.empty() || name.size() > sizeof buf) return -1;
  for (std::size_t k = 0; k < name.size(); ++k) {
    const char c = name[k];
    buf[k] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const std::string_view key(buf, name.size());
  auto lowerAt = [&](int i) -> std::string_view { return lower_[static_cast<std::size_t>(i)]; };
  auto at = std::lower_bound(sorted_.begin(), sorted_.end(), key,
                             [&](int i, std::string_view k) { return lowerAt(i) < k; });
  auto begins = [&](auto it) { return it != sorted_.end() && lowerAt(*it).starts_with(key); };
  if (!begins(at)) return -1;
  if (lowerAt(*at).size() == key.size()) return *at;
  return begins(at + 1) ? -1 : *at;
}

const TypeTable& table(Type t) {
  static const std::vector<TypeTable> tables = [] {
    std::vector<TypeTable> v;
    v.push_back(build(Type::Root, rootProps()));
    v.push_back(build(Type::Figure, figureProps()));
    v.push_back(build(Type::Axes, axesProps()));
    v.push_back(build(Type::Line, lineProps()));
    v.push_back(build(Type::Text, textProps()));
    v.push_back(build(Type::Image, imageProps()));
    v.push_back(build(Type::Patch, surfaceLike(true)));
    v.push_back(build(Type::Surface, surfaceLike(false)));
    v.push_back(build(Type::Uicontrol, controlProps()));
    for (TypeTable& tt : v) {
      for (const PropSpec& p : tt.props) {
        tt.lower_.push_back(lowered(p.name));
        assert(tt.lower_.back().size() <= 64);  // find's buffer holds any name
      }
      for (int i = 0; i < static_cast<int>(tt.props.size()); ++i) tt.sorted_.push_back(i);
      std::sort(tt.sorted_.begin(), tt.sorted_.end(), [&](int a, int b) {
        return tt.lower_[static_cast<std::size_t>(a)] < tt.lower_[static_cast<std::size_t>(b)];
      });
      for (PropSpec& p : tt.props) {
        if (p.modeName) p.mode = tt.find(p.modeName);
      }
    }
    return v;
  }();
  return tables[static_cast<int>(t)];
}

int propIndex(Type t, std::string_view name) {
  const int i = table(t).find(name);
  if (i < 0) unknownProperty(t, name);
  return i;
}

int known(Type t, std::string_view name) { return propIndex(t, name); }

void unknownProperty(Type t, std::string_view name) {
  raise("There is no '" + std::string(name) + "' property of " + typeName(t) + " objects.");
}

void readOnlyProperty(Type t, int p) {
  raise("The '" + std::string(table(t).props[p].name) + "' property of " + typeName(t) +
        " objects cannot be set.");
}

void invalidValue(Type t, int p, const std::string& what) {
  raise("Invalid value for the '" + std::string(table(t).props[p].name) + "' property of " +
        typeName(t) + " objects: " + what + ".");
}

bool colorByName(std::string_view s, double rgb[3]) {
  struct Named {
    const char* letter;
    const char* word;
    double r, g, b;
  };
  static const Named named[] = {{"r", "red", 1, 0, 0},     {"g", "green", 0, 1, 0},
                                {"b", "blue", 0, 0, 1},    {"c", "cyan", 0, 1, 1},
                                {"m", "magenta", 1, 0, 1}, {"y", "yellow", 1, 1, 0},
                                {"k", "black", 0, 0, 0},   {"w", "white", 1, 1, 1}};
  const std::string n = lowered(s);
  for (const Named& c : named)
    if (n == c.letter || n == c.word) {
      rgb[0] = c.r;
      rgb[1] = c.g;
      rgb[2] = c.b;
      return true;
    }
  return false;
}

Value normalize(Type t, int p, const Value& v) {
  const PropSpec& s = table(t).props[p];
  switch (s.kind) {
    case Kind::Any:
      return v;
    case Kind::Text:
      if (v.isChar()) return v;
      if (v.isDouble() && v.isEmpty()) return Value::str(std::string_view(""));
      expected(t, p, "expected a text");
    case Kind::Strings:
      if (v.isChar() || isTextCell(v)) return v;
      if (v.isDouble() && v.isEmpty()) return Value::str(std::string_view(""));
      expected(t, p, "expected a text, a character matrix or a cell of texts");
    case Kind::Callback:
      if (v.isChar() && v.rows() <= 1) return v.isEmpty() ? Value::str(std::string_view("")) : v;
      if (v.isDouble() && v.isEmpty()) return Value::str(std::string_view(""));
      expected(t, p, "expected a command text");
    case Kind::Enum: {
      const int c = choiceOf(v, s.choices);
      if (c < 0) invalidValue(t, p, "expected " + choiceList(s.choices));
      return Value::str(std::string_view(s.choices[static_cast<std::size_t>(c)]));
    }
    case Kind::Scalar:
      if (!isRealDouble(v) || v.numel() != 1 || !std::isfinite(v.at(0)))
        expected(t, p, "expected a real finite scalar");
      if (v.at(0) < s.minimum)
        invalidValue(t, p, "expected a value of at least " + std::to_string(int(s.minimum)));
      {
        Value r = Value::scalar(v.at(0));
        return r;
      }
    case Kind::Vector: {
      if (!isRealDouble(v) || (!v.isVector() && !v.isEmpty()) ||
          (s.count > 0 && v.numel() != static_cast<std::size_t>(s.count)))
        invalidValue(t, p,
                     s.count > 0
                         ? "expected a real vector of " + std::to_string(s.count) + " elements"
                         : std::string("expected a real vector"));
      for (std::size_t i = 0; i < v.numel(); ++i)
        if (std::isnan(v.at(i))) expected(t, p, "NaN is not allowed");
      Value r = asRow(v);
      r.setLogical(false);
      return r;
    }
    case Kind::Limits: {
      if (!isRealDouble(v) || v.numel() != 2 || std::isnan(v.at(0)) || std::isnan(v.at(1)))
        expected(t, p, "expected a real vector of 2 elements");
      if (!(v.at(0) < v.at(1))) expected(t, p, "the limits must be increasing");
      Value r = asRow(v);
      r.setLogical(false);
      return r;
    }
    case Kind::Data:
      if (!isRealDouble(v)) expected(t, p, "expected real numeric data");
      return v;
    case Kind::Matrix:
      if (!isRealDouble(v) || v.ndims() != 2 || v.cols() != static_cast<std::size_t>(s.count) ||
          v.rows() == 0)
        invalidValue(t, p, "expected a real matrix of " + std::to_string(s.count) + " columns");
      return v;
    case Kind::Color: {
      if (v.isChar()) {
        const int c = choiceOf(v, s.choices);
        if (c >= 0) return Value::str(std::string_view(s.choices[static_cast<std::size_t>(c)]));
        double rgb[3];
        if (colorByName(v.utf8(), rgb)) return Value::row({rgb[0], rgb[1], rgb[2]});
      } else if (isRealDouble(v) && v.numel() == 3) {
        bool ok = true;
        for (int i = 0; i < 3; ++i) ok = ok && v.at(i) >= 0 && v.at(i) <= 1;
        if (ok) return Value::row({v.at(0), v.at(1), v.at(2)});
      }
      std::string what = "expected [r g b] with values in 0..1 or a colour name";
      if (!s.choices.empty()) what += ", or " + choiceList(s.choices);
      invalidValue(t, p, what);
    }
    case Kind::Handle:
    case Kind::Handles:
      if (!isRealDouble(v)) expected(t, p, "expected a handle");
      return v;
  }
  return v;
}

}  // namespace kh::gfx
