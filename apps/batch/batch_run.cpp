#include "apps/batch/batch_run.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/batch/estimate_one.h"
#include "apps/batch/output_folder.h"
#include "apps/batch/output_names.h"
#include "apps/batch/progress_line.h"
#include "apps/batch/worker_pool.h"
#include "editor/results/results_folder.h"
#include "editor/sources/record_source.h"
#include "host/context/context.h"
#include "host/context/output.h"
#include "host/core/text.h"
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

using kh::editor::RecordState;
using kh::editor::ResultsFolder;
using kh::editor::SavedRecord;
using kh::editor::SummaryRow;

// The same samples, NaN counting as equal to NaN.
bool sameSamples(const kh::Value& a, const kh::Value& b) {
  if (!a.isDouble() || !b.isDouble() || a.isComplex() || b.isComplex() || a.dims() != b.dims())
    return false;
  const double *x = a.re(), *y = b.re();
  for (std::size_t k = 0; k < a.numel(); ++k)
    if (!(x[k] == y[k] || (x[k] != x[k] && y[k] != y[k]))) return false;
  return true;
}

// What the results folder holds for the record under NAME: NAME.mat when it
// reads back as a results file of these very samples.
std::optional<SavedRecord> savedFor(const ResultsFolder& results, const std::string& name,
                                    const Record& record) {
  std::error_code ec;
  if (!std::filesystem::exists(results.fileOf(name), ec)) return std::nullopt;
  SavedRecord saved;
  if (!kh::protect([&] { saved = results.readRecord(name); }) || !sameSamples(saved.s, record.seg))
    return std::nullopt;
  return saved;
}

// What a worker reports of a result it wrote, for its row of summary.csv:
// whether the settings saved for the record were kept, the click and the
// settings.
struct Written {
  bool kept = false;
  double click = 0;
  kh::editor::Settings settings{};
};

std::string writtenText(const Written& w) {
  std::string out = w.kept ? "kept" : "new";
  char number[32];
  std::snprintf(number, sizeof number, " %.17g", w.click);
  out += number;
  for (double v : w.settings) {
    std::snprintf(number, sizeof number, " %.17g", v);
    out += number;
  }
  return out;
}

bool parseWritten(const std::string& text, Written* w) {
  const char* p = text.c_str();
  char* end = nullptr;
  if (text.rfind("kept ", 0) == 0)
    w->kept = true;
  else if (text.rfind("new ", 0) != 0)
    return false;
  p = std::strchr(p, ' ');
  w->click = std::strtod(p, &end);
  if (end == p) return false;
  for (double& v : w->settings) {
    p = end;
    v = std::strtod(p, &end);
    if (end == p) return false;
  }
  return *end == 0;
}

}  // namespace

int runEstimate(const EstimateOptions& opts) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuAtStart = cpuSeconds();
  std::optional<kh::SignalPipe> signals(std::in_place);  // before any temporary exists

  std::optional<RecordEstimator> estimator;
  std::unique_ptr<ResultsFolder> results;
  std::unique_ptr<OutputFolder> folder;
  std::vector<SummaryRow> before;  // summary.csv as the run found it
  std::string why;
  if (!kh::protect(
          [&] {
            estimator.emplace(opts.settings);
            // The folder is a review's results folder too: the run holds it
            // for its whole life, with other batch runs but never while a
            // review uses it (then it stops here, naming the review).
            results = std::make_unique<ResultsFolder>(opts.outDir, ResultsFolder::Use::Batch);
            folder = std::make_unique<OutputFolder>(opts.outDir);
            if (opts.reviewed) before = results->readSummary();
          },
          &why)) {
    std::fprintf(stderr, "kestrel-host: %s\n", kh::printable(why).c_str());
    return 2;
  }

  // The records of the inputs: a record file is one, a recording gives one
  // per click of its list. What a click list or `cl` vector gives badly is
  // reported and left out; an input that cannot be read at all is one
  // record of its NAME, refused with the reason, as a record file would be.
  struct Job {
    std::size_t input;          // its file among opts.files
    kh::editor::RecordRef ref;  // where its samples come from
    std::string shown;          // what names it in a report line
  };
  std::vector<Job> jobs;
  std::vector<std::string> listProblems;  // report lines of bad clicks
  bool anyCut = false;
  for (std::size_t i = 0; i < opts.files.size(); ++i) {
    const std::string& file = opts.files[i];
    const std::filesystem::path path(file);
    const std::string stem = path.has_filename() ? path.stem().string() : std::string();
    std::vector<kh::editor::RecordRef> refs;
    std::vector<std::string> problems;
    std::string unreadable;
    if (stem.empty() || stem == "." || stem == ".." ||
        !kh::protect([&] { refs = kh::editor::recordsOfFile(file, opts.sources, &problems); },
                     &unreadable)) {
      kh::editor::RecordRef r;
      r.source = kh::editor::recordSource(file);
      r.name = r.label = stem;
      r.refused = unreadable;
      refs = {std::move(r)};
    }
    for (const std::string& p : problems) listProblems.push_back(reportLine(file, p));
    for (kh::editor::RecordRef& r : refs) {
      anyCut = anyCut || r.cut;
      // A cut is shown as its file and click number: FILE #K.
      std::string shown = file;
      if (r.cut) shown += " #" + std::to_string(r.clickNumber);
      jobs.push_back({i, std::move(r), std::move(shown)});
    }
  }
  std::vector<OutputRequest> requests;
  requests.reserve(jobs.size());
  for (const Job& j : jobs) requests.push_back({opts.files[j.input], j.ref.name, j.shown});
  const std::vector<PlannedOutput> plan = planOutputs(requests, opts.outDir, opts.csv);
  const std::size_t total = jobs.size();
  // The rows for summary.csv of the records this run handled.
  std::vector<std::optional<SummaryRow>> rows(total);
  auto rowOf = [&](std::size_t j, RecordState state) {
    const kh::editor::RecordRef& ref = jobs[j].ref;
    SummaryRow r;
    r.name = plan[j].name;
    r.source = ref.source;
    r.offset = ref.offset;
    if (ref.cut) r.click = ref.click;
    r.state = state;
    r.changed = kh::editor::timeNow();
    return r;
  };
  auto refused = [&](std::size_t j, const std::string& reason) {
    if (!plan[j].ownsName) return;  // NAME's row is another record's, or no NAME
    SummaryRow r = rowOf(j, RecordState::Refused);
    r.reason = kh::printable(reason);
    rows[j] = std::move(r);
  };
  // A result kept the settings a review saved for it: its row keeps the
  // state it had (a results file without a row is a review's, as a review
  // reads its folder).
  auto keptState = [&](const std::string& name) {
    for (const SummaryRow& r : before)
      if (r.name == name && (r.state == RecordState::Estimated || r.state == RecordState::Saved ||
                             r.state == RecordState::Edited))
        return r.state;
    return RecordState::Saved;
  };
  auto writtenRow = [&](std::size_t j, const Written& w) {
    SummaryRow r = rowOf(j, w.kept ? keptState(plan[j].name) : RecordState::Estimated);
    r.click = w.click;
    r.hasSettings = true;
    r.settings = w.settings;
    rows[j] = std::move(r);
  };
  // The record a job estimates, as the editor's load takes it: a record
  // file's own `s` and `cl`, or the cut of a recording, taken exactly as a
  // record file holding it would be.
  kh::editor::SourceReader reader(opts.sources);  // each worker its own
  auto recordOf = [&](const Job& job) {
    const kh::editor::RecordRef& ref = job.ref;
    if (!ref.cut) return estimator->read(opts.files[job.input]);
    return estimator->take(reader.samples(ref.source, ref.offset, kh::editor::kRecordLength),
                           kh::Value::scalar(ref.click - ref.offset));
  };
  // A result completed after its worker died: what it holds is read back.
  auto settledRow = [&](std::size_t j) {
    const kh::editor::RecordRef& ref = jobs[j].ref;
    Written w;
    if (!kh::protect([&] {
          const SavedRecord saved = results->readRecord(plan[j].name);
          Record record;
          if (ref.cut)
            record.click = ref.click - ref.offset;
          else
            record = estimator->read(opts.files[jobs[j].input]);
          w.click = record.click + ref.offset;
          w.settings = saved.settings;
          w.kept = opts.reviewed &&
                   (saved.history.size() != 1 || saved.settings != estimator->settingsFor(record));
        })) {
      rows[j] = rowOf(j, RecordState::Estimated);
      return;
    }
    writtenRow(j, w);
  };

  std::size_t written = 0, failed = 0;
  const bool byRecord = anyCut || total != opts.files.size();
  ProgressLine progress(stderr, total, isatty(STDERR_FILENO) != 0, byRecord ? "records" : "files");
  for (const std::string& line : listProblems) progress.line(line);
  std::vector<std::size_t> work;  // the records that go to the workers, in order
  for (std::size_t j = 0; j < total; ++j) {
    const std::string& problem = plan[j].problem.empty() ? jobs[j].ref.refused : plan[j].problem;
    if (problem.empty()) {
      work.push_back(j);
      continue;
    }
    ++failed;
    progress.line(reportLine(jobs[j].shown, problem));
    refused(j, problem);
  }
  progress.update(failed);

  // Each record's result is published with its index as the slot. The
  // records of a recording follow each other in click order, so a worker
  // reads each part of the recording once.
  std::vector<bool> reported(total, false);
  PoolCallbacks cb;
  cb.run = [&](std::size_t task) {
    const std::size_t j = work[task];
    const Job& job = jobs[j];
    const std::string& name = plan[j].name;
    TaskOutcome o;
    kh::OutputCapture quiet;  // what the library prints is not the report
    std::string text;
    o.ok = kh::protect(
        [&] {
          const Record record = recordOf(job);
          Written w{false, record.click + job.ref.offset, estimator->settingsFor(record)};
          std::vector<kh::editor::Settings> history{w.settings};
          std::size_t historyAt = 0;
          // --reviewed: a review's settings for the record (its markers as
          // they were left, not where the click and the command line put
          // them), with its history for undo.
          if (opts.reviewed)
            if (const std::optional<SavedRecord> saved = savedFor(*results, name, record)) {
              if (const std::string bad = RecordEstimator::checkSaved(record, saved->settings);
                  !bad.empty())
                kh::raise("the settings saved for it in " + results->fileOf(name) +
                          " cannot be used: " + bad + ".");
              w.kept = true;
              w.settings = saved->settings;
              history = saved->history;
              historyAt = saved->historyAt;
            }
          const kh::editor::RecordResults r{estimator->estimate(record, w.settings), job.ref.source,
                                            job.ref.offset, std::move(history), historyAt};
          const kh::NamedValues vars = kh::editor::resultsVariables(r);
          // From here a stop waits until the result is in place and reported.
          holdStopSignalsUntilReported();
          folder->publish(name, j, vars, opts.csv ? &r.exportVars : nullptr);
          text = writtenText(w);
        },
        &o.message);
    if (o.ok) o.message = text;
    return o;
  };
  cb.done = [&](std::size_t task, const TaskOutcome& o) {
    const std::size_t j = work[task];
    reported[j] = true;
    if (o.ok) folder->reported(j);
    if (Written w; o.ok && parseWritten(o.message, &w)) {
      ++written;
      writtenRow(j, w);
    } else if (o.ok || (o.lost && folder->settle(j))) {
      // A worker that died between the renames of its result, or before
      // its report, left it pending: completed, it is written, and read
      // back for its row.
      ++written;
      settledRow(j);
    } else {
      ++failed;
      progress.line(reportLine(jobs[j].shown, o.message));
      refused(j, o.message);
    }
    progress.update(written + failed);
  };
  cb.tick = [&] { progress.update(written + failed); };
  const int stoppedBy = runInWorkers(work.size(), opts.jobs, cb, *signals);
  // Results whose outcome never came (their workers killed when the run
  // stopped) are completed when they were pending.
  for (std::size_t j : work)
    if (!reported[j] && folder->settle(j)) {
      ++written;
      settledRow(j);
    }
  progress.finish();
  folder.reset();  // the temporaries go

  // summary.csv gets a row for every input handled, among the rows of other
  // runs and reviews; inputs not done keep what they had.
  std::vector<SummaryRow> handled;
  for (std::optional<SummaryRow>& r : rows)
    if (r) handled.push_back(std::move(*r));
  bool summarized = true;
  if (!handled.empty() && !kh::protect([&] { results->mergeSummary(handled); }, &why)) {
    summarized = false;
    std::fprintf(stderr, "kestrel-host: %s\n", kh::printable(why).c_str());
  }

  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::size_t files = opts.files.size();
  std::string summary =
      "kestrel-host: " + std::to_string(files) + (files == 1 ? " file" : " files");
  if (byRecord) summary += " (" + std::to_string(total) + (total == 1 ? " record)" : " records)");
  summary += ", " + std::to_string(written) + " written, " + std::to_string(failed) + " failed";
  if (!listProblems.empty())
    summary += ", " + std::to_string(listProblems.size()) +
               (listProblems.size() == 1 ? " click left out" : " clicks left out");
  if (stoppedBy != 0)
    summary += ", " + std::to_string(total - written - failed) + " not done (stopped by " +
               strsignal(stoppedBy) + ")";
  summary += "; " + seconds(wall) + " wall, " + seconds(cpuSeconds() - cpuAtStart) + " CPU\n";
  std::fputs(summary.c_str(), stderr);
  std::fflush(stderr);

  if (stoppedBy != 0) {
    signals.reset();  // the handlers before the run come back
    results.reset();  // the folder is free again
    ::signal(stoppedBy, SIG_DFL);
    ::raise(stoppedBy);
  }
  return failed > 0 || !listProblems.empty() || !summarized ? 1 : 0;
}

}  // namespace khost::batch
