// kestrel-host --estimate: every record of the command line's files (a
// record file, or each click of a recording) estimated as the pulse editor
// would, in worker processes, with a progress line, a line per failing
// record or bad click and a summary on standard error (its times are those
// of the batch: they leave out the host's start-up and the library's load).
#pragma once

#include "apps/batch/batch_options.h"

namespace khost::batch {

// Runs the batch with the library already loaded. Returns the exit status:
// 0 when every record was written, 1 when some failed or a click list or
// `cl` vector had bad entries, 2 when the run could not start (the results'
// folder cannot be made, the library lacks the estimate). A run stopped by
// SIGINT, SIGTERM or SIGHUP finishes the results being put in place, removes
// its temporaries, prints its summary and ends by that signal.
int runEstimate(const EstimateOptions& opts);

}  // namespace khost::batch
