// Command line of kestrel-host --estimate: the records to estimate, where the
// results go, and the editor's settings when they are not its defaults.
#pragma once

#include <string>
#include <vector>

#include "editor/sources/record_source.h"

namespace khost::batch {

// The ranges of the editor's sliders for the windows and the block length.
struct WholeRange {
  int lo, hi;
};
inline constexpr WholeRange kNsmallRange{3, 201}, kNmediumRange{5, 801}, kNlargeRange{5, 2001},
    kLpolyRange{8, 1000};

// The pulse editor's controls and markers for one run. The defaults are what
// the editor starts with: the sliders' first values in kestrel_figure.m, the
// fit switch off, and the markers its load places (T2 = cl + 500, T3 = cl +
// 1550).
struct Settings {
  int nsmall = 21;
  int nmedium = 101;
  int nlarge = 401;
  int lpoly = 100;
  bool fit = false;
  int t2Offset = 500;   // T2 - T1
  int t3Offset = 1550;  // T3 - T1
};

struct EstimateOptions {
  std::vector<std::string> files;
  kh::editor::SourceOptions sources;  // --clicks FILE, --channel N
  std::string outDir;
  Settings settings;
  int jobs = 1;
  bool csv = false;
  bool reviewed = false;  // --reviewed: a record's saved settings over the command line's
  bool help = false;      // --help: the usage text, nothing else
};

// Parses the words after --estimate. On a bad command line returns false with
// the reason in *error.
bool parseEstimateOptions(const std::vector<std::string>& args, EstimateOptions* opts,
                          std::string* error);
const char* estimateUsageText();

}  // namespace khost::batch
