#include "apps/batch/estimate_one.h"

#include <array>
#include <string>
#include <vector>

#include "host/context/errors.h"
#include "editor/record_check.h"
#include "editor/record_export.h"
#include "host/loader/registry.h"
#include "host/ops/colon.h"
#include "host/ops/elementwise.h"
#include "host/ops/index.h"

namespace khost::batch {

RecordEstimator::RecordEstimator(const Settings& settings) : settings_(settings) {
  const mexFunctionTableEntry* e = kh::findLibraryFunction("kestrel/pulse_estimate", true);
  if (!e) kh::raise("The library has no function 'kestrel/pulse_estimate'.");
  pulseEstimate_ = e->function;
}

kh::NamedValues RecordEstimator::estimate(const std::string& file) const {
  using kh::Value;
  const kh::NamedValues loaded = kh::loadMatFile(file, {"s", "cl"});
  const Value *s = nullptr, *cl = nullptr;
  for (const auto& [name, v] : loaded) (name == "s" ? s : cl) = &v;
  // Refused with the reason in the user's terms: a record the estimate with
  // these markers cannot take, or the editor could not show.
  kh::editor::checkRecordInputs(s, cl, settings_.t2Offset, settings_.t3Offset);

  // What the editor's load sets: seg = s(1:5000), the sliders' and the fit
  // switch's values, T1 = cl and the other markers after it.
  const Value seg = kh::indexRef(*s, {kh::colonRange(1, 1, 5000)});
  const Settings& k = settings_;
  const std::array<Value, 8> settings = {
      *cl,
      kh::binary(kh::BinOp::Plus, *cl, Value::scalar(k.t2Offset)),
      kh::binary(kh::BinOp::Plus, *cl, Value::scalar(k.t3Offset)),
      Value::scalar(k.nsmall),
      Value::scalar(k.nmedium),
      Value::scalar(k.nlarge),
      Value::scalar(k.lpoly),
      Value::scalar(k.fit ? 1 : 0)};
  const auto& [T1, T2, T3, Nsmall, Nmedium, Nlarge, Lpoly, pf] = settings;
  // pe = pulse_estimate(seg, Nlarge, Nmedium, Nsmall, T1, T2, T3, Lpoly, pf)
  std::vector<Value> pe =
      kh::callFevalForm(pulseEstimate_, 1, {seg, Nlarge, Nmedium, Nsmall, T1, T2, T3, Lpoly, pf});
  if (pe.empty() || !pe[0].isDouble())
    kh::raise("kestrel/pulse_estimate returned no numeric estimate.");
  return kh::editor::recordVariables(seg, settings, std::move(pe[0]));
}

}  // namespace khost::batch
