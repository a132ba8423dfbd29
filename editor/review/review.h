// A review of many records in the pulse editor: the records in order, one
// shown at a time through the editor's own load, every change a person
// makes saved at once into the results folder with the record's history,
// undo and redo over that history, and the page's list kept in step. The
// page (through the editor's add-on) and the prompt (the `review` command)
// drive the same review.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "editor/results/results_folder.h"
#include "editor/review/history.h"
#include "editor/review/record_list.h"

namespace kh::editor {

class Review {
 public:
  Review(std::vector<ReviewRecord> records, std::unique_ptr<ResultsFolder> results,
         const SourceOptions& sources = {});
  ~Review();

  // Opens the record viewed last in this results folder, else the first
  // record; a record that cannot be opened is passed over for the next.
  // The editor's figure must be open.
  void start();

  // Opens record i: the editor's load, then its saved state, if any. A
  // record that cannot be opened is marked refused with its reason, and
  // the reason raised.
  void open(std::size_t i);
  // The next / previous record that is not refused; raises at either end.
  void next();
  void previous();
  // Undo, redo and reset of the record shown; each is saved like any action.
  void undo();
  void redo();
  void reset();
  // Saves the record shown again (after a failed save).
  void save();

  // Saves what afterChange found, once the page has its answer; true when
  // there was something to save.
  bool settle();

  // A page's {"type": "review", "action": ...}.
  void pageAction(const nlohmann::json& msg);
  // After each event and prompt line: a person's completed action on the
  // record shown becomes a step of its history, to be saved by settle().
  // Returns the messages that bring the pages up to date (none when
  // nothing changed).
  std::vector<std::string> afterChange();
  // {"type": "review", ...}: the whole list, for a page that opens.
  std::string wholeMessage() const;
  // The variables the page's MAT export of the record shown adds: where a
  // cut lies in its source (none for a whole record file, or no record).
  NamedValues exportExtras() const;
  // Source samples before the record shown (0: none, or a whole file).
  double offset() const;

  // For the prompt: where the review stands, and the whole list.
  std::string status() const;
  std::string listing() const;
  // A record by its number as the prompt counts (1 is the first) or its name.
  std::size_t find(const std::string& which) const;

  std::size_t size() const { return records_.size(); }
  std::optional<std::size_t> current() const { return current_; }
  const ReviewRecord& record(std::size_t i) const { return records_[i]; }
  const ResultsFolder& results() const { return *results_; }

 private:
  void load(std::size_t i);  // the editor's load of the record, nothing more
  void bringTo(const Settings& target);
  void step(bool forward);
  bool saveNow();
  void catchUp();
  void saveSummary();
  void changedRow(std::size_t i) {
    dirty_.insert(i);
    lines_[i].clear();
  }
  nlohmann::json row(std::size_t i) const;
  nlohmann::json smallFields() const;

  std::vector<ReviewRecord> records_;
  std::unique_ptr<ResultsFolder> results_;
  std::optional<std::size_t> current_;
  double line_ = 0;    // the estimate line the record's load drew
  int length_ = 0;     // samples the editor shows
  Settings loaded_{};  // the settings the load gave it
  History history_;
  std::string saveError_;
  bool unsaved_ = false;  // a step of the history waits for settle()
  std::set<std::size_t> dirty_;
  std::vector<std::string> lines_;  // each record's line of summary.csv ("": to be made)
  std::string others_;              // the summary's lines of records not in this review, kept
  SourceReader reader_;             // the samples of the recording whose cuts are being reviewed
  bool whole_ = false;              // the whole list is to be sent again
  bool stateSent_ = false;
  std::string lastSmall_;
};

// The review the prompt's `review` command drives (none: it says so).
void setPromptReview(Review* review);
// Registers the `review` command.
void registerReviewCommand();

}  // namespace kh::editor
