// The records of a review: what the person named on the command line
// (folders of record files, recordings and sound files, and single files),
// one entry per record, in order: a record file is one record, a recording
// one record per click (see editor/sources/record_source.h).
#pragma once

#include <string>
#include <vector>

#include "editor/results/summary_file.h"
#include "editor/sources/record_source.h"

namespace kh::editor {

struct ReviewRecord {
  std::string name;    // its name in the results: NAME.mat
  std::string label;   // as the list shows it
  std::string source;  // the file it is read from
  bool cut = false;    // a cut of a recording around one of its clicks
  double offset = 0;   // samples of the source before the record's first
  double click = 0;    // the click, in the source's samples (0: not known yet)
  RecordState state = RecordState::NotOpened;
  std::string reason;          // why it was refused, or why its saved state was not applied
  bool refusedByList = false;  // refused for what the list says (its name, its place in the source)
  std::string changed;         // when its results last changed
  bool hasSettings = false;
  Settings settings{};
};

// The records of the given paths: each folder's .mat and sound files in
// name order (digits counted as numbers), each file as itself, in the order
// given, each file giving its records. Raises, naming the path, when one is
// neither a file nor a folder, or a file cannot be read as a source. A
// record whose name another has already is listed as refused, with the
// reason; what a click list or a `cl` vector gives badly goes to `problems`.
std::vector<ReviewRecord> listRecords(const std::vector<std::string>& paths,
                                      const SourceOptions& options,
                                      std::vector<std::string>* problems);

// Where a review's results go unless --results says: kestrel-results beside
// the first path.
std::string defaultResultsFolder(const std::string& firstPath);

// The row of summary.csv for a record.
SummaryRow summaryRow(const ReviewRecord& r);
// Takes what a summary says of each record (by name) into the list.
void takeSummary(std::vector<ReviewRecord>& records, const std::vector<SummaryRow>& rows);

}  // namespace kh::editor
