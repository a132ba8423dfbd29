// kestrel-host: loads an extension library and runs commands against it from
// the command line, script files or an interactive prompt.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "apps/batch/batch_options.h"
#include "apps/batch/batch_run.h"
#include "apps/host_options.h"
#include "apps/serve_loop.h"
#include "editor/page_addon.h"
#include "editor/record_check.h"
#include "editor/review/review.h"
#include "host/capi/sink.h"
#include "host/context/context.h"
#include "host/context/globals.h"
#include "host/context/output.h"
#include "host/core/text.h"
#include "host/datafile/data_path.h"
#include "host/loader/describe.h"
#include "host/loader/leak_report.h"
#include "host/loader/library.h"
#include "host/shell/shell.h"
#include "host/values/handle.h"

namespace {

enum ExitStatus { kOk = 0, kFailed = 1, kUsage = 2, kLeaked = 3 };

int runActions(const khost::Options& opts, std::unique_ptr<kh::editor::Review> review) {
  kh::Shell shell;
  if (opts.serve) {
    // A review opens the editor's figure and its first record (or the one
    // viewed last) before anything else.
    if (review) {
      shell.run("kestrel_figure");
      kh::editor::setPromptReview(review.get());
      review->start();
    }
    // Scripts first (a failing one is reported and does not stop the server).
    for (const khost::Action& a : opts.actions)
      if (!shell.exitRequested())
        a.kind == khost::Action::kEval ? shell.run(a.text) : shell.runFile(a.text);
    if (shell.exitRequested()) return kOk;
    kh::editor::EditorAddOn addOn(review.get());
    kh::server::ServeOptions so;
    so.addOn = &addOn;
    so.port = static_cast<unsigned short>(opts.port);
    so.prompt = opts.prompt;
    so.showPrompt = opts.prompt && isatty(STDIN_FILENO) != 0;
    so.webDir = KESTREL_WEB_DIR;
    const bool served = kh::server::serve(shell, so);
    kh::editor::setPromptReview(nullptr);
    return served ? kOk : kUsage;
  }
  if (opts.actions.empty()) {
    if (!opts.describe) shell.interact(std::cin, isatty(STDIN_FILENO) != 0);
    return kOk;
  }
  for (const khost::Action& a : opts.actions) {
    const bool ok = a.kind == khost::Action::kEval ? shell.run(a.text) : shell.runFile(a.text);
    if (!ok) return kFailed;
    if (shell.exitRequested()) break;
  }
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  khost::Options opts;
  std::string error;
  if (!khost::parseOptions(argc, argv, &opts, &error)) {
    std::cerr << "kestrel-host: " << error << "\n" << khost::usageText();
    return kUsage;
  }
  khost::batch::EstimateOptions batch;
  if (opts.estimate && !khost::batch::parseEstimateOptions(opts.estimateArgs, &batch, &error)) {
    std::cerr << "kestrel-host: " << error << "\n\n" << khost::batch::estimateUsageText();
    return kUsage;
  }
  if (opts.help || batch.help) {
    std::cout << khost::usageText() << "\n" << khost::batch::estimateUsageText();
    return kOk;
  }

  for (const std::string& dir : opts.paths) kh::addDataFolder(dir);
  kh::addDataFolder(KESTREL_DEFAULT_DATA);
  if (!opts.record.empty()) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(opts.record, ec)) {
      std::cerr << "kestrel-host: cannot read the record '" << opts.record << "'\n";
      return kUsage;
    }
    // Checked whole before the session starts, as the editor's "Open
    // record…" checks a file: refused here with the reason, not half-way
    // through the first load.
    std::string why;
    if (!kh::protect([&] { kh::editor::checkRecordFile(opts.record, opts.record); }, &why)) {
      std::cerr << "kestrel-host: " << why << "\n";
      return kUsage;
    }
    kh::setRecordAlias("ex_pulse", opts.record);
  }

  // A review's records and results folder, checked before anything starts:
  // a folder that cannot be written, or that another review uses, stops it
  // here with the reason.
  std::unique_ptr<kh::editor::Review> review;
  if (!opts.review.empty()) {
    std::string why;
    if (!kh::protect(
            [&] {
              kh::editor::SourceOptions sources;
              sources.clicks = opts.clicks;
              sources.channel = opts.channel;
              std::vector<std::string> problems;
              std::vector<kh::editor::ReviewRecord> records =
                  kh::editor::listRecords(opts.review, sources, &problems);
              // Clicks a list gives badly are left out, each said once.
              for (const std::string& p : problems)
                std::cerr << "kestrel-host: " << kh::printable(p) << "\n";
              if (records.empty())
                kh::raise(
                    "No records were found to review (record files and recordings .mat, "
                    "sound files with their click lists).");
              const std::string dir = opts.results.empty()
                                          ? kh::editor::defaultResultsFolder(opts.review.front())
                                          : opts.results;
              review = std::make_unique<kh::editor::Review>(
                  std::move(records),
                  std::make_unique<kh::editor::ResultsFolder>(
                      dir, kh::editor::ResultsFolder::Use::Review),
                  sources);
            },
            &why)) {
      std::cerr << "kestrel-host: " << why << "\n";
      return kUsage;
    }
  }
  // A file too large for the limits set on this process is refused as a
  // write error, as a full disk is, instead of ending the host.
  ::signal(SIGXFSZ, SIG_IGN);
  kh::editor::registerReviewCommand();

  const std::string path = khost::libraryPath(opts, KESTREL_DEFAULT_LIBRARY);
  kh::LoadedLibrary lib;
  std::string msg;
  if (!kh::protect([&] { lib.open(path); }, &msg)) {
    std::cerr << "kestrel-host: " << msg << "\n";
    return kUsage;
  }

  if (opts.describe) std::cout << kh::describeLibrary(lib) << std::flush;

  int status = kOk;
  if (opts.estimate) {
    status = khost::batch::runEstimate(batch);
  } else if (!opts.describe || !opts.actions.empty()) {
    // The command window and its workspace go before the library does.
    status = runActions(opts, std::move(review));
  }
  std::cout.flush();

  for (const std::string& e : lib.close()) std::cerr << "kestrel-host: " << e << "\n";
  kh::clearGlobals();
  kh::freeOutstandingSinks();

  if (opts.checkLeaks && kh::liveHandles() > 0) {
    std::cerr << "kestrel-host: " << kh::liveHandles() << " array(s) leaked:\n"
              << kh::liveArrayReport();
    return kLeaked;
  }
  return status;
}
