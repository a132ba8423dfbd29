// Which result each input file gets: DIR/NAME.mat (and DIR/NAME.csv), NAME
// being the input's file name without its extension. Decided for the whole
// run before any work starts, so that two inputs never write one result.
#pragma once

#include <string>
#include <vector>

namespace khost::batch {

struct PlannedOutput {
  std::string name;     // NAME, the results' file names without extension
  std::string problem;  // when not empty: the input is refused for this reason
  // The input has NAME to itself, so the results' summary.csv may speak of
  // it under that name (not so when NAME is another input's, or the result
  // would be the input file itself).
  bool ownsName = true;
};

// One entry per input, in the inputs' order. An input whose NAME an earlier
// input of the list has already taken is refused (the first keeps it), and
// so is one whose result would replace the input file itself or one of the
// results folder's own files (summary.csv).
std::vector<PlannedOutput> planOutputs(const std::vector<std::string>& inputs,
                                       const std::string& outDir, bool csv);

}  // namespace khost::batch
