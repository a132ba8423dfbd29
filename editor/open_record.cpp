#include "editor/open_record.h"

#include <string>
#include <vector>

#include "editor/editor_figure.h"
#include "editor/editor_settings.h"
#include "editor/editor_snapshot.h"
#include "editor/private_folder.h"
#include "editor/record_check.h"
#include "editor/record_name.h"
#include "host/context/context.h"
#include "host/context/globals.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/datafile/data_path.h"
#include "host/datafile/matfile.h"
#include "host/graphics/access.h"
#include "host/graphics/events.h"
#include "host/graphics/tree.h"
#include "host/values/handle.h"

namespace kh::editor {
namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// "ex_pulse" means a file while the load runs, and what it meant before
// afterwards, however the load ends.
class AliasScope {
 public:
  explicit AliasScope(const std::string& file) : before_(recordAlias("ex_pulse")) {
    setRecordAlias("ex_pulse", file);
  }
  ~AliasScope() { setRecordAlias("ex_pulse", before_); }
  AliasScope(const AliasScope&) = delete;
  AliasScope& operator=(const AliasScope&) = delete;

 private:
  std::string before_;
};

// A record file that holds the editor's settings (the page's MAT export, a
// batch's or a review's results) opens as it was saved: the settings are
// applied after the load, through event delivery, unless they are outside
// what the editor takes, which is reported.
void applyFileSettings(const std::string& file, const std::string& shown) {
  const NamedValues vars = loadMatFile(file, {kSettingNames.begin(), kSettingNames.end()}, shown);
  if (vars.size() != kSettingNames.size()) return;
  Settings target{};
  for (const auto& [name, v] : vars) {
    std::size_t k = 0;
    while (k < kSettingNames.size() && name != kSettingNames[k]) ++k;
    if (k == kSettingNames.size() || v.numel() != 1 || !v.isDouble() || v.isComplex()) return;
    target[k] = v.at(0);
  }
  const std::optional<Settings> loaded = currentSettings();
  const Value* seg = nullptr;
  if (mxArray** slot = findGlobalSlot("seg"); slot && *slot) seg = &valueOf(*slot);
  if (!loaded || !seg || *loaded == target) return;
  std::string why = checkSettings(target, *loaded, static_cast<int>(seg->numel()));
  if (why.empty() && protect([&] { applySettings(target); }, &why)) return;
  emitError("??? The settings saved in '" + shown + "' were not applied: " + why + ".\n");
}

}  // namespace

void openRecord(const std::string& bytes, const std::string& name) {
  if (!loadButton()) raise("No pulse editor is open: run kestrel_figure first.");
  PrivateFolder tmp;
  const std::string file = tmp.file("record.mat");
  writeNew(file, bytes);
  openRecordFile(file, name);
}

void openRecordFile(const std::string& file, const std::string& name) {
  const std::string shown = shownName(name);
  gfx::Object* button = loadButton();
  if (!button) raise("No pulse editor is open: run kestrel_figure first.");
  checkRecordFile(file, shown);

  // Everything checked. The new record's lines are drawn over the old ones
  // (the axes add to what they hold, whatever the hold state), and the old
  // ones go once the load has succeeded: a load that fails half-way leaves
  // nothing deleted that could not be put back.
  gfx::Object* fig = gfx::Tree::figureOf(button);
  const double figure = fig->handle;
  EditorSnapshot before(fig, editorLoadNames());
  const double oldLine = estimateLine();
  const Value axes = gfx::raw(fig, "CurrentAxes");
  if (gfx::Object* ax = axes.numel() == 1 ? gfx::tree().find(axes.at(0)) : nullptr)
    gfx::setProperty(ax, "NextPlot", Value::str("add"));
  gfx::setProperty(button, "Enable", Value::str("on"));
  std::string errors;
  {
    AliasScope alias(file);
    OutputCapture capture;
    std::string thrown;
    if (!protect([&] { gfx::click(button); }, &thrown)) emitError("??? " + thrown + "\n");
    errors = capture.errors();
    emit(capture.text());
  }
  // The load drew a new estimate line in this figure.
  gfx::Object* line = gfx::tree().find(estimateLine());
  const bool loaded = errors.empty() && line && line->handle != oldLine &&
                      line->type == gfx::Type::Line &&
                      gfx::tree().find(figure) == gfx::Tree::figureOf(line);
  if (!loaded) {
    if (!errors.empty()) emitError(errors);
    const bool whole = before.restore();
    // The error's own line (the lines after it say where it happened).
    std::string why = "the editor's load button did not load it.";
    if (!errors.empty()) {
      const std::size_t start = errors.find("??? ");
      why = start == std::string::npos ? errors : errors.substr(start + 4);
      why = why.substr(0, why.find('\n'));
    }
    replaceAll(why, file, shown);
    raise("The editor's load of '" + shown + "' failed, and " +
          (whole ? "the editor is as it was before" : "the editor shows what it could keep") +
          ": " + why);
  }
  // The old record's lines go.
  if (gfx::Object* ax = axes.numel() == 1 ? gfx::tree().find(axes.at(0)) : nullptr) {
    std::vector<gfx::Object*> old;
    for (gfx::Object* c : gfx::tree().visibleChildren(ax))
      if (before.had(c)) old.push_back(c);
    for (gfx::Object* c : old) gfx::tree().destroy(c);
  }
  noteOpenedRecord(name);
  applyFileSettings(file, shown);
}

}  // namespace kh::editor
