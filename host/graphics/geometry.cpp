#include "host/graphics/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/journal.h"
#include "host/graphics/properties.h"
#include "host/graphics/store.h"
#include "host/graphics/tree.h"

namespace kh::gfx {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPixelsPerInch = 96;
constexpr double kCharWidth = 7;
constexpr double kCharHeight = 16;

struct Extent {
  double lo = kInf, hi = -kInf;
  bool any() const { return lo <= hi; }
  void add(double v) {
    if (!std::isfinite(v)) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  void addAll(const Value& v) {
    if (!v.isDouble()) return;
    const double* d = v.re();
    for (std::size_t i = 0, n = v.numel(); i < n; ++i) add(d[i]);
  }
};

bool modeAuto(Object* ax, int prop) {
  const Value& m = ax->values[static_cast<std::size_t>(prop)];
  return m.numel() == 4 && m.chr()[0] == u'a';
}

const Value& val(Object* o, const char* name) { return raw(o, name); }

// Steps of 1, 2 or 5 times a power of ten: the smallest that divides
// `range` into at most `maxSteps` parts.
double niceStep(double range, int maxSteps) {
  if (!(range > 0) || !std::isfinite(range)) return 1;
  const double e = std::pow(10.0, std::floor(std::log10(range)) - 1);
  for (double m : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0}) {
    const double step = m * e;
    if (range / step <= maxSteps * (1 + 1e-9)) return step;
  }
  return 1000 * e;
}

double floorTo(double v, double step) {
  const double f = v / step;
  double k = std::floor(f);
  if (f - k > 1 - 1e-9) k += 1;
  return k * step;
}

double ceilTo(double v, double step) {
  const double f = v / step;
  double k = std::ceil(f);
  if (k - f > 1 - 1e-9) k -= 1;
  return k * step;
}

std::array<double, 2> rounded(const Extent& e) {
  if (e.lo == e.hi) return {e.lo - 1, e.hi + 1};
  const double step = niceStep(e.hi - e.lo, 10);
  return {floorTo(e.lo, step), ceilTo(e.hi, step)};
}

// The extent of an image along one axis: its first and last pixel centres
// and half a pixel beyond them.
void addImageExtent(Extent& e, const Value& coords, std::size_t pixels) {
  Extent c;
  c.addAll(coords);
  if (!c.any()) return;
  const double half = pixels > 1 ? (c.hi - c.lo) / static_cast<double>(pixels - 1) / 2 : 0.5;
  e.add(c.lo - half);
  e.add(c.hi + half);
}

void computeDerived(Object* ax) {
  Extent ext[4];
  bool anyXY = false;
  for (Object* c : ax->children) {
    if (rawText(c, "Visible") != "on") continue;
    switch (c->type) {
      case Type::Line:
      case Type::Patch:
      case Type::Surface: {
        const Value& x = val(c, "XData");
        const Value& y = val(c, "YData");
        const Value& z = val(c, "ZData");
        ext[0].addAll(x);
        ext[1].addAll(y);
        ext[2].addAll(z);
        if (c->type == Type::Line && x.isEmpty() && !y.isEmpty())
          ext[0].add(1), ext[0].add(y.numel());
        anyXY = anyXY || !x.isEmpty() || !y.isEmpty();
        if (c->type != Type::Line) {
          const Value& cd = val(c, "CData");
          ext[3].addAll(cd.isEmpty() && c->type == Type::Surface ? z : cd);
        }
        break;
      }
      case Type::Image: {
        const Value& cd = val(c, "CData");
        if (cd.isEmpty()) break;
        addImageExtent(ext[0], val(c, "XData"), cd.dim(1));
        addImageExtent(ext[1], val(c, "YData"), cd.dim(0));
        anyXY = true;
        if (rawText(c, "CDataMapping") == "scaled") ext[3].addAll(cd);
        break;
      }
      default:
        break;
    }
  }
  DerivedLimits& d = ax->derived;
  for (int k = 0; k < 2; ++k)
    d.lim[k] = ext[k].any() ? rounded(ext[k]) : std::array<double, 2>{0, 1};
  d.lim[2] = ext[2].any() ? rounded(ext[2])
                          : (anyXY ? std::array<double, 2>{-1, 1} : std::array<double, 2>{0, 1});
  if (ext[3].any())
    d.lim[3] = ext[3].lo == ext[3].hi ? std::array<double, 2>{ext[3].lo - 1, ext[3].hi + 1}
                                      : std::array<double, 2>{ext[3].lo, ext[3].hi};
  else
    d.lim[3] = {0, 1};
  d.valid = true;
}

const char* const kLim[4] = {"XLim", "YLim", "ZLim", "CLim"};
const char* const kLimMode[4] = {"XLimMode", "YLimMode", "ZLimMode", "CLimMode"};
const char* const kTick[3] = {"XTick", "YTick", "ZTick"};
const char* const kTickMode[3] = {"XTickMode", "YTickMode", "ZTickMode"};

std::array<double, 2> baseLimits(Object* ax, int d) {
  if (!modeAuto(ax, known(Type::Axes, kLimMode[d]))) {
    const Value& v = val(ax, kLim[d]);
    return {v.at(0), v.at(1)};
  }
  if (!ax->derived.valid) computeDerived(ax);
  return ax->derived.lim[static_cast<std::size_t>(d)];
}

std::array<double, 3> stored3(Object* ax, const char* name) {
  const Value& v = val(ax, name);
  return {v.at(0), v.at(1), v.at(2)};
}

std::vector<double> elements(const Value& v) {
  std::vector<double> r(v.re(), v.re() + v.numel());
  r.resize(std::max<std::size_t>(r.size(), 4));
  return r;
}

double span(const std::array<double, 2>& l) { return l[1] - l[0]; }

}  // namespace

std::array<double, 2> limits(Object* ax, int d) {
  std::array<double, 2> l = baseLimits(ax, d);
  if (d > 1 || !is2D(ax)) return l;
  // Both ratios fixed: an automatic limit widens so that both hold.
  static const int darMode = known(Type::Axes, "DataAspectRatioMode");
  static const int pbarMode = known(Type::Axes, "PlotBoxAspectRatioMode");
  if (modeAuto(ax, darMode) || modeAuto(ax, pbarMode)) return l;
  const auto dar = stored3(ax, "DataAspectRatio");
  const auto pbar = stored3(ax, "PlotBoxAspectRatio");
  const auto lx = baseLimits(ax, 0);
  const auto ly = baseLimits(ax, 1);
  const double rx = span(lx) / dar[0];
  const double ry = span(ly) / dar[1];
  const double target = pbar[0] / pbar[1];
  const bool xAuto = modeAuto(ax, known(Type::Axes, "XLimMode"));
  const bool yAuto = modeAuto(ax, known(Type::Axes, "YLimMode"));
  if (d == 0 && xAuto && rx < target * ry) {
    const double half = target * ry * dar[0] / 2;
    const double c = (l[0] + l[1]) / 2;
    return {c - half, c + half};
  }
  if (d == 1 && yAuto && ry < rx / target && !(xAuto && rx < target * ry)) {
    const double half = rx / target * dar[1] / 2;
    const double c = (l[0] + l[1]) / 2;
    return {c - half, c + half};
  }
  return l;
}

std::vector<double> ticks(Object* ax, int d) {
  if (!modeAuto(ax, known(Type::Axes, kTickMode[d]))) {
    const Value& v = val(ax, kTick[d]);
    return std::vector<double>(v.re(), v.re() + v.numel());
  }
  const auto l = limits(ax, d);
  const Rect box = plotBox(ax);
  const double pixels = d == 0 ? box.w : (d == 1 ? box.h : std::min(box.w, box.h));
  const int maxSteps = std::clamp(static_cast<int>(pixels / 50), 2, 10);
  const double step = niceStep(span(l), maxSteps);
  std::vector<double> t;
  for (double v = ceilTo(l[0], step); v <= l[1] + step * 1e-9 && t.size() < 100; v += step)
    t.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
  return t;
}

std::vector<std::string> tickLabels(const std::vector<double>& t) {
  double step = 0, top = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    top = std::max(top, std::fabs(t[i]));
    if (i) step = step ? std::min(step, std::fabs(t[i] - t[i - 1])) : std::fabs(t[i] - t[i - 1]);
  }
  const bool plain = top < 1e6 && (step == 0 || step >= 1e-4);
  const int decimals =
      step > 0 ? std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 6) : 0;
  std::vector<std::string> out;
  char buf[64];
  for (double v : t) {
    if (plain)
      std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    else
      std::snprintf(buf, sizeof buf, "%g", v);
    const std::string_view s = buf;
    out.emplace_back(s.find_first_not_of("-0.") == std::string_view::npos ? "0" : buf);
  }
  return out;
}

bool is2D(Object* ax) {
  const Value& v = val(ax, "View");
  return std::fmod(v.at(0), 90) == 0 && std::fmod(v.at(1), 90) == 0;
}

std::array<double, 3> plotBoxAspectRatio(Object* ax) {
  if (!modeAuto(ax, known(Type::Axes, "PlotBoxAspectRatioMode")))
    return stored3(ax, "PlotBoxAspectRatio");
  if (!modeAuto(ax, known(Type::Axes, "DataAspectRatioMode"))) {
    const auto dar = stored3(ax, "DataAspectRatio");
    std::array<double, 3> r{span(baseLimits(ax, 0)) / dar[0], span(baseLimits(ax, 1)) / dar[1],
                            span(baseLimits(ax, 2)) / dar[2]};
    const double m = std::max({r[0], r[1], r[2]});
    for (double& x : r) x /= m;
    return r;
  }
  if (!is2D(ax)) return {1, 1, 1};
  const Rect p = pixelRect(ax);
  const double w = std::max(p.w, 1.0), h = std::max(p.h, 1.0);
  const double m = std::max(w, h);
  return {w / m, h / m, std::min(w, h) / m};
}

std::array<double, 3> dataAspectRatio(Object* ax) {
  if (!modeAuto(ax, known(Type::Axes, "DataAspectRatioMode")))
    return stored3(ax, "DataAspectRatio");
  const auto pbar = plotBoxAspectRatio(ax);
  std::array<double, 3> r{span(limits(ax, 0)) / pbar[0], span(limits(ax, 1)) / pbar[1],
                          span(limits(ax, 2)) / pbar[2]};
  const double m = std::min({r[0], r[1], r[2]});
  for (double& x : r) x /= m;
  return r;
}

double cameraViewAngle(Object* ax) {
  if (!modeAuto(ax, known(Type::Axes, "CameraViewAngleMode")))
    return rawScalar(ax, "CameraViewAngle");
  return is2D(ax) ? 6.6086 : 10.3396;
}

std::array<double, 2> figureSize(Object* fig) {
  const Rect r = pixelRect(fig);
  return {r.w, r.h};
}

Value convertPosition(Object* o, const Value& p, const std::string& from, const std::string& to) {
  std::array<double, 2> ref{1920, 1080};
  if (o->type != Type::Figure) {
    Object* f = Tree::figureOf(o);
    if (f) ref = figureSize(f);
  } else {
    const Value& s = raw(tree().root(), "ScreenSize");
    ref = {s.at(2), s.at(3)};
  }
  auto factor = [&](const std::string& u, int k) {
    const bool horizontal = k % 2 == 0;
    if (u == "normalized") return horizontal ? ref[0] : ref[1];
    if (u == "inches") return kPixelsPerInch;
    if (u == "centimeters") return kPixelsPerInch / 2.54;
    if (u == "points") return kPixelsPerInch / 72;
    if (u == "characters") return horizontal ? kCharWidth : kCharHeight;
    return 1.0;
  };
  Value r = Value::numeric({1, 4});
  double* d = r.mutRe();
  for (int k = 0; k < 4; ++k)
    d[k] = p.at(static_cast<std::size_t>(k)) * factor(from, k) / factor(to, k);
  return r;
}

Rect pixelRect(Object* o) {
  const Value& p = val(o, "Position");
  const std::string units = rawText(o, "Units");
  const std::vector<double> r =
      units == "pixels" ? elements(p) : elements(convertPosition(o, p, units, "pixels"));
  return {r[0], r[1], r[2], r[3]};
}

Rect plotBox(Object* ax) {
  const Rect r = pixelRect(ax);
  static const int darMode = known(Type::Axes, "DataAspectRatioMode");
  static const int pbarMode = known(Type::Axes, "PlotBoxAspectRatioMode");
  if ((modeAuto(ax, darMode) && modeAuto(ax, pbarMode)) || !is2D(ax)) return r;
  const auto pbar = plotBoxAspectRatio(ax);
  const double want = pbar[0] / pbar[1];
  if (!(want > 0) || !std::isfinite(want) || r.h <= 0) return r;
  Rect b = r;
  if (r.w / r.h > want) {
    b.w = r.h * want;
    b.x = r.x + (r.w - b.w) / 2;
  } else {
    b.h = r.w / want;
    b.y = r.y + (r.h - b.h) / 2;
  }
  return b;
}

std::array<double, 2> dataToPixel(Object* ax, double x, double y) {
  const Rect b = plotBox(ax);
  const auto lx = limits(ax, 0), ly = limits(ax, 1);
  double fx = (x - lx[0]) / span(lx), fy = (y - ly[0]) / span(ly);
  if (rawText(ax, "XDir") == "reverse") fx = 1 - fx;
  if (rawText(ax, "YDir") == "reverse") fy = 1 - fy;
  return {b.x + fx * b.w, b.y + fy * b.h};
}

std::array<double, 2> pixelToData(Object* ax, double px, double py) {
  const Rect b = plotBox(ax);
  const auto lx = limits(ax, 0), ly = limits(ax, 1);
  double fx = b.w > 0 ? (px - b.x) / b.w : 0, fy = b.h > 0 ? (py - b.y) / b.h : 0;
  if (rawText(ax, "XDir") == "reverse") fx = 1 - fx;
  if (rawText(ax, "YDir") == "reverse") fy = 1 - fy;
  return {lx[0] + fx * span(lx), ly[0] + fy * span(ly)};
}

void setCurrentPoint(Object* ax, double px, double py) {
  const auto d = pixelToData(ax, px, py);
  const auto lz = limits(ax, 2);
  Value cp = Value::matrix(2, 3);
  double* c = cp.mutRe();
  c[0] = d[0], c[1] = d[0], c[2] = d[1], c[3] = d[1], c[4] = lz[1], c[5] = lz[0];
  store(ax, known(Type::Axes, "CurrentPoint"), std::move(cp));
}

void watchJournal() {
  static bool started = false;
  if (started) return;
  started = true;
  journal().addListener([](const JournalEntry& e, Object* o) {
    if (e.kind == JournalEntry::Kind::Read || !o) return;
    if (o->type == Type::Figure || o->type == Type::Root) return;  // limits do not depend on them
    if (o->type == Type::Axes && e.property == "CurrentPoint") return;
    if (Object* a = Tree::axesOf(e.kind == JournalEntry::Kind::Create ? o->parent : o))
      a->derived.valid = false;
    if (o->type == Type::Axes) o->derived.valid = false;
  });
}

}  // namespace kh::gfx
