// Fuzz target: the command window. Every text is parsed (and checked for
// unfinished input the way the prompt checks a typed line), then run as a
// script in a fresh workspace with the library loaded: it must run or stop
// with an error. A statement budget ends loops that never finish, and
// arrays past a memory bound are refused, so neither is a finding; a crash,
// a hang inside one statement, a leak or a sanitizer report is.
//
// What a text runs may write files (save, print): the target works in a
// folder of its own and, when started as root, as the unprivileged user
// `nobody`, so no text can write outside it or into the system.
//
// The texts run on a thread of their own with a small stack (512 KiB): the
// host's depth checks scale their margin to it, and any recursion that only
// the data bounds (freeing, comparing or walking a deeply nested value) then
// overflows at depths that a few thousand statements can build, well inside
// the statement budget, instead of needing hundreds of thousands.
#include <pthread.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "host/context/context.h"
#include "host/context/output.h"
#include "host/core/interrupt.h"
#include "host/graphics/commands.h"
#include "host/kernels/display/display_format.h"
#include "host/language/continuation.h"
#include "host/language/parser.h"
#include "host/loader/library.h"
#include "host/shell/shell.h"
#include "host/values/value.h"

namespace {

// Low enough that a loop growing an array one element at a time (a copy per
// step) ends well inside the run's per-input time limit.
constexpr std::uint64_t kStatements = 5000;
constexpr std::size_t kArrayBytes = std::size_t{256} << 20;

void dropToWorkFolder() {
  char dir[] = "/tmp/kestrel-fuzz-shell-XXXXXX";
  if (!mkdtemp(dir)) std::abort();
  if (geteuid() == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody || chown(dir, nobody->pw_uid, nobody->pw_gid) != 0 || setgid(nobody->pw_gid) != 0 ||
        setuid(nobody->pw_uid) != 0)
      std::abort();
    // The leak checker stops the process to scan it, which a process that
    // changed its user may no longer allow.
    prctl(PR_SET_DUMPABLE, 1);
  }
  if (chdir(dir) != 0) std::abort();
}

// Runs work on the small-stack thread and waits for it.
class SmallStack {
 public:
  static constexpr std::size_t kBytes = 512 * 1024;
  SmallStack() {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, kBytes);
    pthread_t t;
    if (pthread_create(&t, &attr, &SmallStack::loop, this) != 0) std::abort();
    pthread_attr_destroy(&attr);
    pthread_detach(t);
  }
  void run(std::function<void()> work) {
    std::unique_lock<std::mutex> lock(mu_);
    work_ = std::move(work);
    wake_.notify_all();
    wake_.wait(lock, [&] { return !work_; });
  }

 private:
  static void* loop(void* self) {
    auto* s = static_cast<SmallStack*>(self);
    std::unique_lock<std::mutex> lock(s->mu_);
    for (;;) {
      s->wake_.wait(lock, [&] { return static_cast<bool>(s->work_); });
      s->work_();
      s->work_ = nullptr;
      s->wake_.notify_all();
    }
  }
  std::mutex mu_;
  std::condition_variable wake_;
  std::function<void()> work_;
};

SmallStack& smallStack() {
  static SmallStack* t = new SmallStack;  // lives for the whole run
  return *t;
}

void runText(std::string_view text) {
  kh::protect([&] {
    kh::Parser p(text, [](const std::string& n) { return n.size() == 1; });
    while (p.next()) {
    }
  });
  kh::isIncompleteText(text);
  kh::ContinuationTracker open;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t nl = text.find('\n', start);
    open.addLine(text.substr(start, nl == std::string_view::npos ? nl : nl - start));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }

  kh::setStatementBudget(kStatements);
  {
    kh::OutputCapture quiet;
    kh::Shell sh;
    sh.run(text);
  }
  kh::setStatementBudget(0);
  kh::setDisplayFormat({});
  kh::gfx::resetGraphics();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The library is opened before the drop, while its file can be read.
  static kh::LoadedLibrary* lib = new kh::LoadedLibrary;  // open for the whole run
  std::string error;
  if (!kh::protect([] { lib->open(KESTREL_FUZZ_LIBRARY); }, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::abort();
  }
  dropToWorkFolder();
  kh::setMaxArrayBytes(kArrayBytes);
  smallStack();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  smallStack().run([&] { runText(text); });
  return 0;
}
