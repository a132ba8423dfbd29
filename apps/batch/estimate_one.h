// The estimate of one record file, as the pulse editor computes it right
// after loading the record: the first 5000 samples of `s`, the markers at the
// click and the given distances after it (or the settings a review left for
// the record), through the loaded library's kestrel/pulse_estimate, called by
// name like any feval.
#pragma once

#include <string>

#include "apps/batch/batch_options.h"
#include "editor/editor_settings.h"
#include "host/datafile/matfile.h"
#include "runtime/mx_types.h"

namespace khost::batch {

// A record file as the editor's load takes it.
struct Record {
  kh::Value seg;     // s(1:5000), the samples the editor works on
  double click = 0;  // cl
};

class RecordEstimator {
 public:
  // Finds kestrel/pulse_estimate in the loaded library; raises an MError when
  // the library has none.
  explicit RecordEstimator(const Settings& settings);

  // Reads `s` and `cl` from file. Raises an MError with the loader's message
  // when the file cannot be read, or with the reason when it is not a record
  // the editor's load and the estimate take with the command line's markers.
  Record read(const std::string& file) const;
  // The same for a record whose `s` and `cl` are given: a cut of a longer
  // recording is taken exactly as a record file holding it would be.
  Record take(const kh::Value& s, const kh::Value& cl) const;
  // The editor's settings for the record with the command line's: the
  // markers at the click and the distances after it, the windows, the block
  // length and the fit switch.
  kh::editor::Settings settingsFor(const Record& r) const;
  // Why the record cannot be estimated with settings saved for it (a
  // review's), or "" when it can: each one as the editor could have left
  // it, within the ranges of its sliders, the markers where its load put
  // them or where a drag can take them.
  static std::string checkSaved(const Record& r, const kh::editor::Settings& saved);

  // The variables of the editor's MAT export for the record with these
  // settings: s, cl, T1 T2 T3, Nsmall Nmedium Nlarge, Lpoly, pf and
  // estimate. Raises an MError with the library's message when the
  // estimate fails.
  kh::NamedValues estimate(const Record& r, const kh::editor::Settings& s) const;

 private:
  Record take(const kh::Value* s, const kh::Value* cl) const;  // null: the file lacks it

  Settings settings_;
  mxFunctionPtr pulseEstimate_ = nullptr;
};

}  // namespace khost::batch
