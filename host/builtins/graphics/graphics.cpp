#include "host/builtins/graphics/graphics.h"

#include <cmath>
#include <vector>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/commands.h"
#include "host/graphics/events.h"
#include "host/graphics/geometry.h"
#include "host/graphics/plot.h"
#include "host/graphics/properties.h"
#include "host/graphics/tree.h"

namespace kh::builtin {
namespace {

using namespace gfx;

void giveHandle(Call& c, Object* o) {
  if (c.nargout() > 0) c.give(Value::scalar(o->handle));
}

void noOutputs(const Call& c) {
  if (c.nargout() > 0) raise("Too many output arguments.");
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

template <void (*Deliver)(Object*, double, double)>
void pointerEvent(Call& c) {
  c.counts(3, 3, 0);
  Object* fig = figureArg(c.arg(0));
  const auto p = pixelOf(currentAxes(fig, false), c.arg(1), c.arg(2));
  Deliver(fig, p[0], p[1]);
}

template <Type T>
void creator(Call& c) {
  giveHandle(c, createCommand(T, inputsFrom(c)));
}

// title, xlabel, ylabel: the text object of the current axes, with its
// String set and any further pairs applied.
void label(Call& c, const char* which) {
  std::size_t k = 0;
  Object* ax = nullptr;
  if (c.nargin() > 0 && !c.arg(0).isChar() && c.arg(0).numel() == 1) {
    if (!c.arg(0).isDouble()) raise("Expected axes.");
    ax = tree().require(c.arg(0).at(0));
    if (ax->type != Type::Axes) raise("Expected axes.");
    k = 1;
  }
  if (c.nargin() <= k) raise("Not enough input arguments.");
  if (!ax) ax = currentAxes(currentFigure(true), true);
  Object* t = tree().require(raw(ax, which).at(0));
  setProperty(t, "String", c.arg(k));
  applyPairs(t, inputsFrom(c, k + 1));
  giveHandle(c, t);
}

// clf and cla: clf(fig), clf reset, cla(ax), cla reset; the current figure
// or axes by default.
template <Type T>
void clearing(Call& c, const char* name) {
  c.counts(0, 2, 0);
  Object* o = nullptr;
  bool reset = false;
  for (std::size_t k = 0; k < c.nargin(); ++k) {
    const Value& a = c.arg(k);
    if (a.isChar()) {
      if (a.utf8() != "reset") raise(std::string(name) + " takes only the option 'reset'.");
      reset = true;
    } else {
      o = tree().require(a.isDouble() && a.numel() == 1 ? a.at(0) : NAN);
      if (o->type != T) raise(std::string(name) + " takes " + typeName(T) + " handles.");
    }
  }
  if (T == Type::Figure) {
    clearFigure(o ? o : currentFigure(true), reset);
  } else {
    clearAxes(o ? o : currentAxes(currentFigure(true), true), reset);
  }
}

}  // namespace

void figure(Call& c) { giveHandle(c, figureCommand(inputsFrom(c))); }
void axes(Call& c) { giveHandle(c, axesCommand(inputsFrom(c))); }
void line(Call& c) { creator<Type::Line>(c); }
void text(Call& c) { creator<Type::Text>(c); }
void image(Call& c) { creator<Type::Image>(c); }
void patch(Call& c) { creator<Type::Patch>(c); }
void surface(Call& c) { creator<Type::Surface>(c); }
void uicontrol(Call& c) { creator<Type::Uicontrol>(c); }

void plot(Call& c) {
  Value h = gfx::plot(inputsFrom(c));
  if (c.nargout() > 0) c.give(std::move(h));
}

void get(Call& c) {
  c.counts(1, 2);
  c.give(gfx::get(c.arg(0), c.nargin() > 1 ? &c.arg(1) : nullptr));
}

void set(Call& c) {
  noOutputs(c);
  if (c.nargin() < 3) raise("Not enough input arguments.");
  gfx::set(c.arg(0), inputsFrom(c, 1));
}

void findobj(Call& c) {
  c.counts(0, 1000);
  c.give(gfx::findobj(inputsFrom(c)));
}

void ishandle(Call& c) {
  c.counts(1, 1);
  c.give(gfx::ishandle(c.arg(0)));
}

void deleteObjects(Call& c) {
  c.counts(1, 1, 0);
  deleteCommand(c.arg(0));
}

void close(Call& c) {
  noOutputs(c);
  closeCommand(inputsFrom(c));
}

void clf(Call& c) { clearing<Type::Figure>(c, "clf"); }
void cla(Call& c) { clearing<Type::Axes>(c, "cla"); }

void drawnow(Call& c) { c.counts(0, 1, 0); }

void title(Call& c) { label(c, "Title"); }
void xlabel(Call& c) { label(c, "XLabel"); }
void ylabel(Call& c) { label(c, "YLabel"); }

void gcbo(Call& c) {
  c.counts(0, 0);
  c.give(raw(tree().root(), "CallbackObject"));
}

void uipress(Call& c) {
  c.counts(3, 3, 0);
  Object* target = objectArg(c.arg(0));
  const auto p = pixelOf(Tree::axesOf(target), c.arg(1), c.arg(2));
  press(target, p[0], p[1]);
}

void uimove(Call& c) { pointerEvent<motion>(c); }
void uirelease(Call& c) { pointerEvent<release>(c); }

void uiset(Call& c) {
  c.counts(2, 2, 0);
  setControlValue(objectArg(c.arg(0)), c.arg(1));
}

void uiclick(Call& c) {
  c.counts(1, 1, 0);
  click(objectArg(c.arg(0)));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("figure", figure);
  registerBuiltin("axes", axes);
  registerBuiltin("line", line);
  registerBuiltin("text", text);
  registerBuiltin("image", image);
  registerBuiltin("patch", patch);
  registerBuiltin("surface", surface);
  registerBuiltin("uicontrol", uicontrol);
  registerBuiltin("plot", plot);
  registerBuiltin("get", get);
  registerBuiltin("set", set);
  registerBuiltin("findobj", findobj);
  registerBuiltin("ishandle", ishandle);
  registerBuiltin("delete", deleteObjects);
  registerBuiltin("close", close);
  registerBuiltin("clf", clf);
  registerBuiltin("cla", cla);
  registerBuiltin("drawnow", drawnow);
  registerBuiltin("title", title);
  registerBuiltin("xlabel", xlabel);
  registerBuiltin("ylabel", ylabel);
  registerBuiltin("gcbo", gcbo);
  registerBuiltin("uipress", uipress);
  registerBuiltin("uimove", uimove);
  registerBuiltin("uirelease", uirelease);
  registerBuiltin("uiset", uiset);
  registerBuiltin("uiclick", uiclick);
  return true;
}();
}  // namespace

}  // namespace kh::builtin
