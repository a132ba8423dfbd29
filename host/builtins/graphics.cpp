// The graphics commands of the command window: creation, get/set, search
// and deletion, titles, and the five event commands that deliver a
// person's pointer and control actions exactly as the figure window does.
#include <cmath>
#include <vector>

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/commands.h"
#include "host/graphics/events.h"
#include "host/graphics/geometry.h"
#include "host/graphics/plot.h"
#include "host/graphics/properties.h"
#include "host/graphics/tree.h"

namespace kh::gfx {
namespace {

using List = ValueList;

List handleOut(int nargout, Object* o) {
  if (nargout < 1) return {};
  return {Value::scalar(o->handle)};
}

void noOutputs(int nargout) {
  if (nargout > 0) raise("Too many output arguments.");
}

// An object named by a handle or by a tag text.
Object* objectArg(const Value& v) {
  if (v.isChar()) return byTag(v.utf8());
  if (!v.isDouble() || v.numel() != 1) raise("Expected one handle or a tag.");
  return tree().require(v.at(0));
}

double coordinate(const Value& v) {
  if (!v.isDouble() || v.numel() != 1 || v.isComplex() || !std::isfinite(v.at(0)))
    raise("The point must be given by two finite numbers.");
  return v.at(0);
}

// The figure pixel of a data point of an object's axes; a point given to
// an object that lies in no axes is taken in figure pixels.
std::array<double, 2> pixelOf(Object* ax, const Value& x, const Value& y) {
  const double dx = coordinate(x), dy = coordinate(y);
  if (!ax) return {dx, dy};
  return dataToPixel(ax, dx, dy);
}

Object* figureArg(const Value& v) {
  Object* o = objectArg(v);
  Object* f = Tree::figureOf(o);
  if (!f) raise("Expected a figure.");
  return f;
}

void pointerEvent(const char* name, void (*deliver)(Object*, double, double)) {
  registerBuiltin(name, [deliver](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 3, 3, 0);
    Object* fig = figureArg(args[0]);
    const auto p = pixelOf(currentAxes(fig, false), args[1], args[2]);
    deliver(fig, p[0], p[1]);
    return {};
  });
}

void creator(const char* name, Type t) {
  registerBuiltin(name, [t](int nargout, List& args) -> List {
    return handleOut(nargout, createCommand(t, args));
  });
}

// title, xlabel, ylabel: the text object of the current axes, with its
// String set and any further pairs applied.
void label(const char* name, const char* which) {
  registerBuiltin(name, [which](int nargout, List& args) -> List {
    std::size_t k = 0;
    Object* ax = nullptr;
    if (!args.empty() && !args[0].isChar() && args[0].numel() == 1) {
      if (!args[0].isDouble()) raise("Expected axes.");
      ax = tree().require(args[0].at(0));
      if (ax->type != Type::Axes) raise("Expected axes.");
      k = 1;
    }
    if (args.size() <= k) raise("Not enough input arguments.");
    if (!ax) ax = currentAxes(currentFigure(true), true);
    Object* t = tree().require(raw(ax, which).at(0));
    setProperty(t, "String", args[k]);
    applyPairs(t, Values(args).subspan(k + 1));
    return handleOut(nargout, t);
  });
}

// clf and cla: clf(fig), clf reset, cla(ax), cla reset; the current figure
// or axes by default.
void clearing(const char* name, Type t, void (*clear)(Object*, bool)) {
  registerBuiltin(name, [name, t, clear](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 0, 2, 0);
    Object* o = nullptr;
    bool reset = false;
    for (const Value& a : args) {
      if (a.isChar()) {
        if (a.utf8() != "reset") raise(std::string(name) + " takes only the option 'reset'.");
        reset = true;
      } else {
        o = tree().require(a.isDouble() && a.numel() == 1 ? a.at(0) : NAN);
        if (o->type != t) raise(std::string(name) + " takes " + typeName(t) + " handles.");
      }
    }
    if (!o) o = t == Type::Figure ? currentFigure(true) : currentAxes(currentFigure(true), true);
    clear(o, reset);
    return {};
  });
}

const bool registered = [] {
  registerBuiltin("figure", [](int nargout, List& args) -> List {
    return handleOut(nargout, figureCommand(args));
  });
  registerBuiltin("axes", [](int nargout, List& args) -> List {
    return handleOut(nargout, axesCommand(args));
  });
  creator("line", Type::Line);
  creator("text", Type::Text);
  creator("image", Type::Image);
  creator("patch", Type::Patch);
  creator("surface", Type::Surface);
  creator("uicontrol", Type::Uicontrol);
  registerBuiltin("plot", [](int nargout, List& args) -> List {
    Value h = plot(args);
    if (nargout < 1) return {};
    return {h};
  });
  registerBuiltin("get", [](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 1, 2);
    return {get(args[0], args.size() > 1 ? &args[1] : nullptr)};
  });
  registerBuiltin("set", [](int nargout, List& args) -> List {
    noOutputs(nargout);
    if (args.size() < 3) raise("Not enough input arguments.");
    set(args[0], Values(args).subspan(1));
    return {};
  });
  registerBuiltin("findobj", [](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 0, 1000);
    return {findobj(args)};
  });
  registerBuiltin("ishandle", [](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 1, 1);
    return {ishandle(args[0])};
  });
  registerBuiltin("delete", [](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 1, 1, 0);
    deleteCommand(args[0]);
    return {};
  });
  registerBuiltin("close", [](int nargout, List& args) -> List {
    noOutputs(nargout);
    closeCommand(args);
    return {};
  });
  clearing("clf", Type::Figure, [](Object* o, bool reset) { clearFigure(o, reset); });
  clearing("cla", Type::Axes, [](Object* o, bool reset) { clearAxes(o, reset); });
  registerBuiltin("drawnow", [](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 0, 1, 0);
    return {};
  });
  label("title", "Title");
  label("xlabel", "XLabel");
  label("ylabel", "YLabel");
  registerBuiltin("gcbo", [](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 0, 0);
    return {raw(tree().root(), "CallbackObject")};
  });
  registerBuiltin("uipress", [](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 3, 3, 0);
    Object* target = objectArg(args[0]);
    const auto p = pixelOf(Tree::axesOf(target), args[1], args[2]);
    press(target, p[0], p[1]);
    return {};
  });
  pointerEvent("uimove", motion);
  pointerEvent("uirelease", release);
  registerBuiltin("uiset", [](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 2, 2, 0);
    setControlValue(objectArg(args[0]), args[1]);
    return {};
  });
  registerBuiltin("uiclick", [](int nargout, List& args) -> List {
    checkArgCounts(args, nargout, 1, 1, 0);
    click(objectArg(args[0]));
    return {};
  });
  return true;
}();

}  // namespace
}  // namespace kh::gfx
