// The records of a review: what the person named on the command line
// (folders of record files and single files), one entry per record, in
// order. A record is a whole file today; the entry also names where the
// record starts in its source, so that a cut of a longer recording can be
// one.
#pragma once

#include <string>
#include <vector>

#include "editor/results/summary_file.h"

namespace kh::editor {

struct ReviewRecord {
  std::string name;    // its name in the results: NAME.mat
  std::string source;  // the file it is read from
  double offset = 0;   // samples of the source before the record's first
  double click = 0;    // the click, in the source's samples (0: not known yet)
  RecordState state = RecordState::NotOpened;
  std::string reason;   // why it was refused, or why its saved state was not applied
  std::string changed;  // when its results last changed
  bool hasSettings = false;
  Settings settings{};
};

// The records of the given paths: each folder's .mat files in name order
// (digits counted as numbers), each file as itself, in the order given.
// Raises, naming the path, when one is neither. A record whose name another
// has already is listed as refused, with the reason.
std::vector<ReviewRecord> listRecords(const std::vector<std::string>& paths);

// Where a review's results go unless --results says: kestrel-results beside
// the first path.
std::string defaultResultsFolder(const std::string& firstPath);

// The row of summary.csv for a record.
SummaryRow summaryRow(const ReviewRecord& r);
// Takes what a summary says of each record (by name) into the list.
void takeSummary(std::vector<ReviewRecord>& records, const std::vector<SummaryRow>& rows);

}  // namespace kh::editor
