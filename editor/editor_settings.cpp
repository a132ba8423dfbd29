#include "editor/editor_settings.h"

#include <cmath>
#include <cstdio>

#include "editor/editor_figure.h"
#include "host/context/globals.h"
#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/events.h"
#include "host/graphics/geometry.h"
#include "host/graphics/tree.h"
#include "host/values/handle.h"

namespace kh::editor {
namespace {

// The slider of each window and of the block length, by setting.
struct SliderOf {
  SettingIndex setting;
  const char* tag;
};
constexpr SliderOf kSliders[] = {
    {kNsmall, "slider9"}, {kNmedium, "slider10"}, {kNlarge, "slider12"}, {kLpoly, "slider7"}};
constexpr const char* kFitSwitch = "radiobutton1";
constexpr const char* kMarkerLines[] = {"psp1", "psp2", "psp3"};
constexpr int kGap = 50;  // the least distance a drag keeps between markers and ends

const Value* global(const char* name) {
  mxArray** slot = findGlobalSlot(name);
  return slot && *slot ? &valueOf(*slot) : nullptr;
}

gfx::Object* editorFigure() {
  gfx::Object* button = loadButton();
  return button ? gfx::Tree::figureOf(button) : nullptr;
}

gfx::Object* tagged(gfx::Object* fig, const char* tag) {
  gfx::Object* found = nullptr;
  gfx::tree().walk(
      fig,
      [&](gfx::Object* o) {
        if (!found && gfx::rawText(o, "Tag") == tag) found = o;
      },
      true);
  if (!found) raise(std::string("The editor's figure has no control tagged '") + tag + "'.");
  return found;
}

bool whole(double v) { return std::isfinite(v) && v == std::round(v); }

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", v);
  return text;
}

// A marker dragged to sample x: pressed where it stands, moved, released.
void drag(gfx::Object* fig, int marker, double x) {
  const Value* h = global(kMarkerLines[marker]);
  gfx::Object* line = h && h->numel() == 1 ? gfx::tree().find(h->at(0)) : nullptr;
  gfx::Object* ax = line ? gfx::Tree::axesOf(line) : nullptr;
  if (!line || !ax) raise("The editor's marker lines are gone; open the record again.");
  const Value xs = gfx::raw(line, "XData");
  const double at = xs.numel() > 0 ? xs.at(0) : x;
  const auto from = gfx::dataToPixel(ax, at, 0);
  const auto to = gfx::dataToPixel(ax, x, 0);
  gfx::press(line, from[0], from[1]);
  gfx::motion(fig, to[0], to[1]);
  gfx::release(fig, to[0], to[1]);
}

}  // namespace

std::optional<Settings> currentSettings() {
  Settings s{};
  for (std::size_t k = 0; k < kSettingNames.size(); ++k) {
    const Value* v = global(kSettingNames[k]);
    if (!v || v->numel() != 1 || !(v->isDouble() || v->isLogical()) || v->isComplex())
      return std::nullopt;
    s[k] = v->at(0);
  }
  return s;
}

bool reachable(const Settings& from, const Settings& target, int length) {
  return (target[kT1] == from[kT1] || target[kT1] >= kGap) &&
         (target[kT3] == from[kT3] || target[kT3] <= length - kGap);
}

std::string checkSettings(const Settings& target, const Settings& loaded, int length) {
  for (std::size_t k = 0; k < kSettingNames.size(); ++k)
    if (!whole(target[k]))
      return std::string(kSettingNames[k]) + " = " + number(target[k]) + " is not a whole number";
  if (gfx::Object* fig = editorFigure()) {
    for (const SliderOf& s : kSliders) {
      gfx::Object* slider = tagged(fig, s.tag);
      const double lo = gfx::raw(slider, "Min").at(0), hi = gfx::raw(slider, "Max").at(0);
      if (target[s.setting] < lo || target[s.setting] > hi)
        return std::string(kSettingNames[s.setting]) + " = " + number(target[s.setting]) +
               " is outside the editor's range " + number(lo) + " to " + number(hi);
    }
  }
  if (target[kPf] != 0 && target[kPf] != 1) return "pf = " + number(target[kPf]) + " is not 0 or 1";
  if (target[kT2] - target[kT1] < kGap || target[kT3] - target[kT2] < kGap)
    return "the markers " + number(target[kT1]) + ", " + number(target[kT2]) + ", " +
           number(target[kT3]) + " are not 50 samples apart";
  if (target[kT1] < 1 || target[kT3] > length)
    return "the markers do not lie on the record's " + std::to_string(length) + " samples";
  if (!reachable(loaded, target, length))
    return "the markers " + number(target[kT1]) + " and " + number(target[kT3]) +
           " are closer to the record's ends than a marker can be moved (50 samples)";
  return "";
}

void applySettings(const Settings& target) {
  gfx::Object* fig = editorFigure();
  std::optional<Settings> now = currentSettings();
  if (!fig || !now) raise("No record is loaded in the editor.");
  // The windows.
  for (const SliderOf& s : kSliders)
    if (s.setting != kLpoly && (*now)[s.setting] != target[s.setting])
      gfx::setControlValue(tagged(fig, s.tag), Value::scalar(target[s.setting]));
  // The block length's slider takes input only while the fit is on.
  const bool fitOn = (*now)[kPf] != 0;
  if ((*now)[kLpoly] != target[kLpoly]) {
    if (!fitOn) gfx::click(tagged(fig, kFitSwitch));
    gfx::setControlValue(tagged(fig, "slider7"), Value::scalar(target[kLpoly]));
    if (target[kPf] == 0) gfx::click(tagged(fig, kFitSwitch));
  } else if (fitOn != (target[kPf] != 0)) {
    gfx::click(tagged(fig, kFitSwitch));
  }
  // The markers, each within its neighbours' bounds: a few rounds in
  // alternating order bring every reachable placement about.
  for (int round = 0; round < 4; ++round) {
    now = currentSettings();
    if (!now) break;
    bool moved = false;
    for (int i = 0; i < 3; ++i) {
      const int m = round % 2 == 0 ? 2 - i : i;
      if ((*now)[kT1 + m] != target[kT1 + m]) {
        drag(fig, m, target[kT1 + m]);
        moved = true;
        now = currentSettings();
        if (!now) break;
      }
    }
    if (!moved) break;
  }
  now = currentSettings();
  if (!now || *now != target)
    raise("The editor could not be brought to " + describe(target) +
          (now ? "; it shows " + describe(*now) : std::string()) + ".");
}

std::string describe(const Settings& s) {
  std::string out;
  for (std::size_t k = 0; k < kSettingNames.size(); ++k)
    out += (k ? ", " : "") + std::string(kSettingNames[k]) + " = " + number(s[k]);
  return out;
}

}  // namespace kh::editor
