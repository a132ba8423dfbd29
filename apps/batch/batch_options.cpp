#include "apps/batch/batch_options.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace khost::batch {
namespace {

// A whole number from lo to hi, written in decimal digits and nothing else.
bool wholeNumber(const std::string& text, long lo, long hi, int* out) {
  if (text.empty() || text.size() > 12) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  errno = 0;
  const long v = std::strtol(text.c_str(), nullptr, 10);
  if (errno != 0 || v < lo || v > hi) return false;
  *out = static_cast<int>(v);
  return true;
}

// Comma-separated whole numbers; exactly `count` of them.
bool numberList(const std::string& text, std::size_t count, std::vector<std::string>* parts) {
  parts->clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    parts->push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return parts->size() == count;
}

bool parseWindows(const std::string& text, Settings* s, std::string* error) {
  std::vector<std::string> p;
  if (!numberList(text, 3, &p)) {
    *error = "--windows needs three numbers NS,NM,NL, not '" + text + "'";
    return false;
  }
  const struct {
    const char* which;
    WholeRange range;
    int* to;
  } windows[] = {{"small", kNsmallRange, &s->nsmall},
                 {"medium", kNmediumRange, &s->nmedium},
                 {"large", kNlargeRange, &s->nlarge}};
  for (std::size_t k = 0; k < 3; ++k)
    if (!wholeNumber(p[k], windows[k].range.lo, windows[k].range.hi, windows[k].to)) {
      *error = std::string("--windows: the ") + windows[k].which +
               " window is a whole number from " + std::to_string(windows[k].range.lo) + " to " +
               std::to_string(windows[k].range.hi) + ", not '" + p[k] + "'";
      return false;
    }
  return true;
}

bool parseMarkers(const std::string& text, Settings* s, std::string* error) {
  std::vector<std::string> p;
  if (!numberList(text, 2, &p)) {
    *error = "--markers needs two numbers T2,T3 (samples after the click), not '" + text + "'";
    return false;
  }
  int a = 0, b = 0;
  if (!wholeNumber(p[0], 50, 4949, &a)) {
    *error = "--markers: T2 lies 50 to 4949 samples after the click, not '" + p[0] + "'";
    return false;
  }
  if (!wholeNumber(p[1], 100, 4999, &b) || b - a < 50) {
    *error =
        "--markers: T3 lies at least 50 samples after T2 and at most 4999 after the click, "
        "not '" +
        p[1] + "'";
    return false;
  }
  s->t2Offset = a;
  s->t3Offset = b;
  return true;
}

}  // namespace

bool parseEstimateOptions(const std::vector<std::string>& args, EstimateOptions* opts,
                          std::string* error) {
  bool haveOut = false;
  bool filesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (filesOnly || a.empty() || a[0] != '-' || a == "-") {
      opts->files.push_back(a);
      continue;
    }
    if (a == "--") {
      filesOnly = true;
      continue;
    }
    // --name VALUE or --name=VALUE
    std::string name = a, value;
    bool inlineValue = false;
    if (const std::size_t eq = a.find('='); eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      inlineValue = true;
    }
    auto takeValue = [&]() {
      if (inlineValue) return true;
      if (i + 1 >= args.size()) {
        *error = "option " + name + " needs a value";
        return false;
      }
      value = args[++i];
      return true;
    };
    auto noValue = [&]() {
      if (!inlineValue) return true;
      *error = "option " + name + " takes no value";
      return false;
    };
    if (name == "--help" || name == "-h") {
      opts->help = true;
      return true;
    } else if (name == "--out") {
      if (!takeValue()) return false;
      if (value.empty()) {
        *error = "--out needs a folder";
        return false;
      }
      opts->outDir = value;
      haveOut = true;
    } else if (name == "--windows") {
      if (!takeValue() || !parseWindows(value, &opts->settings, error)) return false;
    } else if (name == "--lpoly") {
      if (!takeValue()) return false;
      if (!wholeNumber(value, kLpolyRange.lo, kLpolyRange.hi, &opts->settings.lpoly)) {
        *error = "--lpoly needs a whole number from " + std::to_string(kLpolyRange.lo) + " to " +
                 std::to_string(kLpolyRange.hi) + ", not '" + value + "'";
        return false;
      }
    } else if (name == "--fit") {
      if (!noValue()) return false;
      opts->settings.fit = true;
    } else if (name == "--markers") {
      if (!takeValue() || !parseMarkers(value, &opts->settings, error)) return false;
    } else if (name == "--jobs") {
      if (!takeValue()) return false;
      if (!wholeNumber(value, 1, 256, &opts->jobs)) {
        *error = "--jobs needs a whole number from 1 to 256, not '" + value + "'";
        return false;
      }
    } else if (name == "--csv") {
      if (!noValue()) return false;
      opts->csv = true;
    } else if (name == "--reviewed") {
      if (!noValue()) return false;
      opts->reviewed = true;
    } else if (name == "--clicks") {
      if (!takeValue()) return false;
      if (value.empty()) {
        *error = "--clicks needs a click list";
        return false;
      }
      opts->sources.clicks = value;
    } else if (name == "--channel") {
      if (!takeValue()) return false;
      if (!wholeNumber(value, 1, 1024, &opts->sources.channel)) {
        *error = "--channel needs a whole number from 1 to 1024, not '" + value + "'";
        return false;
      }
    } else {
      *error = "unknown option " + name +
               " for --estimate (host options such as --library go "
               "before --estimate; after '--' every word is a file)";
      return false;
    }
  }
  if (!haveOut) {
    *error = "--estimate needs --out DIR, the folder for the results";
    return false;
  }
  if (opts->files.empty()) {
    *error = "--estimate needs at least one FILE.mat";
    return false;
  }
  if (!opts->sources.clicks.empty() && opts->files.size() != 1) {
    *error = "--clicks is the click list of a single sound file, and " +
             std::to_string(opts->files.size()) + " files are given";
    return false;
  }
  if (!opts->sources.clicks.empty() && !kh::editor::isSoundFile(opts->files[0])) {
    *error = "--clicks is the click list of a sound file (.wav, .flac, .aiff, ...), and '" +
             opts->files[0] + "' is not one";
    return false;
  }
  return true;
}

const char* estimateUsageText() {
  return "Batch estimation:\n"
         "  kestrel-host [--library PATH] --estimate FILE... --out DIR [--windows NS,NM,NL]\n"
         "               [--lpoly N] [--fit] [--markers T2,T3] [--jobs N] [--csv] [--reviewed]\n"
         "               [--clicks LIST] [--channel N]\n"
         "\n"
         "  Computes for every record the estimate the pulse editor shows right after\n"
         "  loading it, through the library's kestrel/pulse_estimate. A FILE is\n"
         "  - a record file: a MAT file with `s`, a real vector of at least 5000\n"
         "    samples, and `cl`, the click: a whole sample number from 21 to 5000\n"
         "    (the estimate fades in over the 20 samples before it), whatever\n"
         "    --markers says. Only the first 5000 samples are used; as the editor\n"
         "    plots them from 1.1 times the smallest to 1.1 times the largest, they\n"
         "    must be finite or NaN, below about 1.6e308 in size, not all NaN and not\n"
         "    all equal;\n"
         "  - a recording: a MAT file whose `cl` lists several clicks of its `s` (or\n"
         "    one beyond 3450 in an `s` longer than 5000 samples), or a sound file\n"
         "    (.wav .wave .flac .aif .aiff .au .caf .w64 .rf64) with its click list\n"
         "    NAME.clicks.csv beside it. Each click gives a record: the 5000 samples\n"
         "    with the click on the record's sample 1001, shifted near either end to\n"
         "    stay inside the recording; a click too near an end for the editor's\n"
         "    markers (20 samples before it, 1550 after) is refused with the reason.\n"
         "    A sound file's samples are libsndfile's, integer samples scaled to\n"
         "    -1..1. A click list holds one sample number a line, or is a table whose\n"
         "    header names its column (sample, click, position or index); lines\n"
         "    starting with # are passed over. An entry that is not a whole sample\n"
         "    number of the recording, repeats one or comes before the one above it\n"
         "    is reported with its line (or entry of `cl`) and left out.\n"
         "  Sample numbers count from 1 in the recording: `cl`, the click lists, and\n"
         "  the click in summary.csv; T1 T2 T3 and `cl` in the results count in the\n"
         "  record, offset being the number of the recording's samples before it.\n"
         "  Any FILE that cannot be read is reported with the reason.\n"
         "  Results go to DIR/NAME.mat (NAME: the file's name without its extension,\n"
         "  and for a record of a recording NAME-cK, K being the click's place in its\n"
         "  list) with the variables of the editor's MAT export: s, cl, T1 T2 T3,\n"
         "  Nsmall Nmedium Nlarge, Lpoly, pf, estimate; and, as a review's results\n"
         "  file, source (the FILE's absolute path), offset, history and historyAt.\n"
         "  DIR is a review's results folder (--review PATH... --results DIR):\n"
         "  summary.csv there gets a row for every record the run handled,\n"
         "  \"estimated\" or \"refused\" with the reason, and a run does not start\n"
         "  while a review uses DIR.\n"
         "\n"
         "  --out DIR          the folder for the results (made when missing); an\n"
         "                     earlier run's result of the same name is replaced, a\n"
         "                     second input of the same NAME in one run is an error\n"
         "  --windows NS,NM,NL the small, medium and large windows in samples (the\n"
         "                     editor's sliders: 3..201, 5..801, 5..2001; default\n"
         "                     21,101,401)\n"
         "  --lpoly N          the fit's block length, 8..1000 (default 100)\n"
         "  --fit              the polynomial fit on (default off)\n"
         "  --markers T2,T3    the second and third markers' distances from the click, in\n"
         "                     samples: the markers stand at cl, cl + T2 and cl + T3,\n"
         "                     as if dragged there in the editor, which keeps each\n"
         "                     at least 50 samples after the one before (50 <= T2,\n"
         "                     T2 + 50 <= T3 <= 4999); the default 500,1550 is where\n"
         "                     the editor's load places them\n"
         "  --jobs N           N worker processes, 1..256 (default 1)\n"
         "  --csv              also DIR/NAME.csv, as the figure page's CSV export (a\n"
         "                     run without it removes an older NAME.csv, so a NAME.csv\n"
         "                     is always that of the NAME.mat beside it)\n"
         "  --clicks LIST      the click list of the one sound FILE given (default:\n"
         "                     NAME.clicks.csv beside it)\n"
         "  --channel N        the channel of a sound file, 1..1024 (default 1, the\n"
         "                     first)\n"
         "  --reviewed         a record whose DIR/NAME.mat already holds results of the\n"
         "                     same samples (a review's, or an earlier run's) is\n"
         "                     estimated with the settings saved there, markers\n"
         "                     included, and keeps its undo history and its state\n"
         "                     in summary.csv (\"saved\" stays \"saved\")\n"
         "\n"
         "  A result is whole or absent, and its MAT and CSV files are there together\n"
         "  or not at all: both are written in the run's hidden folder\n"
         "  DIR/.kestrel-partial-*, a pending record naming them is made there, and\n"
         "  then they are renamed into place, the CSV file first. A run stopped by\n"
         "  SIGINT, SIGTERM or SIGHUP lets the results being renamed finish, then\n"
         "  removes its temporaries. A run killed outright (SIGKILL) may leave a\n"
         "  result half renamed, with its hidden folder: the next run into DIR\n"
         "  completes that result before anything else and removes the folder (not\n"
         "  one whose run still lives). Every failing file gets one line on standard\n"
         "  error; a summary ends the run. Exit status: 0 all written, 1 some failed\n"
         "  (or a click list or `cl` had bad entries, or summary.csv could not be\n"
         "  written), 2 bad usage or DIR in use by a review.\n";
}

}  // namespace khost::batch
