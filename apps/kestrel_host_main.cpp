// kestrel-host: loads an extension library and runs commands against it from
// the command line, script files or an interactive prompt.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "apps/batch/batch_options.h"
#include "apps/batch/batch_run.h"
#include "apps/host_options.h"
#include "host/array/handle.h"
#include "host/capi/sink.h"
#include "host/context/context.h"
#include "host/context/globals.h"
#include "host/datafile/data_path.h"
#include "host/editor/record_check.h"
#include "host/loader/describe.h"
#include "host/loader/leak_report.h"
#include "host/loader/library.h"
#include "host/server/serve_loop.h"
#include "host/shell/shell.h"

namespace {

enum ExitStatus { kOk = 0, kFailed = 1, kUsage = 2, kLeaked = 3 };

int runActions(const khost::Options& opts) {
  kh::Shell shell;
  if (opts.serve) {
    // Scripts first (a failing one is reported and does not stop the server).
    for (const khost::Action& a : opts.actions)
      if (!shell.exitRequested())
        a.kind == khost::Action::kEval ? shell.run(a.text) : shell.runFile(a.text);
    if (shell.exitRequested()) return kOk;
    kh::server::ServeOptions so;
    so.port = static_cast<unsigned short>(opts.port);
    so.prompt = opts.prompt;
    so.showPrompt = opts.prompt && isatty(STDIN_FILENO) != 0;
    so.webDir = KESTREL_WEB_DIR;
    return kh::server::serve(shell, so) ? kOk : kUsage;
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
    status = runActions(opts);
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
