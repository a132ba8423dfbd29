// The object tree: the root (handle 0), figures (the lowest free positive
// integer), and every other object under a handle that is not a whole
// number and is never given again while the process lives. Creation,
// deletion, parents and children, the current figure and axes, hidden
// handles and the search by property all live here; every change is
// written to the journal.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/graphics/object.h"

namespace kh::gfx {

class Tree {
 public:
  Tree();
  Object* root() { return root_; }

  // The object a handle names, or null.
  Object* find(double h);
  // The object of a handle value; raises "Invalid handle." otherwise.
  Object* require(double h);

  // A new object of type t under parent (figures under the root; a figure
  // may ask for its number). Its properties hold their defaults; axes get
  // their title and labels.
  Object* create(Type t, Object* parent, double figureNumber = 0);
  // Deletes o and everything under it (children first), and updates the
  // current figure, axes and callback object that named any of them.
  void destroy(Object* o);
  // Moves o under another parent of a type that may hold it.
  void reparent(Object* o, Object* parent);

  // The figure or axes that o lies in (o itself when it is one); null when
  // there is none (the root, or a figure for ancestorAxes).
  static Object* figureOf(Object* o);
  static Object* axesOf(Object* o);

  // Whether o's handle is left out of Children and searches just now:
  // HandleVisibility "off", or "callback" outside a callback, while the
  // root's ShowHiddenHandles is "off".
  bool hidden(const Object* o) const;
  // The children that are not hidden, newest first.
  std::vector<Object*> visibleChildren(const Object* o) const;
  // o and its descendants (hidden ones only while shown), parents first.
  void walk(Object* o, const std::function<void(Object*)>& fn, bool all = false);

  // Whether a callback is running (callback-visible handles show then).
  int callbackDepth = 0;

  // The figures in stacking order, the current one first.
  const std::vector<Object*>& figures() const { return root_->children; }
  void raiseFigure(Object* f);

 private:
  double nextHandle();
  std::unordered_map<double, std::unique_ptr<Object>> objects_;
  Object* root_;
  double serial_ = 100;
};

Tree& tree();

}  // namespace kh::gfx
