// Which result each record of a run gets: DIR/NAME.mat (and DIR/NAME.csv),
// NAME being the input file's name without its extension, or that with
// "-cK" for the K-th click of a recording. Decided for the whole run before
// any work starts, so that two records never write one result.
#pragma once

#include <string>
#include <vector>

namespace khost::batch {

// A record to place: its input file as given, its NAME and the words that
// name it in a report ("FILE", or "FILE, click K of N").
struct OutputRequest {
  std::string input;
  std::string name;
  std::string shown;
};

struct PlannedOutput {
  std::string name;     // NAME, the results' file names without extension
  std::string problem;  // when not empty: the record is refused for this reason
  // The record has NAME to itself, so the results' summary.csv may speak of
  // it under that name (not so when NAME is another record's, or the result
  // would be the input file itself).
  bool ownsName = true;
};

// One entry per record, in the records' order. A record whose NAME an
// earlier record of the list has already taken is refused (the first keeps
// it), and so is one whose result would replace its input file itself or
// one of the results folder's own files (summary.csv).
std::vector<PlannedOutput> planOutputs(const std::vector<OutputRequest>& records,
                                       const std::string& outDir, bool csv);

}  // namespace khost::batch
