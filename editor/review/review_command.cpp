// The prompt's `review` command: the same review the page drives.
//
//   review              where the review stands
//   review list         every record with its click and state
//   review next         the next record that opens (also: review previous)
//   review open N       record N (counted from 1) or the record named N
//   review undo         undo, redo or reset the record shown
//   review redo
//   review reset
//   review save         save the record shown again (after a failed save)
#include "editor/review/review.h"
#include "host/builtins/registry.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/shell/help/help_sources.h"

namespace kh::editor {
namespace {

Review* promptReview = nullptr;

std::string word(const Value& v) {
  if (!v.isChar()) raise("review takes words: review next, review open 3, review undo, ...");
  return v.utf8();
}

}  // namespace

void setPromptReview(Review* review) { promptReview = review; }

constexpr const char* kHelp = R"(== review | The pulse editor
Step through a review of many records, and undo its edits.
  review
  review list
  review next
  review previous
  review open N
  review open NAME
  review undo
  review redo
  review reset
  review save
Drives the review the host was started with (kestrel-host --review
PATH...), as the page's record list does, and the page follows. Without a
word, where the review stands: the record shown, its click and state, the
steps to undo and redo, the counts of each state and the results folder.
list shows every record; next and previous open the next or previous
record that is not refused; open takes a record's number (from 1) or its
name. undo, redo and reset act on the record shown and are saved like any
edit; save saves it again after a save failed.
)";

void registerReviewCommand() {
  addHelpText(kHelp, "review");
  registerBuiltin("review", [](Call& c) {
    c.counts(0, 2, 0);
    if (!promptReview)
      raise("No review is open: start the host with --review FOLDER (or record files).");
    Review& r = *promptReview;
    const std::string what = c.nargin() == 0 ? "" : word(c.arg(0));
    if (c.nargin() == 2 && what != "open") raise("Only 'review open' takes a record.");
    if (what.empty()) {
      emit(r.status());
      return;
    }
    if (what == "list") {
      emit(r.listing());
      return;
    }
    if (what == "next")
      r.next();
    else if (what == "previous" || what == "prev")
      r.previous();
    else if (what == "open") {
      if (c.nargin() != 2) raise("review open needs a record: its number or its name.");
      r.open(r.find(word(c.arg(1))));
    } else if (what == "undo")
      r.undo();
    else if (what == "redo")
      r.redo();
    else if (what == "reset")
      r.reset();
    else if (what == "save")
      r.save();
    else
      raise("Unknown review command '" + what.substr(0, 40) +
            "': use list, next, previous, open N, undo, redo, reset or save.");
    emit(r.status());
    return;
  });
}

}  // namespace kh::editor
