#include "host/server/protocol.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <unordered_set>

#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/events.h"
#include "host/graphics/geometry.h"
#include "host/graphics/hit_test.h"
#include "host/graphics/properties.h"
#include "host/graphics/render/style_table.h"
#include "host/graphics/tree.h"

namespace kh::server {
namespace {

using gfx::Object;
using nlohmann::json;

std::string base64(const unsigned char* p, std::size_t n) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((n + 2) / 3 * 4);
  for (std::size_t i = 0; i < n; i += 3) {
    const unsigned v = (p[i] << 16) | (i + 1 < n ? p[i + 1] << 8 : 0) | (i + 2 < n ? p[i + 2] : 0);
    out += digits[(v >> 18) & 63];
    out += digits[(v >> 12) & 63];
    out += i + 1 < n ? digits[(v >> 6) & 63] : '=';
    out += i + 2 < n ? digits[v & 63] : '=';
  }
  return out;
}

json encodeNumeric(const Value& v) {
  const std::size_t n = v.numel();
  bool finite = true;
  for (std::size_t i = 0; i < n && finite; ++i) finite = std::isfinite(v.at(i));
  if (n == 1 && finite) return v.at(0);
  if (finite && n <= 16 && v.rows() <= 1) {
    json a = json::array();
    for (std::size_t i = 0; i < n; ++i) a.push_back(v.at(i));
    return a;
  }
  json dims = json::array();
  for (std::size_t d : v.dims()) dims.push_back(d);
  // float64 in the byte order of this machine, which is little-endian here
  // as on every machine the page runs on.
  static_assert(std::endian::native == std::endian::little);
  return {{"dims", dims},
          {"f64", n ? base64(reinterpret_cast<const unsigned char*>(v.re()), n * sizeof(double))
                    : std::string()}};
}

json rectJson(const gfx::Rect& r) { return json::array({r.x, r.y, r.w, r.h}); }

// The page-only geometry: where the object lies in its figure, in pixels.
void addGeometry(Object* o, json& props) {
  using gfx::Type;
  if (o->type != Type::Figure && o->type != Type::Axes && o->type != Type::Uicontrol) return;
  props["_rect"] = rectJson(gfx::pixelRect(o));
  if (o->type == Type::Axes) props["_plotbox"] = rectJson(gfx::plotBox(o));
}

json objectJson(Object* o) {
  json props = json::object();
  const gfx::TypeTable& t = gfx::table(o->type);
  for (std::size_t i = 0; i < t.props.size(); ++i) {
    const char* name = t.props[i].name;
    if (std::strcmp(name, "Children") == 0 || std::strcmp(name, "UserData") == 0) continue;
    props[name] = encodeValue(gfx::getProperty(o, static_cast<int>(i), name));
  }
  addGeometry(o, props);
  json kids = json::array();
  for (Object* c : o->children) kids.push_back(c->handle);
  return {{"h", o->handle},
          {"type", gfx::typeName(o->type)},
          {"parent", o->parent ? json(o->parent->handle) : json(nullptr)},
          {"children", kids},
          {"props", props}};
}

// The values an axes object derives from its children and its size; sent
// again whenever anything under the axes changed.
const char* const kDerived[] = {"XLim",
                                "YLim",
                                "ZLim",
                                "CLim",
                                "XTick",
                                "YTick",
                                "ZTick",
                                "XTickLabel",
                                "YTickLabel",
                                "ZTickLabel",
                                "DataAspectRatio",
                                "PlotBoxAspectRatio",
                                "CameraViewAngle"};

// Cells in cells deeper than this are sent as null: no property the page
// draws nests at all, and the encoding (and the JSON tree) must not grow a
// stack frame per level of whatever a script stored.
constexpr int kMaxEncodedNesting = 16;

json encodeAt(const Value& v, int depth) {
  if (v.isChar()) {
    if (v.rows() <= 1) return v.utf8();
    json rows = json::array();
    for (std::size_t r = 0; r < v.rows(); ++r) rows.push_back(v.rowUtf8(r));
    return {{"rows", rows}};
  }
  if (v.isDouble() && !v.isComplex()) return encodeNumeric(v);
  if (v.isCell()) {
    if (depth >= kMaxEncodedNesting) return nullptr;
    json a = json::array();
    for (std::size_t i = 0; i < v.numel(); ++i) a.push_back(encodeAt(v.cellAt(i), depth + 1));
    return a;
  }
  return nullptr;
}
}  // namespace

json encodeValue(const Value& v) { return encodeAt(v, 0); }

std::string snapshotMessage() {
  json objects = json::array();
  gfx::tree().walk(
      gfx::tree().root(), [&](Object* o) { objects.push_back(objectJson(o)); }, true);
  return json{{"type", "tree"}, {"seq", gfx::journal().lastSeq()}, {"objects", objects}}.dump();
}

std::string styleTableModule() {
  namespace r = gfx::render;
  json dashes = json::object();
  for (const r::DashStyle& d : r::dashStyles()) dashes[d.name] = d.lengths;
  json markers = json::object();
  for (const r::MarkerShape& m : r::markerShapes()) {
    json parts = json::array();
    for (const r::MarkerPart& part : m.parts) {
      using Kind = r::MarkerPart::Kind;
      if (part.kind == Kind::Circle)
        parts.push_back({{"circle", part.radius}});
      else
        parts.push_back({{part.kind == Kind::Rectangle ? "rect"
                          : part.kind == Kind::Polygon ? "polygon"
                                                       : "strokes",
                          part.points}});
    }
    markers[m.name] = {{"paint", r::paintName(m.paint)}, {"parts", parts}};
  }
  json sizes = json::object();
  for (int t = 0; t < gfx::kTypeCount; ++t) {
    json own = json::object();
    for (const gfx::PropSpec& p : gfx::table(static_cast<gfx::Type>(t)).props) {
      const std::string_view name = p.name;
      if (name == "LineWidth" || name == "MarkerSize" || name == "FontSize")
        own[p.name] = p.def.at(0);
    }
    if (!own.empty()) sizes[gfx::typeName(static_cast<gfx::Type>(t))] = own;
  }
  const json table = {
      {"pixelsPerPoint", r::kPixelsPerInch / r::kPointsPerInch},
      {"dashes", dashes},
      {"minDashUnit", r::kMinDashUnit},
      {"join", {{"line", r::joinName(r::kLineJoin)}, {"marker", r::joinName(r::kMarkerJoin)}}},
      {"markerUnit", r::kMarkerUnit},
      {"markers", markers},
      {"sizes", sizes},
  };
  return "// Made by the figure server from the renderer's style table.\nexport default " +
         table.dump() + ";\n";
}

ChangeEncoder::ChangeEncoder() : reader_(gfx::journal()) {}

std::string ChangeEncoder::take() {
  const std::vector<gfx::JournalEntry> entries = reader_.take();
  if (reader_.overflowed()) return snapshotMessage();
  using Kind = gfx::JournalEntry::Kind;
  std::vector<double> created, deleted;
  std::vector<std::pair<double, std::string>> written;
  std::set<std::pair<double, std::string>> seen;
  std::unordered_set<double> axes, structure;
  std::unordered_set<Object*> resized;
  for (const gfx::JournalEntry& e : entries) {
    Object* o = gfx::tree().find(e.handle);
    if (e.kind == Kind::Read) continue;
    if (e.kind == Kind::Create) {
      created.push_back(e.handle);
      structure.insert(e.parent);
    } else if (e.kind == Kind::Delete) {
      deleted.push_back(e.handle);
    } else if (seen.insert({e.handle, e.property}).second) {
      written.emplace_back(e.handle, e.property);
      if (e.property == "Parent" || e.property == "Children") structure.insert(e.handle);
      // A figure's new size moves everything in it that is not in pixels.
      if (o && o->type == gfx::Type::Figure && (e.property == "Position" || e.property == "Units"))
        resized.insert(o);
    }
    if (o)
      if (Object* a = gfx::Tree::axesOf(e.kind == Kind::Create ? o->parent : o))
        axes.insert(a->handle);
  }
  if (entries.empty()) return {};
  for (Object* fig : resized)
    gfx::tree().walk(
        fig,
        [&](Object* o) {
          if (o->type == gfx::Type::Axes) axes.insert(o->handle);
          if (o->type == gfx::Type::Uicontrol || o == fig) seen.insert({o->handle, "Position"});
          if (o->type == gfx::Type::Uicontrol) written.emplace_back(o->handle, "Position");
        },
        true);
  json msg{{"type", "changes"}, {"seq", gfx::journal().lastSeq()}};
  json made = json::array(), gone = json::array(), set = json::array();
  std::unordered_set<double> fresh;
  for (double h : created)
    if (Object* o = gfx::tree().find(h)) {
      made.push_back(objectJson(o));
      fresh.insert(h);
    }
  for (double h : deleted)
    if (!gfx::tree().find(h)) gone.push_back(h);
  std::map<double, json> props;
  for (const auto& [h, name] : written) {
    Object* o = gfx::tree().find(h);
    if (!o || fresh.count(h) || name == "UserData" || name == "Children") continue;
    const int p = gfx::table(o->type).find(name);
    props[h][name] = encodeValue(gfx::getProperty(o, p, name));
  }
  for (double h : axes) {
    Object* a = gfx::tree().find(h);
    if (!a || fresh.count(h)) continue;
    for (const char* name : kDerived)
      props[h][name] = encodeValue(gfx::getProperty(a, gfx::table(a->type).find(name), name));
  }
  for (auto& [h, p] : props)
    if (Object* o = gfx::tree().find(h)) addGeometry(o, p);
  for (auto& [h, p] : props) set.push_back({{"h", h}, {"props", p}});
  json order = json::array();
  for (double h : structure)
    if (Object* o = gfx::tree().find(h); o && !fresh.count(h)) {
      json kids = json::array();
      for (Object* c : o->children) kids.push_back(c->handle);
      order.push_back({{"h", h}, {"children", kids}});
    }
  msg["created"] = made;
  msg["deleted"] = gone;
  msg["set"] = set;
  msg["children"] = order;
  return msg.dump();
}

bool decodeEvent(std::string_view text, PageEvent* out, std::string* error) {
  if (text.size() > kMaxEventBytes) {
    *error = "message too large";
    return false;
  }
  const json m = json::parse(text, nullptr, false);
  if (m.is_discarded() || !m.is_object()) {
    *error = "not a JSON object";
    return false;
  }
  auto number = [&](const char* key, double* into) {
    auto it = m.find(key);
    if (it == m.end() || !it->is_number() || !std::isfinite(it->get<double>())) {
      *error = std::string("'") + key + "' must be a finite number";
      return false;
    }
    *into = it->get<double>();
    return true;
  };
  auto type = m.find("type");
  if (type == m.end() || !type->is_string()) {
    *error = "'type' must be a text";
    return false;
  }
  const std::string t = type->get<std::string>();
  PageEvent e;
  if (m.contains("id") && (!number("id", &e.id) || e.id < 0)) {
    if (error->empty()) *error = "'id' must be a number of at least 0";
    return false;
  }
  auto range = [&](const char* key, double* into) {
    auto it = m.find(key);
    if (it == m.end() || !it->is_array() || it->size() != 2 || !(*it)[0].is_number() ||
        !(*it)[1].is_number() || !((*it)[0].get<double>() < (*it)[1].get<double>()) ||
        !std::isfinite((*it)[0].get<double>()) || !std::isfinite((*it)[1].get<double>())) {
      *error = std::string("'") + key + "' must be two increasing finite numbers";
      return false;
    }
    into[0] = (*it)[0].get<double>();
    into[1] = (*it)[1].get<double>();
    return true;
  };
  if (t == "ping") {
    e.kind = PageEvent::Kind::Ping;  // answered, changes nothing
  } else if (t == "limits") {
    e.kind = PageEvent::Kind::Limits;
    if (!number("axes", &e.handle)) return false;
    auto r = m.find("reset");
    e.reset = r != m.end() && r->is_boolean() && r->get<bool>();
    if (!e.reset && (!range("xlim", e.xlim) || !range("ylim", e.ylim))) return false;
  } else if (t == "press" || t == "motion" || t == "release") {
    e.kind = t == "press" ? PageEvent::Kind::Press
                          : (t == "motion" ? PageEvent::Kind::Motion : PageEvent::Kind::Release);
    if (!number("figure", &e.figure) || !number("x", &e.x) || !number("y", &e.y)) return false;
  } else if (t == "value" || t == "click") {
    e.kind = t == "value" ? PageEvent::Kind::Value : PageEvent::Kind::Click;
    if (!number("handle", &e.handle)) return false;
    if (e.kind == PageEvent::Kind::Value) {
      auto v = m.find("value");
      if (v != m.end() && v->is_number() && std::isfinite(v->get<double>()))
        e.value = Value::scalar(v->get<double>());
      else if (v != m.end() && v->is_string() && v->get<std::string>().size() <= 4096)
        e.value = Value::str(std::string_view(v->get<std::string>()));
      else {
        *error = "'value' must be a finite number or a text";
        return false;
      }
    }
  } else {
    *error = "unknown event type '" + t.substr(0, 40) + "'";
    return false;
  }
  *out = std::move(e);
  return true;
}

void deliver(const PageEvent& e) {
  if (e.kind == PageEvent::Kind::Ping) return;
  if (e.kind == PageEvent::Kind::Limits) {
    Object* ax = gfx::tree().require(e.handle);
    if (ax->type != gfx::Type::Axes) raise("The event names no axes.");
    if (e.reset) {
      gfx::setProperty(ax, "XLimMode", Value::str("auto"));
      gfx::setProperty(ax, "YLimMode", Value::str("auto"));
    } else {
      gfx::setProperty(ax, "XLim", Value::row({e.xlim[0], e.xlim[1]}));
      gfx::setProperty(ax, "YLim", Value::row({e.ylim[0], e.ylim[1]}));
    }
    return;
  }
  if (e.kind == PageEvent::Kind::Value || e.kind == PageEvent::Kind::Click) {
    Object* c = gfx::tree().require(e.handle);
    if (e.kind == PageEvent::Kind::Value)
      gfx::setControlValue(c, e.value);
    else
      gfx::click(c);
    return;
  }
  Object* fig = gfx::tree().require(e.figure);
  if (fig->type != gfx::Type::Figure) raise("The event names no figure.");
  if (e.kind == PageEvent::Kind::Press)
    gfx::press(gfx::objectAt(fig, e.x, e.y), e.x, e.y);
  else if (e.kind == PageEvent::Kind::Motion)
    gfx::motion(fig, e.x, e.y);
  else
    gfx::release(fig, e.x, e.y);
}

}  // namespace kh::server
