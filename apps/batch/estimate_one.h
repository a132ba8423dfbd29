// The estimate of one record file, as the pulse editor computes it right
// after loading the record: the first 5000 samples of `s`, the markers at the
// click and the given distances after it, through the loaded library's
// kestrel/pulse_estimate, called by name like any feval.
#pragma once

#include <string>

#include "apps/batch/batch_options.h"
#include "host/datafile/matfile.h"
#include "runtime/mx_types.h"

namespace khost::batch {

class RecordEstimator {
 public:
  // Finds kestrel/pulse_estimate in the loaded library; raises an MError when
  // the library has none.
  explicit RecordEstimator(const Settings& settings);

  // The variables of the editor's MAT export for the record in file: s, cl,
  // T1 T2 T3, Nsmall Nmedium Nlarge, Lpoly, pf and estimate. Raises an MError
  // with the loader's or the library's message when the file cannot be read,
  // is not a record the editor opens, or the estimate fails.
  kh::NamedValues estimate(const std::string& file) const;

 private:
  Settings settings_;
  mxFunctionPtr pulseEstimate_ = nullptr;
};

}  // namespace khost::batch
