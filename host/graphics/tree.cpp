#include "host/graphics/tree.h"

#include <algorithm>
#include <cmath>

#include "host/core/errors.h"
#include "host/graphics/geometry.h"
#include "host/graphics/journal.h"
#include "host/graphics/properties.h"
#include "host/graphics/store.h"

namespace kh::gfx {

Tree& tree() {
  static Tree t;
  return t;
}

Tree::Tree() {
  watchJournal();
  auto r = std::make_unique<Object>();
  r->handle = 0;
  r->type = Type::Root;
  for (const PropSpec& p : table(Type::Root).props) r->values.push_back(p.def);
  r->values[known(Type::Root, "Type")] = Value::str(std::string_view("root"));
  root_ = r.get();
  objects_.emplace(0.0, std::move(r));
}

Object* Tree::find(double h) {
  if (std::isnan(h)) return nullptr;
  auto it = objects_.find(h == 0 ? 0.0 : h);  // -0 names the root too
  return it == objects_.end() ? nullptr : it->second.get();
}

Object* Tree::require(double h) {
  Object* o = find(h);
  if (!o) raise("Invalid handle.");
  return o;
}

double Tree::nextHandle() {
  // Whole numbers are figure numbers; every other object gets the next
  // number of a series that is never a whole number and never repeats.
  serial_ += 1;
  return serial_ + 0x1p-13;
}

Object* Tree::create(Type t, Object* parent, double figureNumber) {
  auto o = std::make_unique<Object>();
  Object* obj = o.get();
  if (t == Type::Figure) {
    double n = figureNumber;
    if (n <= 0)
      for (n = 1; find(n); ++n) {
      }
    obj->handle = n;
  } else {
    obj->handle = nextHandle();
  }
  obj->type = t;
  obj->parent = parent;
  for (const PropSpec& p : table(t).props) obj->values.push_back(p.def);
  obj->values[known(t, "Type")] = Value::str(std::string_view(typeName(t)));
  objects_.emplace(obj->handle, std::move(o));
  parent->children.insert(parent->children.begin(), obj);
  journal().recordCreate(obj);

  if (t == Type::Axes) {
    // The title and the labels: text objects of the axes, hidden handles.
    for (const char* which : {"Title", "XLabel", "YLabel", "ZLabel"}) {
      Object* label = create(Type::Text, obj);
      store(label, known(Type::Text, "HandleVisibility"), Value::str(std::string_view("off")));
      store(label, known(Type::Text, "HorizontalAlignment"),
            Value::str(std::string_view("center")));
      store(obj, known(Type::Axes, which), Value::scalar(label->handle));
    }
  }
  return obj;
}

void Tree::destroy(Object* o) {
  if (o == root_) raise("The root object cannot be deleted.");
  while (!o->children.empty()) destroy(o->children.front());
  Object* p = o->parent;
  std::erase(p->children, o);

  const Value none = Value::empty();
  const int cbo = known(Type::Root, "CallbackObject");
  if (root_->values[cbo].numel() == 1 && root_->values[cbo].at(0) == o->handle)
    store(root_, cbo, none);
  if (o->type == Type::Figure) {
    const int cf = known(Type::Root, "CurrentFigure");
    if (root_->values[cf].numel() == 1 && root_->values[cf].at(0) == o->handle)
      store(root_, cf,
            root_->children.empty() ? none : Value::scalar(root_->children.front()->handle));
  }
  if (Object* f = figureOf(p)) {
    const int ca = known(Type::Figure, "CurrentAxes");
    if (o->type == Type::Axes && f->values[ca].numel() == 1 && f->values[ca].at(0) == o->handle) {
      Value next = none;
      for (Object* c : f->children)
        if (c->type == Type::Axes) {
          next = Value::scalar(c->handle);
          break;
        }
      store(f, ca, next);
    }
    const int co = known(Type::Figure, "CurrentObject");
    if (f->values[co].numel() == 1 && f->values[co].at(0) == o->handle) store(f, co, none);
  }
  journal().recordDelete(o);
  objects_.erase(o->handle);
}

void Tree::reparent(Object* o, Object* parent) {
  auto allowed = [](Type child, Type par) {
    switch (child) {
      case Type::Figure:
        return par == Type::Root;
      case Type::Axes:
      case Type::Uicontrol:
        return par == Type::Figure;
      case Type::Root:
        return false;
      default:
        return par == Type::Axes;
    }
  };
  if (!allowed(o->type, parent->type))
    raise(std::string("A ") + typeName(parent->type) + " object cannot be the parent of a " +
          typeName(o->type) + " object.");
  for (Object* a = parent; a; a = a->parent)
    if (a == o) raise("An object cannot be its own ancestor.");
  if (o->parent == parent) return;
  Object* old = o->parent;
  std::erase(old->children, o);
  parent->children.insert(parent->children.begin(), o);
  o->parent = parent;
  // The old parent's children changed too.
  if (Object* a = axesOf(old)) a->derived.valid = false;
  journal().recordSet(o, known(o->type, "Parent"), "Parent");
}

Object* Tree::figureOf(Object* o) {
  while (o && o->type != Type::Figure) o = o->parent;
  return o;
}

Object* Tree::axesOf(Object* o) {
  while (o && o->type != Type::Axes) {
    if (o->type == Type::Figure || o->type == Type::Root) return nullptr;
    o = o->parent;
  }
  return o;
}

bool Tree::hidden(const Object* o) const {
  static const int show = known(Type::Root, "ShowHiddenHandles");
  if (root_->values[show].chr()[0] == u'o' && root_->values[show].numel() == 2) return false;
  const Value& hv = o->values[known(o->type, "HandleVisibility")];
  const char16_t c = hv.chr()[0];
  if (c == u'o' && hv.numel() == 2) return false;  // "on"
  if (c == u'c') return callbackDepth == 0;        // "callback"
  return true;                                     // "off"
}

std::vector<Object*> Tree::visibleChildren(const Object* o) const {
  std::vector<Object*> out;
  out.reserve(o->children.size());
  for (Object* c : o->children)
    if (!hidden(c)) out.push_back(c);
  return out;
}

void Tree::walk(Object* o, const std::function<void(Object*)>& fn, bool all) {
  fn(o);
  // Copied: fn may change the tree.
  const std::vector<Object*> kids = all ? o->children : visibleChildren(o);
  for (Object* c : kids)
    if (find(c->handle) == c) walk(c, fn, all);
}

void Tree::raiseFigure(Object* f) {
  auto& kids = root_->children;
  auto it = std::find(kids.begin(), kids.end(), f);
  if (it == kids.end() || it == kids.begin()) return;
  kids.erase(it);
  kids.insert(kids.begin(), f);
}

}  // namespace kh::gfx
