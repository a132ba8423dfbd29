#include "host/graphics/events.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/commands.h"
#include "host/graphics/geometry.h"
#include "host/graphics/properties.h"
#include "host/graphics/store.h"
#include "host/graphics/tree.h"

namespace kh::gfx {
namespace {

CallbackRunner& runner() {
  static CallbackRunner r;
  return r;
}

// CallbackObject names `o` while the callback runs; what it named before
// comes back when the callback ends, however it ends.
class CallbackScope {
 public:
  explicit CallbackScope(Object* o)
      : prop_(known(Type::Root, "CallbackObject")), saved_(tree().root()->values[prop_]) {
    store(tree().root(), prop_, Value::scalar(o->handle));
    ++tree().callbackDepth;
  }
  ~CallbackScope() {
    --tree().callbackDepth;
    // The object named before may have been deleted by the callback.
    if (saved_.numel() == 1 && !tree().find(saved_.at(0))) saved_ = Value::empty();
    store(tree().root(), prop_, saved_);
  }
  CallbackScope(const CallbackScope&) = delete;
  CallbackScope& operator=(const CallbackScope&) = delete;

 private:
  int prop_;
  Value saved_;
};

void makeCurrent(Object* fig) {
  tree().raiseFigure(fig);
  const int cf = known(Type::Root, "CurrentFigure");
  const Value& now = tree().root()->values[cf];
  if (now.numel() != 1 || now.at(0) != fig->handle)
    store(tree().root(), cf, Value::scalar(fig->handle));
}

void run(Object* o, const char* callbackProperty) {
  const std::string text = rawText(o, callbackProperty);
  if (text.find_first_not_of(" \t") == std::string::npos) return;
  if (!runner()) raise("No command window is there to run callbacks.");
  CallbackScope scope(o);
  runner()(text);
}

void setFigurePoint(Object* fig, double px, double py) {
  store(fig, known(Type::Figure, "CurrentPoint"), Value::row({px, py}));
}

void setAxesPoints(Object* fig, double px, double py) {
  for (Object* c : fig->children)
    if (c->type == Type::Axes) setCurrentPoint(c, px, py);
}

Object* requireFigure(Object* o) {
  Object* f = Tree::figureOf(o);
  if (!f) raise("The object is not in a figure.");
  return f;
}

std::string style(Object* c) { return rawText(c, "Style"); }

void requireEnabled(Object* c) {
  if (rawText(c, "Enable") != "on")
    raise("The control '" + rawText(c, "Tag") + "' is not enabled.");
}

}  // namespace

void setCallbackRunner(CallbackRunner run) { runner() = std::move(run); }

void press(Object* target, double px, double py) {
  Object* fig = requireFigure(target);
  setFigurePoint(fig, px, py);
  if (Object* ax = Tree::axesOf(target)) {
    setCurrentPoint(ax, px, py);
    store(fig, known(Type::Figure, "CurrentAxes"), Value::scalar(ax->handle));
  }
  store(fig, known(Type::Figure, "CurrentObject"), Value::scalar(target->handle));
  makeCurrent(fig);
  // The figure's callback may delete the target (or the whole figure).
  const double handle = target->handle;
  run(fig, "WindowButtonDownFcn");
  if (tree().find(handle) == target) run(target, "ButtonDownFcn");
}

void motion(Object* fig, double px, double py) {
  setFigurePoint(fig, px, py);
  setAxesPoints(fig, px, py);
  makeCurrent(fig);
  run(fig, "WindowButtonMotionFcn");
}

void release(Object* fig, double px, double py) {
  setFigurePoint(fig, px, py);
  setAxesPoints(fig, px, py);
  makeCurrent(fig);
  run(fig, "WindowButtonUpFcn");
}

void setControlValue(Object* ctl, const Value& v) {
  if (ctl->type != Type::Uicontrol) raise("Only controls take a value.");
  requireEnabled(ctl);
  const std::string s = style(ctl);
  const double lo = rawScalar(ctl, "Min"), hi = rawScalar(ctl, "Max");
  if (s == "edit") {
    if (!v.isChar() && !(v.isDouble() && v.isEmpty())) raise("An edit box takes a text.");
    setProperty(ctl, "String", v);
  } else if (s == "slider" || s == "popupmenu" || s == "listbox" || s == "checkbox" ||
             s == "radiobutton" || s == "togglebutton") {
    // A number, or a text holding one (as `uiset slider9 35` gives).
    double x = NAN;
    if (v.isChar()) {
      const std::string t = v.utf8();
      char* end = nullptr;
      x = std::strtod(t.c_str(), &end);
      if (t.empty() || end != t.c_str() + t.size()) x = NAN;
    } else if (v.isDouble() && v.numel() == 1 && !v.isComplex()) {
      x = v.at(0);
    }
    if (!std::isfinite(x))
      raise("The control '" + rawText(ctl, "Tag") + "' takes one finite number.");
    if (s == "slider") {
      x = std::fmin(std::fmax(x, lo), hi);
    } else if (s == "popupmenu" || s == "listbox") {
      if (x < 1 || x != std::floor(x)) raise("A menu takes the index of one of its entries.");
    } else if (x != lo && x != hi) {
      raise("A " + s + " takes its Min or its Max.");
    }
    setProperty(ctl, "Value", Value::scalar(x));
  } else {
    raise("A " + s + " control takes no value.");
  }
  makeCurrent(requireFigure(ctl));
  run(ctl, "Callback");
}

void click(Object* ctl) {
  if (ctl->type != Type::Uicontrol) raise("Only controls can be clicked.");
  requireEnabled(ctl);
  const std::string s = style(ctl);
  if (s == "checkbox" || s == "radiobutton" || s == "togglebutton") {
    const double lo = rawScalar(ctl, "Min"), hi = rawScalar(ctl, "Max");
    setProperty(ctl, "Value", Value::scalar(rawScalar(ctl, "Value") == hi ? lo : hi));
  } else if (s != "pushbutton") {
    raise("A " + s + " control is not clicked; give it a value.");
  }
  makeCurrent(requireFigure(ctl));
  run(ctl, "Callback");
}

Object* byTag(const std::string& tag) {
  Object* fig = currentFigure(false);
  if (!fig) raise("There is no figure to find the tag '" + tag + "' in.");
  std::vector<Object*> found;
  tree().walk(
      fig,
      [&](Object* o) {
        if (rawText(o, "Tag") == tag) found.push_back(o);
      },
      true);
  if (found.empty()) raise("No object of the current figure has the tag '" + tag + "'.");
  if (found.size() > 1) raise("Several objects of the current figure have the tag '" + tag + "'.");
  return found.front();
}

}  // namespace kh::gfx
