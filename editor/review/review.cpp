#include "editor/review/review.h"

#include <sys/stat.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <unordered_set>

#include "editor/editor_figure.h"
#include "editor/open_record.h"
#include "editor/private_folder.h"
#include "editor/record_export.h"
#include "host/context/context.h"
#include "host/context/globals.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/tree.h"
#include "host/kernels/arrays/query.h"
#include "host/values/handle.h"

namespace kh::editor {
namespace {

using nlohmann::json;

const Value* global(const char* name) {
  mxArray** slot = findGlobalSlot(name);
  return slot && *slot ? &valueOf(*slot) : nullptr;
}

// A person is dragging a marker: the editor's figure waits for the button
// to come up.
bool dragging() {
  gfx::Object* button = loadButton();
  gfx::Object* fig = button ? gfx::Tree::figureOf(button) : nullptr;
  return fig && !gfx::rawText(fig, "WindowButtonUpFcn").empty();
}

// The seconds since 1970 a summary's time stands for (0 when none).
double timeOf(const std::string& iso) {
  std::tm tm{};
  const char* end = strptime(iso.c_str(), "%Y-%m-%dT%H:%M:%SZ", &tm);
  return end && *end == 0 ? static_cast<double>(timegm(&tm)) : 0;
}

double modified(const std::string& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return -1;
  return static_cast<double>(st.st_mtim.tv_sec) + 1e-9 * static_cast<double>(st.st_mtim.tv_nsec);
}

// A record as the person knows it.
const std::string& shown(const ReviewRecord& r) { return r.label.empty() ? r.name : r.label; }

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", v);
  return text;
}

}  // namespace

Review::Review(std::vector<ReviewRecord> records, std::unique_ptr<ResultsFolder> results,
               const SourceOptions& sources)
    : records_(std::move(records)),
      results_(std::move(results)),
      lines_(records_.size()),
      reader_(sources) {
  // Results that would replace the records themselves are refused before
  // anything is written.
  for (const ReviewRecord& r : records_) {
    std::error_code ec;
    if (std::filesystem::equivalent(r.source, results_->fileOf(r.name), ec))
      raise("The results folder '" + results_->path() + "' holds the records themselves: " +
            r.name + ".mat would be replaced by its results. Give another folder with --results.");
  }
  const std::vector<SummaryRow> summary = results_->readSummary();
  takeSummary(records_, summary);
  // Rows of records this review does not list (a batch run's over more
  // inputs) stay in the summary.
  std::unordered_set<std::string> ours;
  for (const ReviewRecord& r : records_) ours.insert(r.name);
  for (const SummaryRow& row : summary)
    if (!ours.count(row.name)) others_ += summaryLine(row);
  // Results written after their row (a host killed between the two
  // writes, a batch run killed before it wrote its rows, results without
  // a summary) are read themselves.
  for (ReviewRecord& r : records_) {
    if (r.refusedByList) continue;
    const double t = modified(results_->fileOf(r.name));
    if (t < 0 || (r.hasSettings && t < timeOf(r.changed) + 1)) continue;
    std::string why;
    protect(
        [&] {
          const SavedRecord saved = results_->readRecord(r.name);
          r.hasSettings = true;
          r.settings = saved.settings;
          if (r.click == 0) r.click = saved.settings[kT1] + r.offset;
          if (r.state == RecordState::NotOpened || r.state == RecordState::Refused) {
            r.state = RecordState::Saved;
            r.reason.clear();
          }
        },
        &why);
  }
}

Review::~Review() = default;

void Review::start() {
  const std::string last = results_->lastViewed();
  for (std::size_t i = 0; i < records_.size(); ++i)
    if (records_[i].name == last && records_[i].state != RecordState::Refused) {
      std::string why;
      if (protect([&] { open(i); }, &why)) return;
      emitError("??? " + why + "\n");
      break;
    }
  std::string why;
  if (!protect([&] { next(); }, &why)) emitError("??? " + why + "\n");
}

void Review::load(std::size_t i) {
  const ReviewRecord& r = records_[i];
  if (r.cut) {
    // The cut as a record file of its own: its samples, and the click
    // counted in them.
    PrivateFolder tmp;
    const std::string file = tmp.file("record.mat");
    saveMatFile(file, {{"s", reader_.samples(r.source, r.offset, kRecordLength)},
                       {"cl", Value::scalar(r.click - r.offset)}});
    openRecordFile(file, r.name);
  } else {
    reader_.forget();
    openRecordFile(r.source, r.source);
  }
  const std::optional<Settings> s = currentSettings();
  const Value* seg = global("seg");
  if (!s || !seg) raise("The editor's load of '" + records_[i].source + "' set no markers.");
  loaded_ = *s;
  length_ = static_cast<int>(seg->numel());
  line_ = estimateLine();
}

void Review::open(std::size_t i) {
  catchUp();
  if (i >= records_.size())
    raise("There is no record " + std::to_string(i + 1) + ": the review has " +
          std::to_string(records_.size()) + ".");
  ReviewRecord& r = records_[i];
  if (r.refusedByList) raise(r.label + " is refused: " + r.reason + ".");
  std::string why;
  if (!protect([&] { load(i); }, &why)) {
    r.state = RecordState::Refused;
    r.reason = why;
    r.changed = timeNow();
    changedRow(i);
    saveSummary();
    raise(why);
  }
  if (current_ && *current_ != i) changedRow(*current_);
  current_ = i;
  changedRow(i);
  r.click = loaded_[kT1] + r.offset;
  if (r.state == RecordState::Refused) r.state = RecordState::NotOpened;
  r.reason.clear();
  history_ = History({loaded_}, 0);

  const std::string file = results_->fileOf(r.name);
  if (std::filesystem::exists(file)) {
    // Its saved state, through the same events as a person's hand.
    std::string note;
    SavedRecord saved;
    if (!protect([&] { saved = results_->readRecord(r.name); }, &note)) {
      note = "its results file cannot be read: " + note;
    } else if (const Value* seg = global("seg"); !seg || !isEqual(saved.s, *seg)) {
      note = "its results file " + file + " holds another record than " + r.source;
    } else if (std::string bad = checkSettings(saved.settings, loaded_, length_); !bad.empty()) {
      note = bad;
    } else if (std::string failed; !protect([&] { bringTo(saved.settings); }, &failed)) {
      note = failed;
    } else {
      history_ = History(saved.history, saved.historyAt);
      if (r.state == RecordState::NotOpened) r.state = RecordState::Saved;
    }
    if (!note.empty()) {
      r.reason = "its saved state was not applied: " + note;
      emitError("??? " + shown(r) + ": " + r.reason + "\n");
    }
  } else {
    r.state = RecordState::Edited;
    saveNow();
  }
  std::string why2;
  if (!protect([&] { results_->setLastViewed(r.name); }, &why2)) saveError_ = why2;
}

void Review::step(bool forward) {
  // Without a record shown, from before the first (or after the last).
  std::size_t i = current_ ? *current_ : (forward ? static_cast<std::size_t>(-1) : records_.size());
  bool passed = false;  // refused ones were passed over
  for (;;) {
    if (forward ? i + 1 >= records_.size() : i == 0)  // (-1 + 1 wraps to 0)
      raise(std::string(forward ? "This is the last record" : "This is the first record") +
            (passed ? " that opens" : "") + " of the review.");
    i = forward ? i + 1 : i - 1;
    if (records_[i].state == RecordState::Refused) {
      passed = true;
      continue;
    }
    std::string why;
    if (protect([&] { open(i); }, &why)) return;
    emitError("??? " + shown(records_[i]) + " is refused: " + why + "\n");
    passed = true;
  }
}

void Review::next() { step(true); }

void Review::previous() { step(false); }

void Review::bringTo(const Settings& target) {
  const std::optional<Settings> now = currentSettings();
  if (!current_ || !now) raise("No record of the review is shown.");
  // A marker where only the load can put it (nearer an end than a drag
  // goes) is put there by loading the record again.
  if (!reachable(*now, target, length_)) load(*current_);
  applySettings(target);
}

void Review::undo() {
  catchUp();
  if (!current_) raise("No record of the review is shown.");
  if (history_.undoable() == 0)
    raise("Nothing to undo: " + records_[*current_].name + " is as it was first opened.");
  bringTo(history_.before());
  history_.moveBack();
  saveNow();
}

void Review::redo() {
  catchUp();
  if (!current_) raise("No record of the review is shown.");
  if (history_.redoable() == 0) raise("Nothing to redo for " + records_[*current_].name + ".");
  bringTo(history_.after());
  history_.moveForward();
  saveNow();
}

void Review::reset() {
  catchUp();
  if (!current_) raise("No record of the review is shown.");
  const Settings first = history_.states().front();
  bringTo(first);
  history_.push(first);
  saveNow();
}

void Review::save() {
  if (!current_) raise("No record of the review is shown.");
  if (!saveNow()) raise(saveError_);
}

bool Review::saveNow() {
  unsaved_ = false;
  ReviewRecord& r = records_[*current_];
  std::string why;
  const bool ok = protect(
      [&] {
        RecordResults res{currentRecordVariables(), r.source, r.offset, history_.states(),
                          history_.at()};
        results_->saveRecord(r.name, res);
      },
      &why);
  r.hasSettings = true;
  r.settings = history_.shown();
  r.changed = timeNow();
  changedRow(*current_);
  if (!ok) {
    r.state = RecordState::Edited;
    saveError_ = why;
    emitError("??? " + why + " The change stays in this session and is saved with the next one.\n");
    saveSummary();
    return false;
  }
  r.state = RecordState::Saved;
  saveError_.clear();
  saveSummary();
  return saveError_.empty();
}

void Review::saveSummary() {
  std::string why;
  // Only the lines of records that changed are made again.
  std::string text = summaryHeader();
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (lines_[i].empty()) lines_[i] = summaryLine(summaryRow(records_[i]));
    text += lines_[i];
  }
  text += others_;
  if (!protect([&] { results_->saveSummaryText(text); }, &why)) {
    if (saveError_.empty()) {
      saveError_ = why;
      emitError("??? " + why + "\n");
    }
  }
}

void Review::pageAction(const json& msg) {
  auto action = msg.find("action");
  if (action == msg.end() || !action->is_string()) raise("A review message needs an 'action'.");
  const std::string a = action->get<std::string>();
  if (a == "next") {
    next();
  } else if (a == "previous") {
    previous();
  } else if (a == "open") {
    auto index = msg.find("index");
    if (index == msg.end() || !index->is_number() || index->get<double>() < 0 ||
        index->get<double>() != std::floor(index->get<double>()) ||
        index->get<double>() >= static_cast<double>(records_.size()))
      raise("'index' must name a record of the review.");
    open(static_cast<std::size_t>(index->get<double>()));
  } else if (a == "undo") {
    undo();
  } else if (a == "redo") {
    redo();
  } else if (a == "reset") {
    reset();
  } else if (a == "save") {
    save();
  } else {
    raise("Unknown review action '" + a.substr(0, 40) + "'.");
  }
}

void Review::catchUp() {
  // A change made since the last look (a prompt line that edits and then
  // moves on) is a step of its own, saved before anything else happens.
  if (current_ && estimateLine() == line_ && !dragging())
    if (const std::optional<Settings> now = currentSettings(); now && history_.record(*now))
      unsaved_ = true;
  if (unsaved_ && current_) saveNow();
}

bool Review::settle() {
  if (!unsaved_ || !current_) return unsaved_ = false;
  unsaved_ = false;
  saveNow();
  return true;
}

std::vector<std::string> Review::afterChange() {
  if (current_) {
    if (estimateLine() != line_) {
      // Another load replaced the review's record in the editor.
      changedRow(*current_);
      current_.reset();
    } else if (!dragging()) {
      const std::optional<Settings> now = currentSettings();
      if (now && history_.record(*now)) unsaved_ = true;
    }
  }
  std::vector<std::string> out;
  if (whole_ || !stateSent_) {
    whole_ = false;
    stateSent_ = true;
    dirty_.clear();
    out.push_back(wholeMessage());
    lastSmall_ = smallFields().dump();
    return out;
  }
  const std::string small = smallFields().dump();
  if (dirty_.empty() && small == lastSmall_) return out;
  json m = smallFields();
  m["type"] = "review-update";
  json rows = json::array();
  for (std::size_t i : dirty_) rows.push_back(json::array({i, row(i)}));
  m["rows"] = rows;
  dirty_.clear();
  lastSmall_ = small;
  out.push_back(m.dump());
  return out;
}

NamedValues Review::exportExtras() const {
  if (!current_ || !records_[*current_].cut) return {};
  const ReviewRecord& r = records_[*current_];
  return {{"source", Value::str(std::string_view(r.source))}, {"offset", Value::scalar(r.offset)}};
}

double Review::offset() const { return current_ ? records_[*current_].offset : 0; }

json Review::row(std::size_t i) const {
  const ReviewRecord& r = records_[i];
  return json::array({r.label.empty() ? r.name : r.label,
                      r.click > 0 ? json(r.click) : json(nullptr), stateText(r.state), r.reason});
}

json Review::smallFields() const {
  return json{{"current", current_ ? json(*current_) : json(nullptr)},
              {"undo", current_ ? history_.undoable() : 0},
              {"redo", current_ ? history_.redoable() : 0},
              {"error", saveError_}};
}

std::string Review::wholeMessage() const {
  json m = smallFields();
  m["type"] = "review";
  m["results"] = results_->path();
  json rows = json::array();
  for (std::size_t i = 0; i < records_.size(); ++i) rows.push_back(row(i));
  m["records"] = std::move(rows);
  return m.dump();
}

std::string Review::status() const {
  std::size_t counts[5] = {0, 0, 0, 0, 0};
  for (const ReviewRecord& r : records_) ++counts[static_cast<int>(r.state)];
  std::string out;
  if (current_) {
    const ReviewRecord& r = records_[*current_];
    out = "Record " + std::to_string(*current_ + 1) + " of " + std::to_string(records_.size()) +
          ": " + shown(r) + " (click " + number(r.click) + ", " + stateText(r.state) + "); " +
          std::to_string(history_.undoable()) + " to undo, " + std::to_string(history_.redoable()) +
          " to redo.\n";
  } else {
    out = "No record of the review's " + std::to_string(records_.size()) + " is shown.\n";
  }
  out += std::to_string(counts[2] + counts[3]) + " saved, " + std::to_string(counts[1]) +
         " estimated, " + std::to_string(counts[0]) + " not opened, " + std::to_string(counts[4]) +
         " refused; results in " + results_->path() + "\n";
  if (!saveError_.empty()) out += "Not saved: " + saveError_ + "\n";
  return out;
}

std::string Review::listing() const {
  std::string out;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    const ReviewRecord& r = records_[i];
    char head[64];
    std::snprintf(head, sizeof head, "%c %5zu  ", current_ && *current_ == i ? '>' : ' ', i + 1);
    out += head + shown(r) + "  " + (r.click > 0 ? "click " + number(r.click) : "click ?") + "  " +
           stateText(r.state) + (r.reason.empty() ? "" : ": " + r.reason) + "\n";
  }
  return out;
}

std::size_t Review::find(const std::string& which) const {
  char* end = nullptr;
  const double n = std::strtod(which.c_str(), &end);
  if (!which.empty() && end && *end == 0) {
    if (n >= 1 && n <= static_cast<double>(records_.size()) && n == std::floor(n))
      return static_cast<std::size_t>(n) - 1;
    raise("There is no record " + which + ": the review has " + std::to_string(records_.size()) +
          " (numbered from 1).");
  }
  for (std::size_t i = 0; i < records_.size(); ++i)
    if (records_[i].name == which) return i;
  raise("No record of the review is named '" + which + "'.");
}

}  // namespace kh::editor
