#include "apps/batch/batch_run.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/batch/estimate_one.h"
#include "apps/batch/output_folder.h"
#include "apps/batch/output_names.h"
#include "apps/batch/progress_line.h"
#include "apps/batch/worker_pool.h"
#include "host/context/context.h"
#include "host/context/output.h"
#include "host/shell/prompt/signal_pipe.h"

namespace khost::batch {
namespace {

double cpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage u{};
    getrusage(who, &u);
    total += static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
             static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
  }
  return total;
}

std::string seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", s);
  return text;
}

// One line of the report, safe to print whatever the file's name holds.
std::string reportLine(const std::string& file, const std::string& reason) {
  return "kestrel-host: " + kh::printable(file) + ": " + kh::printable(reason);
}

}  // namespace

int runEstimate(const EstimateOptions& opts) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuAtStart = cpuSeconds();
  std::optional<kh::SignalPipe> signals(std::in_place);  // before any temporary exists

  std::optional<RecordEstimator> estimator;
  std::unique_ptr<OutputFolder> folder;
  std::string why;
  if (!kh::protect(
          [&] {
            estimator.emplace(opts.settings);
            folder = std::make_unique<OutputFolder>(opts.outDir);
          },
          &why)) {
    std::fprintf(stderr, "kestrel-host: %s\n", kh::printable(why).c_str());
    return 2;
  }

  const std::vector<PlannedOutput> plan = planOutputs(opts.files, opts.outDir, opts.csv);
  const std::size_t total = opts.files.size();
  std::size_t written = 0, failed = 0;
  ProgressLine progress(stderr, total, isatty(STDERR_FILENO) != 0);
  std::vector<std::size_t> work;  // the inputs that go to the workers
  for (std::size_t i = 0; i < total; ++i) {
    if (plan[i].problem.empty()) {
      work.push_back(i);
      continue;
    }
    ++failed;
    progress.line(reportLine(opts.files[i], plan[i].problem));
  }
  progress.update(failed);

  // Each input's result is published with its index as the slot.
  std::vector<bool> reported(total, false);
  PoolCallbacks cb;
  cb.run = [&](std::size_t task) {
    const std::size_t i = work[task];
    TaskOutcome o;
    kh::OutputCapture quiet;  // what the library prints is not the report
    o.ok = kh::protect(
        [&] {
          const kh::NamedValues vars = estimator->estimate(opts.files[i]);
          // From here a stop waits until the result is in place and reported.
          holdStopSignalsUntilReported();
          folder->publish(plan[i].name, i, vars, opts.csv);
        },
        &o.message);
    return o;
  };
  cb.done = [&](std::size_t task, const TaskOutcome& o) {
    const std::size_t i = work[task];
    reported[i] = true;
    // A worker that died between the renames of its result left it pending:
    // completed, it is written.
    if (o.ok || (o.lost && folder->settle(i))) {
      ++written;
    } else {
      ++failed;
      progress.line(reportLine(opts.files[i], o.message));
    }
    progress.update(written + failed);
  };
  cb.tick = [&] { progress.update(written + failed); };
  const int stoppedBy = runInWorkers(work.size(), opts.jobs, cb, *signals);
  // Results whose outcome never came (their workers killed when the run
  // stopped) are completed when they were pending.
  for (std::size_t i : work)
    if (!reported[i] && folder->settle(i)) ++written;
  progress.finish();
  folder.reset();  // the temporaries go

  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::string summary = "kestrel-host: " + std::to_string(total) +
                        (total == 1 ? " file, " : " files, ") + std::to_string(written) +
                        " written, " + std::to_string(failed) + " failed";
  if (stoppedBy != 0)
    summary += ", " + std::to_string(total - written - failed) + " not done (stopped by " +
               strsignal(stoppedBy) + ")";
  summary += "; " + seconds(wall) + " wall, " + seconds(cpuSeconds() - cpuAtStart) + " CPU\n";
  std::fputs(summary.c_str(), stderr);
  std::fflush(stderr);

  if (stoppedBy != 0) {
    signals.reset();  // the handlers before the run come back
    ::signal(stoppedBy, SIG_DFL);
    ::raise(stoppedBy);
  }
  return failed > 0 ? 1 : 0;
}

}  // namespace khost::batch
