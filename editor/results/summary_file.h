// summary.csv of a results folder: one row per record, as the review and
// the batch leave it, for a person (or a spreadsheet, or Python's csv) to
// read. Columns: name, source, offset, click, T1, T2, T3, Nsmall, Nmedium,
// Nlarge, Lpoly, pf, state, reason, changed. Numbers are written so that
// they read back exactly; a value not known is an empty field.
#pragma once

#include <string>
#include <vector>

#include "editor/editor_settings.h"

namespace kh::editor {

// What a results folder says of a record.
enum class RecordState { NotOpened, Estimated, Saved, Edited, Refused };
// "not opened", "estimated" (by a batch run, not yet opened in a review),
// "saved" (opened in a review; the results hold what it shows), "edited"
// (changed in a review, the change not yet saved), "refused".
const char* stateText(RecordState s);
// The state a text names; false when it names none.
bool stateFromText(const std::string& text, RecordState* out);

struct SummaryRow {
  std::string name;    // NAME of NAME.mat
  std::string source;  // the record's file
  double offset = 0;   // where the record starts in its source, in samples before it
  double click = 0;    // the click, in the source's samples (0: not known)
  bool hasSettings = false;
  Settings settings{};  // T1 T2 T3 in the record's samples
  RecordState state = RecordState::NotOpened;
  std::string reason;   // why it was refused
  std::string changed;  // when its results last changed (UTC, ISO 8601)
};

// The whole file's text, its header first.
std::string summaryText(const std::vector<SummaryRow>& rows);
// The header line and one row's line, each with its line break.
std::string summaryHeader();
std::string summaryLine(const SummaryRow& row);
// The rows of a summary's text. Rows that cannot be read are passed over
// (the results files are the record; the summary is their table).
std::vector<SummaryRow> parseSummary(const std::string& text);

// The time now as summary.csv writes it: 2026-12-10T03:21:07Z.
std::string timeNow();

}  // namespace kh::editor
