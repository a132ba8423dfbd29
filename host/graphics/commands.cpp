#include "host/graphics/commands.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/properties.h"
#include "host/graphics/store.h"
#include "host/graphics/tree.h"
#include "host/kernels/arrays/query.h"

namespace kh::gfx {
namespace {

std::string lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool isParentName(const Value& v) {
  if (!v.isChar()) return false;
  const std::string n = lowered(v.utf8());
  return n.size() >= 3 && std::string("parent").compare(0, n.size(), n) == 0;
}

Value handleOf(Object* o) { return Value::scalar(o->handle); }

void makeCurrentAxes(Object* ax) {
  store(ax->parent, known(Type::Figure, "CurrentAxes"), handleOf(ax));
}

void makeCurrentFigure(Object* f) {
  tree().raiseFigure(f);
  store(tree().root(), known(Type::Root, "CurrentFigure"), handleOf(f));
}

// Splits off a "Parent" pair: its object, and the other pairs.
Object* takeParent(Values pairs, ValueList& rest) {
  Object* parent = nullptr;
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    if (k % 2 == 0 && k + 1 < pairs.size() && isParentName(pairs[k])) {
      const Value& h = pairs[k + 1];
      if (!h.isDouble() || h.numel() != 1) raise("The parent must be one handle.");
      parent = tree().require(h.at(0));
      ++k;
      continue;
    }
    rest.push_back(pairs[k]);
  }
  return parent;
}

void resetProperties(Object* o, std::initializer_list<const char*> keep) {
  const TypeTable& t = table(o->type);
  for (std::size_t i = 0; i < t.props.size(); ++i) {
    const PropSpec& p = t.props[i];
    if (p.readOnly || p.kind == Kind::Handle || p.kind == Kind::Handles) continue;
    bool kept = false;
    for (const char* k : keep) kept = kept || std::string_view(p.name) == k;
    if (kept || isEqual(o->values[i], p.def)) continue;
    store(o, static_cast<int>(i), p.def);
  }
}

// The limits that show an image whole (half a pixel beyond the centres of
// its edge pixels) and its first row at the top.
void showWhole(Object* image) {
  Object* ax = image->parent;
  const Value& c = raw(image, "CData");
  if (c.isEmpty()) return;
  auto edges = [](const Value& v, std::size_t pixels) -> std::array<double, 2> {
    const std::vector<double> d(v.re(), v.re() + v.numel());
    if (d.empty()) return {0, 0};
    const double lo = *std::min_element(d.begin(), d.end());
    const double hi = *std::max_element(d.begin(), d.end());
    const double half = pixels > 1 ? (hi - lo) / static_cast<double>(pixels - 1) / 2 : 0.5;
    return {lo - half, hi + half};
  };
  const auto x = edges(raw(image, "XData"), c.dim(1));
  const auto y = edges(raw(image, "YData"), c.dim(0));
  if (x[0] < x[1]) setProperty(ax, "XLim", Value::row({x[0], x[1]}));
  if (y[0] < y[1]) setProperty(ax, "YLim", Value::row({y[0], y[1]}));
  setProperty(ax, "YDir", Value::str(std::string_view("reverse")));
}

bool needsNumber(const Value& v) { return v.isDouble() && v.numel() == 1 && !v.isComplex(); }

}  // namespace

Object* currentFigure(bool create) {
  Object* root = tree().root();
  const Value& cf = raw(root, "CurrentFigure");
  if (!cf.isEmpty()) return tree().require(cf.at(0));
  if (!create) return nullptr;
  Object* f = tree().create(Type::Figure, root);
  makeCurrentFigure(f);
  return f;
}

Object* currentAxes(Object* fig, bool create) {
  const Value& ca = raw(fig, "CurrentAxes");
  if (!ca.isEmpty()) return tree().require(ca.at(0));
  if (!create) return nullptr;
  Object* ax = tree().create(Type::Axes, fig);
  makeCurrentAxes(ax);
  return ax;
}

Object* createWith(Type t, Object* parent, Values pairs) {
  Object* o = tree().create(t, parent);
  try {
    applyPairs(o, pairs);
  } catch (...) {
    if (tree().find(o->handle) == o) tree().destroy(o);
    throw;
  }
  return o;
}

Object* figureCommand(Values args) {
  if (!args.empty() && !args[0].isChar()) {
    if (!needsNumber(args[0])) raise("The figure number must be one handle.");
    const double h = args[0].at(0);
    Object* f = tree().find(h);
    if (f && f->type != Type::Figure) raise("The handle does not name a figure.");
    if (!f) {
      if (!(h >= 1) || h != std::floor(h) || h > 1e9)
        raise("The figure number must be a positive whole number.");
      f = tree().create(Type::Figure, tree().root(), h);
      try {
        applyPairs(f, args.subspan(1));
      } catch (...) {
        tree().destroy(f);
        throw;
      }
    } else {
      applyPairs(f, args.subspan(1));
    }
    makeCurrentFigure(f);
    return f;
  }
  Object* f = createWith(Type::Figure, tree().root(), args);
  makeCurrentFigure(f);
  return f;
}

Object* axesCommand(Values args) {
  if (args.size() == 1 && !args[0].isChar()) {
    if (!needsNumber(args[0])) raise("The axes must be one handle.");
    Object* ax = tree().require(args[0].at(0));
    if (ax->type != Type::Axes) raise("The handle does not name axes.");
    makeCurrentAxes(ax);
    makeCurrentFigure(ax->parent);
    return ax;
  }
  ValueList rest;
  Object* parent = takeParent(args, rest);
  if (!parent) parent = currentFigure(true);
  if (parent->type != Type::Figure) raise("The parent of axes must be a figure.");
  Object* ax = createWith(Type::Axes, parent, rest);
  makeCurrentAxes(ax);
  return ax;
}

Object* createCommand(Type t, Values args) {
  // Leading data arguments of the short forms.
  std::size_t lead = 0;
  while (lead < args.size() && args[lead].isDouble()) ++lead;
  ValueList pairs;
  auto lowForm = [&](std::initializer_list<const char*> names) {
    std::size_t k = 0;
    for (const char* n : names) {
      if (k >= lead) break;
      pairs.push_back(Value::str(std::string_view(n)));
      pairs.push_back(args[k++]);
    }
    if (k < lead) raise(std::string("Too many data arguments for ") + typeName(t) + ".");
  };
  std::size_t from = lead;
  switch (t) {
    case Type::Line:
      if (lead == 1) raise("line needs both x and y data.");
      lowForm({"XData", "YData", "ZData"});
      break;
    case Type::Text:
      if (lead == 1) raise("text needs a position and a string.");
      if (lead >= 2) {
        // The text follows the coordinates.
        if (lead > 3 || lead >= args.size()) raise("text needs a position and a string.");
        std::vector<double> pos;
        for (std::size_t k = 0; k < lead; ++k) {
          if (args[k].numel() != 1) raise("The text position must be given by scalars.");
          pos.push_back(args[k].at(0));
        }
        if (pos.size() == 2) pos.push_back(0);
        pairs.push_back(Value::str(std::string_view("Position")));
        pairs.push_back(Value::row(pos));
        pairs.push_back(Value::str(std::string_view("String")));
        pairs.push_back(args[lead]);
        from = lead + 1;
      }
      break;
    case Type::Image:
      if (lead == 1)
        lowForm({"CData"});
      else if (lead == 3) {
        pairs = {Value::str(std::string_view("XData")), args[0],
                 Value::str(std::string_view("YData")), args[1],
                 Value::str(std::string_view("CData")), args[2]};
      } else if (lead)
        raise("image takes C or x, y and C.");
      break;
    case Type::Patch:
      // patch(x, y, c) / patch(x, y, z, c): c is a face colour (a colour
      // word or [r g b]) or colour data, shown flat.
      if (lead) {
        double rgb[3];
        const bool word = lead < args.size() && args[lead].isChar() &&
                          (colorByName(args[lead].utf8(), rgb) || args[lead].utf8() == "none");
        const std::size_t coords = word ? lead : lead - 1;
        if (coords < 2 || coords > 3) raise("patch takes x, y and c, or x, y, z and c.");
        const char* names[] = {"XData", "YData", "ZData"};
        for (std::size_t i = 0; i < coords; ++i) {
          pairs.push_back(Value::str(std::string_view(names[i])));
          pairs.push_back(args[i]);
        }
        const Value& c = args[coords];
        if (word || (c.numel() == 3 && c.isVector() && coords + 1 == lead && c.rows() == 1)) {
          pairs.push_back(Value::str(std::string_view("FaceColor")));
          pairs.push_back(c);
        } else {
          pairs.push_back(Value::str(std::string_view("CData")));
          pairs.push_back(c);
          pairs.push_back(Value::str(std::string_view("FaceColor")));
          pairs.push_back(Value::str(std::string_view("flat")));
        }
        from = coords + 1;
      }
      break;
    case Type::Surface:
      if (lead == 1)
        lowForm({"ZData"});
      else if (lead == 3 || lead == 4)
        lowForm({"XData", "YData", "ZData", "CData"});
      else if (lead)
        raise("surface takes Z, or X, Y, Z and optionally C.");
      break;
    default:
      if (lead) raise(std::string("Unexpected data argument for ") + typeName(t) + ".");
      break;
  }
  for (std::size_t k = from; k < args.size(); ++k) pairs.push_back(args[k]);

  ValueList rest;
  Object* parent = takeParent(pairs, rest);
  bool picture = false;
  if (t == Type::Uicontrol) {
    if (!parent) parent = currentFigure(true);
    if (parent->type != Type::Figure) raise("The parent of a uicontrol must be a figure.");
  } else {
    // image(C) and image(x, y, C) draw a picture: into the axes of the next
    // plot, which then show it whole and upright, its first row at the top.
    // Held axes keep their limits and direction.
    picture = t == Type::Image && lead > 0 && !parent;
    if (picture) {
      Object* fig = currentFigure(false);
      Object* before = fig ? currentAxes(fig, false) : nullptr;
      const bool held = before && rawText(before, "NextPlot") == "add";
      parent = newplot();
      picture = !held;
    }
    if (!parent) parent = currentAxes(currentFigure(true), true);
    if (parent->type != Type::Axes)
      raise(std::string("The parent of a ") + typeName(t) + " must be axes.");
  }
  Object* o = createWith(t, parent, rest);
  // Coordinates that follow from the data when they were not given.
  auto given = [&](const char* name) {
    for (std::size_t k = 0; k + 1 < rest.size(); k += 2)
      if (rest[k].isChar() && lowered(rest[k].utf8()) == lowered(name)) return true;
    return false;
  };
  if (t == Type::Image || t == Type::Surface) {
    const Value& c = raw(o, t == Type::Image ? "CData" : "ZData");
    if (!given("XData"))
      store(o, known(t, "XData"),
            t == Type::Image ? Value::row({1, double(std::max<std::size_t>(c.dim(1), 1))})
                             : Value::row([&] {
                                 std::vector<double> v(c.dim(1));
                                 for (std::size_t i = 0; i < v.size(); ++i) v[i] = double(i + 1);
                                 return v;
                               }()));
    if (!given("YData"))
      store(o, known(t, "YData"),
            t == Type::Image ? Value::row({1, double(std::max<std::size_t>(c.dim(0), 1))})
                             : Value::column([&] {
                                 std::vector<double> v(c.dim(0));
                                 for (std::size_t i = 0; i < v.size(); ++i) v[i] = double(i + 1);
                                 return v;
                               }()));
    if (t == Type::Surface && !given("CData")) store(o, known(t, "CData"), c);
  }
  if (picture) showWhole(o);
  return o;
}

Object* newplot() {
  Object* fig = currentFigure(true);
  const std::string fnp = rawText(fig, "NextPlot");
  if (fnp == "new") {
    fig = tree().create(Type::Figure, tree().root());
    makeCurrentFigure(fig);
  } else if (fnp == "replace") {
    clearFigure(fig, true);
  } else if (fnp == "replacechildren") {
    clearFigure(fig, false);
  }
  Object* ax = currentAxes(fig, true);
  const std::string anp = rawText(ax, "NextPlot");
  if (anp == "replace")
    clearAxes(ax, true);
  else if (anp == "replacechildren")
    clearAxes(ax, false);
  return ax;
}

void clearFigure(Object* fig, bool reset) {
  for (Object* c : tree().visibleChildren(fig)) tree().destroy(c);
  if (reset) resetProperties(fig, {"Position", "Units"});
}

void clearAxes(Object* ax, bool reset) {
  for (Object* c : tree().visibleChildren(ax)) tree().destroy(c);
  if (!reset) return;
  resetProperties(ax, {"Position", "Units"});
  for (const char* which : {"Title", "XLabel", "YLabel", "ZLabel"}) {
    Object* label = tree().find(raw(ax, which).at(0));
    if (label) resetProperties(label, {"HandleVisibility", "HorizontalAlignment"});
  }
}

void deleteCommand(const Value& handles) {
  const std::vector<Object*> objs = objectsOf(handles);
  for (Object* o : objs) {
    if (o->type == Type::Root) raise("The root object cannot be deleted.");
    if (o->type == Type::Text && o->parent->type == Type::Axes) {
      for (const char* which : {"Title", "XLabel", "YLabel", "ZLabel"})
        if (raw(o->parent, which).at(0) == o->handle)
          raise("The title and labels of axes are deleted with their axes.");
    }
  }
  // Handles listed twice, or inside an object deleted earlier, are skipped.
  for (Object* o : objs) {
    const double h = o->handle;
    if (tree().find(h) == o) tree().destroy(o);
  }
}

void closeCommand(Values args) {
  if (args.empty()) {
    if (Object* f = currentFigure(false)) tree().destroy(f);
    return;
  }
  if (args.size() > 1) raise("Too many input arguments.");
  if (args[0].isChar()) {
    if (lowered(args[0].utf8()) != "all") raise("close takes a figure or 'all'.");
    const std::vector<Object*> figs = tree().visibleChildren(tree().root());
    for (Object* f : figs) tree().destroy(f);
    return;
  }
  const std::vector<Object*> objs = objectsOf(args[0]);
  for (Object* o : objs)
    if (o->type != Type::Figure) raise("close takes figure handles.");
  for (Object* o : objs)
    if (tree().find(o->handle) == o) tree().destroy(o);
}

Value findobj(Values args) {
  std::vector<Object*> starts;
  std::size_t k = 0;
  if (!args.empty() && !args[0].isChar()) {
    starts = objectsOf(args[0]);
    k = 1;
  } else {
    starts.push_back(tree().root());
  }
  if ((args.size() - k) % 2) raise("Invalid parameter/value pair arguments.");
  struct Test {
    std::string name;
    Value value;
  };
  std::vector<Test> tests;
  for (; k < args.size(); k += 2) {
    if (!args[k].isChar()) raise("Invalid parameter/value pair arguments.");
    tests.push_back({args[k].utf8(), args[k + 1]});
  }
  std::vector<double> found;
  for (Object* s : starts) {
    tree().walk(s, [&](Object* o) {
      for (const Test& t : tests) {
        const int p = table(o->type).find(t.name);
        if (p < 0) return;
        Value want = t.value;
        const PropSpec& spec = table(o->type).props[static_cast<std::size_t>(p)];
        if (spec.kind == Kind::Enum || spec.kind == Kind::Color) {
          try {
            want = normalize(o->type, p, t.value);
          } catch (const MError&) {
            return;
          }
        }
        if (lowered(t.name) == "type" && t.value.isChar())
          want = Value::str(lowered(t.value.utf8()));
        if (!isEqual(getProperty(o, p, t.name), want)) return;
      }
      if (std::find(found.begin(), found.end(), o->handle) == found.end())
        found.push_back(o->handle);
    });
  }
  Value r = Value::numeric({found.size(), 1});
  std::copy(found.begin(), found.end(), r.mutRe());
  return r;
}

void resetGraphics() {
  Object* root = tree().root();
  while (!root->children.empty()) tree().destroy(root->children.front());
  resetProperties(root, {});
}

Value ishandle(const Value& h) {
  Value r = Value::numeric(h.dims());
  // A complex value names nothing, as get and set say.
  if (h.isDouble() && !h.isComplex()) {
    double* d = r.mutRe();
    for (std::size_t i = 0; i < h.numel(); ++i) d[i] = tree().find(h.at(i)) ? 1 : 0;
  }
  r.setLogical(true);
  return r;
}

}  // namespace kh::gfx
