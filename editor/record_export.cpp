#include "editor/record_export.h"

#include <cmath>
#include <cstdio>

#include "editor/private_folder.h"
#include "editor/record_name.h"
#include "host/context/globals.h"
#include "host/core/errors.h"
#include "host/datafile/matfile.h"
#include "host/graphics/access.h"
#include "host/graphics/tree.h"
#include "host/values/handle.h"

namespace kh::editor {
namespace {

const Value* global(const char* name) {
  mxArray** slot = findGlobalSlot(name);
  return slot && *slot ? &valueOf(*slot) : nullptr;
}

}  // namespace

NamedValues currentRecordVariables() {
  const Value* seg = global("seg");
  const Value* line = global("ppulse");
  if (!seg || seg->numel() == 0 || !line || line->numel() != 1)
    raise("No record is loaded in the editor.");
  gfx::Object* estimate = gfx::tree().find(line->at(0));
  if (!estimate || estimate->type != gfx::Type::Line)
    raise("The editor's estimate line is gone; load the record again.");
  std::array<Value, 8> settings;
  for (std::size_t k = 0; k < kSettingNames.size(); ++k) {
    const Value* v = global(kSettingNames[k]);
    if (!v || v->numel() != 1)
      raise(std::string("The editor's '") + kSettingNames[k] + "' is not set.");
    settings[k] = *v;
  }
  Value e = gfx::getProperty(estimate, "YData");
  if (e.numel() != seg->numel()) raise("The estimate does not match the record; move a marker.");
  return recordVariables(*seg, settings, std::move(e));
}

namespace {

std::string number(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

}  // namespace

NamedValues recordVariables(const Value& s, const std::array<Value, 8>& settings, Value estimate) {
  if (estimate.numel() != s.numel()) raise("The estimate does not match the record.");
  NamedValues out;
  out.emplace_back("s", s);
  for (std::size_t k = 0; k < kSettingNames.size(); ++k) {
    if (k == 0) out.emplace_back("cl", settings[0]);
    out.emplace_back(kSettingNames[k], settings[k]);
  }
  estimate.reshape(s.dims());
  out.emplace_back("estimate", std::move(estimate));
  return out;
}

std::string recordCsvText(const NamedValues& vars) {
  std::string out = "# kestrel pulse record\n";
  const Value *s = nullptr, *e = nullptr;
  for (const auto& [name, v] : vars) {
    if (name == "s")
      s = &v;
    else if (name == "estimate")
      e = &v;
    else if (name != "cl")
      out += "# " + name + "," + number(v.at(0)) + "\n";
  }
  out += "sample,s,estimate\n";
  for (std::size_t i = 0; i < s->numel(); ++i)
    out += std::to_string(i + 1) + "," + number(s->at(i)) + "," + number(e->at(i)) + "\n";
  return out;
}

RecordExport recordMat(const NamedValues& extra) {
  NamedValues vars = currentRecordVariables();
  vars.insert(vars.end(), extra.begin(), extra.end());
  PrivateFolder tmp;
  const std::string file = tmp.file("record.mat");
  saveMatFile(file, vars);
  return {recordName() + ".mat", readWhole(file)};
}

RecordExport recordCsv(const NamedValues& extra) {
  NamedValues vars = currentRecordVariables();
  for (const auto& [name, v] : extra)
    if (v.isDouble() && v.numel() == 1) vars.emplace_back(name, v);
  return {recordName() + ".csv", recordCsvText(vars)};
}

}  // namespace kh::editor
