#include "host/graphics/access.h"

#include <algorithm>
#include <cmath>

#include "host/core/errors.h"
#include "host/graphics/geometry.h"
#include "host/graphics/journal.h"
#include "host/graphics/properties.h"
#include "host/graphics/store.h"
#include "host/graphics/tree.h"

namespace kh::gfx {

void store(Object* o, int prop, Value v, std::string_view spelling) {
  o->values[static_cast<std::size_t>(prop)] = std::move(v);
  journal().recordSet(
      o, prop,
      spelling.empty() ? table(o->type).props[static_cast<std::size_t>(prop)].name : spelling);
}

namespace {

Value handleColumn(const std::vector<Object*>& objs) {
  Value v = Value::numeric({objs.size(), 1});
  double* d = v.mutRe();
  for (std::size_t i = 0; i < objs.size(); ++i) d[i] = objs[i]->handle;
  return v;
}

bool isAuto(const Value& mode) { return mode.numel() == 4 && mode.chr()[0] == u'a'; }

// Which dimension a limit, tick or tick-label property is of (-1: none).
int dimOf(const char* name) {
  switch (name[0]) {
    case 'X':
      return 0;
    case 'Y':
      return 1;
    case 'Z':
      return 2;
    case 'C':
      return name[1] == 'L' && name[2] == 'i' ? 3 : -1;
    default:
      return -1;
  }
}

Value charMatrix(const std::vector<std::string>& rows) {
  std::size_t w = 0;
  for (const std::string& r : rows) w = std::max(w, r.size());
  if (rows.empty()) return Value::str(std::string_view(""));
  Value v = Value::chars({rows.size(), w});
  char16_t* c = v.mutChr();
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t k = 0; k < rows[i].size(); ++k)
      c[k * rows.size() + i] = static_cast<char16_t>(rows[i][k]);
  return v;
}

// The value of a property whose stored value is not what get gives: tree
// links, and values derived while their mode is automatic.
bool derived(Object* o, int prop, Value* out) {
  const PropSpec& s = table(o->type).props[static_cast<std::size_t>(prop)];
  const std::string_view n = s.name;
  if (n == "Parent") {
    *out = o->parent ? Value::scalar(o->parent->handle) : Value::empty();
    return true;
  }
  if (n == "Children") {
    *out = handleColumn(tree().visibleChildren(o));
    return true;
  }
  if (o->type != Type::Axes || s.mode < 0 || !isAuto(o->values[static_cast<std::size_t>(s.mode)]))
    return false;
  const int d = dimOf(s.name);
  if (s.kind == Kind::Limits) {
    const auto l = limits(o, d);
    *out = Value::row({l[0], l[1]});
  } else if (n.ends_with("TickLabel")) {
    *out = charMatrix(tickLabels(ticks(o, d)));
  } else if (n.ends_with("Tick")) {
    *out = Value::row(ticks(o, d));
  } else if (n == "DataAspectRatio") {
    const auto r = dataAspectRatio(o);
    *out = Value::row({r[0], r[1], r[2]});
  } else if (n == "PlotBoxAspectRatio") {
    const auto r = plotBoxAspectRatio(o);
    *out = Value::row({r[0], r[1], r[2]});
  } else if (n == "CameraViewAngle") {
    *out = Value::scalar(cameraViewAngle(o));
  } else {
    return false;
  }
  return true;
}

std::string textOf(const Value& v) { return v.isChar() ? v.utf8() : std::string(); }

void setChildren(Object* o, const Value& v) {
  const std::vector<Object*> shown = tree().visibleChildren(o);
  std::vector<Object*> order;
  for (std::size_t i = 0; i < v.numel(); ++i) {
    Object* c = tree().find(v.at(i));
    if (!c || std::find(shown.begin(), shown.end(), c) == shown.end() ||
        std::find(order.begin(), order.end(), c) != order.end())
      raise("Children may only be set to a reordering of the object's children.");
    order.push_back(c);
  }
  if (order.size() != shown.size())
    raise("Children may only be set to a reordering of the object's children.");
  for (Object* c : o->children)
    if (tree().hidden(c)) order.push_back(c);
  o->children = order;
  journal().recordSet(o, known(o->type, "Children"), "Children");
}

Object* handleArg(Object* o, int prop, const Value& v) {
  const Value n = normalize(o->type, prop, v);
  if (n.isEmpty()) return nullptr;
  if (n.numel() != 1) invalidValue(o->type, prop, "expected one handle");
  Object* t = tree().find(n.at(0));
  if (!t) invalidValue(o->type, prop, "expected the handle of a live object");
  return t;
}

}  // namespace

std::vector<Object*> objectsOf(const Value& handles) {
  if (!handles.isDouble() || handles.isComplex()) raise("Invalid handle.");
  std::vector<Object*> out;
  out.reserve(handles.numel());
  for (std::size_t i = 0; i < handles.numel(); ++i) out.push_back(tree().require(handles.at(i)));
  return out;
}

Value getProperty(Object* o, int prop, std::string_view spelling) {
  Value v;
  if (!derived(o, prop, &v)) v = o->values[static_cast<std::size_t>(prop)];
  if (journal().recordingReads()) journal().recordRead(o, prop, spelling, v);
  return v;
}

Value getProperty(Object* o, std::string_view name) {
  return getProperty(o, propIndex(o->type, name), name);
}

Value getAll(Object* o) {
  const TypeTable& t = table(o->type);
  std::vector<std::string> names;
  for (const PropSpec& p : t.props) names.push_back(p.name);
  Value s = Value::structArray({1, 1}, names);
  for (std::size_t i = 0; i < t.props.size(); ++i)
    s.mutFieldAt(0, i) = getProperty(o, static_cast<int>(i), t.props[i].name);
  return s;
}

Value get(const Value& handles, const Value* names) {
  const std::vector<Object*> objs = objectsOf(handles);
  if (objs.empty()) return Value::empty();
  if (!names) {
    if (objs.size() == 1) return getAll(objs[0]);
    for (Object* o : objs)
      if (o->type != objs[0]->type)
        raise("Objects of different types need a property name for get.");
    const TypeTable& t = table(objs[0]->type);
    std::vector<std::string> fields;
    for (const PropSpec& p : t.props) fields.push_back(p.name);
    Value s = Value::structArray({objs.size(), 1}, fields);
    for (std::size_t k = 0; k < objs.size(); ++k)
      for (std::size_t i = 0; i < t.props.size(); ++i)
        s.mutFieldAt(k, i) = getProperty(objs[k], static_cast<int>(i), t.props[i].name);
    return s;
  }
  if (names->isChar()) {
    const std::string n = names->utf8();
    if (objs.size() == 1) return getProperty(objs[0], n);
    Value c = Value::cell({objs.size(), 1});
    for (std::size_t k = 0; k < objs.size(); ++k) c.mutCellAt(k) = getProperty(objs[k], n);
    return c;
  }
  if (names->isCell()) {
    const std::size_t m = names->numel();
    for (std::size_t j = 0; j < m; ++j)
      if (!names->cellAt(j).isChar()) raise("Property names must be texts.");
    Value c = Value::cell({objs.size(), m});
    for (std::size_t k = 0; k < objs.size(); ++k)
      for (std::size_t j = 0; j < m; ++j)
        c.mutCellAt(j * objs.size() + k) = getProperty(objs[k], names->cellAt(j).utf8());
    return c;
  }
  raise("Property names must be texts.");
}

void setProperty(Object* o, int prop, const Value& v, std::string_view spelling) {
  const PropSpec& s = table(o->type).props[static_cast<std::size_t>(prop)];
  if (s.readOnly) readOnlyProperty(o->type, prop);
  const std::string_view n = s.name;
  if (n == "Parent") {
    Object* p = handleArg(o, prop, v);
    if (!p) invalidValue(o->type, prop, "expected the handle of a live object");
    tree().reparent(o, p);
    return;
  }
  if (n == "Children") {
    setChildren(o, normalize(o->type, prop, v));
    return;
  }
  if (n == "CurrentFigure") {
    Object* f = handleArg(o, prop, v);
    if (f && f->type != Type::Figure) invalidValue(o->type, prop, "expected a figure");
    if (f) tree().raiseFigure(f);
    store(o, prop, f ? Value::scalar(f->handle) : Value::empty(), spelling);
    return;
  }
  if (n == "CurrentAxes") {
    Object* a = handleArg(o, prop, v);
    if (a && (a->type != Type::Axes || a->parent != o))
      invalidValue(o->type, prop, "expected axes of this figure");
    store(o, prop, a ? Value::scalar(a->handle) : Value::empty(), spelling);
    return;
  }
  if (n == "CurrentObject") {
    Object* c = handleArg(o, prop, v);
    if (c && Tree::figureOf(c) != o)
      invalidValue(o->type, prop, "expected an object of this figure");
    store(o, prop, c ? Value::scalar(c->handle) : Value::empty(), spelling);
    return;
  }
  Value stored = normalize(o->type, prop, v);
  if (n == "Units" && o->type != Type::Root && o->type != Type::Text) {
    const int pos = known(o->type, "Position");
    const std::string from = textOf(o->values[static_cast<std::size_t>(prop)]);
    const std::string to = textOf(stored);
    if (from != to) {
      Value p = convertPosition(o, o->values[static_cast<std::size_t>(pos)], from, to);
      o->values[static_cast<std::size_t>(pos)] = std::move(p);
    }
    store(o, prop, std::move(stored), spelling);
    // The position is the same rectangle in new units.
    journal().recordSet(o, pos, "Position");
    return;
  }
  if (o->type == Type::Text && n == "Position") {
    if (stored.numel() != 2 && stored.numel() != 3)
      invalidValue(o->type, prop, "expected a real vector of 2 or 3 elements");
    if (stored.numel() == 2) stored = Value::row({stored.at(0), stored.at(1), 0});
  }
  store(o, prop, std::move(stored), spelling);
  if (s.mode >= 0) {
    Value& mode = o->values[static_cast<std::size_t>(s.mode)];
    if (isAuto(mode)) store(o, s.mode, Value::str(std::string_view("manual")));
  }
}

void setProperty(Object* o, std::string_view name, const Value& v) {
  setProperty(o, propIndex(o->type, name), v, name);
}

void set(const Value& handles, Values pairs) {
  const std::vector<Object*> objs = objectsOf(handles);
  if (pairs.size() % 2) raise("Invalid parameter/value pair arguments.");
  for (std::size_t k = 0; k < pairs.size(); k += 2)
    if (!pairs[k].isChar()) raise("Invalid parameter/value pair arguments.");
  for (Object* o : objs) {
    // An earlier pair may have deleted nothing, but may have reparented.
    for (std::size_t k = 0; k < pairs.size(); k += 2) setProperty(o, pairs[k].utf8(), pairs[k + 1]);
  }
}

void applyPairs(Object* o, Values pairs) {
  if (pairs.size() % 2) raise("Invalid parameter/value pair arguments.");
  for (std::size_t k = 0; k < pairs.size(); k += 2) {
    if (!pairs[k].isChar()) raise("Invalid parameter/value pair arguments.");
    setProperty(o, pairs[k].utf8(), pairs[k + 1]);
  }
}

const Value& raw(Object* o, std::string_view name) {
  return o->values[static_cast<std::size_t>(known(o->type, name))];
}

std::string rawText(Object* o, std::string_view name) { return textOf(raw(o, name)); }

double rawScalar(Object* o, std::string_view name) {
  const Value& v = raw(o, name);
  return v.numel() ? v.at(0) : 0.0;
}

}  // namespace kh::gfx
