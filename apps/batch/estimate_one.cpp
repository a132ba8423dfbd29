#include "apps/batch/estimate_one.h"

#include <array>
#include <string>
#include <vector>

#include "editor/record_check.h"
#include "editor/record_export.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/colon.h"
#include "host/kernels/arrays/index.h"
#include "host/loader/registry.h"

namespace khost::batch {

namespace {

// The samples the editor works on, and what its load does with the click.
constexpr int kSamples = 5000;
constexpr int kLoadT2 = 500, kLoadT3 = 1550;

}  // namespace

RecordEstimator::RecordEstimator(const Settings& settings) : settings_(settings) {
  const mexFunctionTableEntry* e = kh::findLibraryFunction("kestrel/pulse_estimate", true);
  if (!e) kh::raise("The library has no function 'kestrel/pulse_estimate'.");
  pulseEstimate_ = e->function;
}

Record RecordEstimator::read(const std::string& file) const {
  using kh::Value;
  const kh::NamedValues loaded = kh::loadMatFile(file, {"s", "cl"});
  const Value *s = nullptr, *cl = nullptr;
  for (const auto& [name, v] : loaded) (name == "s" ? s : cl) = &v;
  return take(s, cl);
}

Record RecordEstimator::take(const kh::Value& s, const kh::Value& cl) const {
  return take(&s, &cl);
}

Record RecordEstimator::take(const kh::Value* s, const kh::Value* cl) const {
  // Refused with the reason in the user's terms: a record the estimate with
  // these markers cannot take, or the editor could not show.
  kh::editor::checkRecordInputs(s, cl, settings_.t2Offset, settings_.t3Offset);
  // What the editor's load sets: seg = s(1:5000).
  return {kh::indexRef(*s, {kh::colonRange(1, 1, kSamples)}), cl->at(0)};
}

kh::editor::Settings RecordEstimator::settingsFor(const Record& r) const {
  const Settings& k = settings_;
  return {r.click,
          r.click + k.t2Offset,
          r.click + k.t3Offset,
          static_cast<double>(k.nsmall),
          static_cast<double>(k.nmedium),
          static_cast<double>(k.nlarge),
          static_cast<double>(k.lpoly),
          k.fit ? 1.0 : 0.0};
}

std::string RecordEstimator::checkSaved(const Record& r, const kh::editor::Settings& saved) {
  using namespace kh::editor;
  // Where the editor's load puts the markers; the rest is not looked at.
  const kh::editor::Settings loaded = {r.click, r.click + kLoadT2, r.click + kLoadT3, 0, 0, 0, 0,
                                       0};
  if (std::string bad = checkSettings(saved, loaded, kSamples); !bad.empty()) return bad;
  const struct {
    SettingIndex setting;
    WholeRange range;
  } sliders[] = {{kNsmall, kNsmallRange},
                 {kNmedium, kNmediumRange},
                 {kNlarge, kNlargeRange},
                 {kLpoly, kLpolyRange}};
  for (const auto& [setting, range] : sliders)
    if (saved[setting] < range.lo || saved[setting] > range.hi)
      return std::string(kSettingNames[setting]) + " = " +
             std::to_string(static_cast<long long>(saved[setting])) +
             " is outside the editor's range " + std::to_string(range.lo) + " to " +
             std::to_string(range.hi);
  return "";
}

kh::NamedValues RecordEstimator::estimate(const Record& r, const kh::editor::Settings& s) const {
  using kh::Value;
  const std::array<Value, 8> settings = {
      Value::scalar(s[0]), Value::scalar(s[1]), Value::scalar(s[2]), Value::scalar(s[3]),
      Value::scalar(s[4]), Value::scalar(s[5]), Value::scalar(s[6]), Value::scalar(s[7])};
  const auto& [T1, T2, T3, Nsmall, Nmedium, Nlarge, Lpoly, pf] = settings;
  // pe = pulse_estimate(seg, Nlarge, Nmedium, Nsmall, T1, T2, T3, Lpoly, pf)
  kh::ValueList pe =
      kh::callFevalForm(pulseEstimate_, 1, {r.seg, Nlarge, Nmedium, Nsmall, T1, T2, T3, Lpoly, pf});
  if (pe.empty() || !pe[0].isDouble())
    kh::raise("kestrel/pulse_estimate returned no numeric estimate.");
  return kh::editor::recordVariables(r.seg, settings, std::move(pe[0]));
}

}  // namespace khost::batch
