#include "apps/batch/output_folder.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "editor/record_export.h"
#include "editor/results/results_folder.h"
#include "host/core/errors.h"

namespace khost::batch {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPrivatePrefix = ".kestrel-partial-";
constexpr const char* kLock = "lock";  // held by the run that owns the folder
constexpr const char* kPendingHeader = "kestrel pending result\n";

[[noreturn]] void failed(const std::string& what, int err) {
  kh::raise("Unable to write '" + what + "': " + std::strerror(err) + ".");
}

// The text in a new file at path, synced to the disk.
void writeSynced(const std::string& path, const std::string& text, const std::string& what) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) failed(what, errno);
  int err = kh::editor::writeAllSynced(fd, text);
  if (::close(fd) != 0 && !err) err = errno;
  if (err) {
    ::unlink(path.c_str());
    failed(what, err);
  }
}

// Makes the renames and removals in a folder so far durable (nothing to do
// without the folder's descriptor).
void syncFolder(int fd) {
  if (fd >= 0) ::fsync(fd);
}

bool present(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Removes the file unless it was renamed away.
struct Part {
  std::string path;
  ~Part() { drop(); }
  void drop() {
    if (!path.empty()) ::unlink(path.c_str());
    path.clear();
  }
  void moveTo(const std::string& target, const std::string& what) {
    if (::rename(path.c_str(), target.c_str()) != 0) failed(what, errno);
    path.clear();
  }
};

// SIGINT, SIGTERM and SIGHUP held off (blocked) while it lives; one that
// comes meanwhile is delivered when the mask before is put back.
class StopSignalsHeld {
 public:
  StopSignalsHeld() {
    sigset_t stop;
    sigemptyset(&stop);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stop, sig);
    ::pthread_sigmask(SIG_BLOCK, &stop, &before_);
  }
  ~StopSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  sigset_t before_;
};

// Test hook, read only here: KESTREL_TEST_PUBLISH_STOP=NAME:HOW stops the
// process publishing the result NAME between its two renames, the worst
// moment for a stop, so that tests can make it happen every time. HOW is
// "kill-worker" (that process killed outright), "kill-run" (the run's main
// process killed outright, then this one) or "term-run" (SIGTERM to the
// run's main process, then on once the stop has reached this process too,
// or after 5 s).
// The test hook's second place: a worker killed once its result is whole in
// DIR, before the run has its report.
void stopWhenPlacedForTests(const std::string& name) {
  static const char* const hook = std::getenv("KESTREL_TEST_PUBLISH_STOP");
  if (hook && std::string(hook) == name + ":kill-worker-placed") ::raise(SIGKILL);
}

void stopHereForTests(const std::string& name) {
  static const char* const hook = std::getenv("KESTREL_TEST_PUBLISH_STOP");
  if (!hook) return;
  const std::string h = hook;
  const std::size_t colon = h.rfind(':');
  if (colon == std::string::npos || h.compare(0, colon, name) != 0 || colon != name.size()) return;
  const std::string how = h.substr(colon + 1);
  if (how == "kill-worker") {
    ::raise(SIGKILL);
  } else if (how == "kill-worker-placed") {
    // (stopped later, once both files are in place: see the end of publish)
  } else if (how == "kill-run") {
    ::kill(::getppid(), SIGKILL);
    ::raise(SIGKILL);
  } else if (how == "term-run") {
    ::kill(::getppid(), SIGTERM);
    for (int k = 0; k < 500; ++k) {
      sigset_t pending;
      sigpending(&pending);
      if (sigismember(&pending, SIGTERM)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
}

// The pending record of a result: its NAME and whether it has a CSV file.
struct Pending {
  std::string name;
  bool csv = false;
};

std::string pendingText(const Pending& p) {
  return std::string(kPendingHeader) + (p.csv ? "mat+csv\n" : "mat\n") + p.name;
}

bool readPending(const std::string& file, Pending* p) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  const std::string t = text.str();
  const std::string header = kPendingHeader;
  if (t.compare(0, header.size(), header) != 0) return false;
  std::string rest = t.substr(header.size());
  for (const char* kind : {"mat+csv\n", "mat\n"})
    if (rest.compare(0, std::strlen(kind), kind) == 0) {
      p->csv = kind[3] == '+';
      p->name = rest.substr(std::strlen(kind));
      return !p->name.empty() && p->name.find('/') == std::string::npos && p->name != "." &&
             p->name != "..";
    }
  return false;
}

// Completes the result whose temporaries are STEM.mat and STEM.csv and whose
// pending record is STEM.pending, as its publish would have: what is still
// in the private folder goes into DIR, NAME.csv before NAME.mat (or an older
// NAME.csv is removed). A result that cannot be completed goes whole: the
// NAME.csv it had put in place is removed. True when there was a pending
// record and its result is whole in DIR now.
bool completePending(const std::string& stem, const std::string& dir, int dirFd) {
  const std::string record = stem + ".pending";
  Pending p;
  if (!readPending(record, &p)) {
    ::unlink(record.c_str());
    return false;
  }
  const std::string mat = stem + ".mat", csv = stem + ".csv";
  const std::string matDest = dir + "/" + p.name + ".mat";
  const std::string csvDest = dir + "/" + p.name + ".csv";
  bool whole = true;
  if (present(mat)) {  // else both were in place already: only the record was left
    bool csvPlaced = p.csv && !present(csv);
    if (p.csv && !csvPlaced) {
      csvPlaced = ::rename(csv.c_str(), csvDest.c_str()) == 0;
      whole = csvPlaced;
    }
    if (!p.csv && !kh::editor::isFolderFile(p.name + ".csv") && ::unlink(csvDest.c_str()) != 0 &&
        errno != ENOENT && errno != EISDIR)
      whole = false;
    if (whole && ::rename(mat.c_str(), matDest.c_str()) != 0) whole = false;
    if (!whole) {
      if (csvPlaced) ::unlink(csvDest.c_str());
      ::unlink(mat.c_str());
      ::unlink(csv.c_str());
    }
    syncFolder(dirFd);
  }
  ::unlink(record.c_str());
  return whole;
}

// Every pending result in a private folder completed; how many were.
std::size_t completeAllPending(const std::string& folder, const std::string& dir, int dirFd) {
  std::vector<std::string> stems;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const std::string file = e.path().filename().string();
    const std::string ext = ".pending";
    if (file.size() > ext.size() && file.compare(file.size() - ext.size(), ext.size(), ext) == 0)
      stems.push_back(folder + "/" + file.substr(0, file.size() - ext.size()));
  }
  std::size_t completed = 0;
  for (const std::string& stem : stems)
    if (completePending(stem, dir, dirFd)) ++completed;
  return completed;
}

// The private folders in dir of runs that are gone: each one's pending
// results are completed and the folder removed. A folder whose lock another
// process holds belongs to a live run; one without a lock file to a run
// that is just starting (or to a host that did not lock): both are left
// alone.
void settleStoppedRuns(const std::string& dir, int dirFd) {
  std::vector<std::string> folders;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    const std::string file = e.path().filename().string();
    std::error_code sec;
    if (file.compare(0, std::strlen(kPrivatePrefix), kPrivatePrefix) == 0 &&
        fs::is_directory(e.symlink_status(sec)))
      folders.push_back(e.path().string());
  }
  for (const std::string& folder : folders) {
    const int fd = ::open((folder + "/" + kLock).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      completeAllPending(folder, dir, dirFd);
      std::error_code rec;
      fs::remove_all(folder, rec);
    }
    ::close(fd);
  }
}

}  // namespace

OutputFolder::OutputFolder(const std::string& dir) : dir_(dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir))
    kh::raise("Cannot make the folder '" + dir +
              "': " + (ec ? ec.message() : std::string("a file of that name is in the way")) + ".");
  dirFd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  settleStoppedRuns(dir_, dirFd_);
  std::string pattern =
      (fs::path(dir) / (kPrivatePrefix + std::to_string(::getpid()) + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) {
    const int err = errno;
    if (dirFd_ >= 0) ::close(dirFd_);
    kh::raise("Cannot write in the folder '" + dir + "': " + std::strerror(err) + ".");
  }
  private_ = pattern;
  privateFd_ = ::open(private_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // The lock is taken before its file gets the name others look for, so a
  // run looking in never finds it unlocked while this run lives. Where
  // locks cannot be had, there is no lock file, and others leave the folder
  // alone.
  const std::string lock = private_ + "/" + kLock;
  lockFd_ = ::open((lock + ".new").c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0 &&
      ::rename((lock + ".new").c_str(), lock.c_str()) == 0)
    return;
  ::unlink((lock + ".new").c_str());
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
}

OutputFolder::~OutputFolder() {
  settleAll();
  std::error_code ec;
  fs::remove_all(private_, ec);
  for (int fd : {dirFd_, privateFd_, lockFd_})
    if (fd >= 0) ::close(fd);
}

void OutputFolder::publish(const std::string& name, std::size_t slot, const kh::NamedValues& vars,
                           const kh::NamedValues* csvVars) const {
  const bool csv = csvVars != nullptr;
  const std::string stem = private_ + "/" + std::to_string(slot);
  const std::string matFile = dir_ + "/" + name + ".mat";
  const std::string csvFile = dir_ + "/" + name + ".csv";
  Part csvPart, matPart;
  if (csv) {
    csvPart.path = stem + ".csv";
    writeSynced(csvPart.path, kh::editor::recordCsvText(*csvVars), name + ".csv");
  }
  // saveMatFile itself writes a temporary file beside the one it is given,
  // syncs it, reads it back and renames it: all in the private folder.
  matPart.path = stem + ".mat";
  try {
    kh::saveMatFile(matPart.path, vars);
  } catch (const kh::MError& e) {
    // Named as the person knows the result, not by its hidden temporary.
    std::string message = e.message();
    const std::string shown = dir_ + "/" + name + ".mat";
    for (std::size_t at; (at = message.find(matPart.path)) != std::string::npos;)
      message.replace(at, matPart.path.size(), shown);
    kh::raise(message);
  }

  // From the pending record on, a stop by signal waits until the result is
  // in place, and a process killed outright leaves the record for
  // completePending.
  const StopSignalsHeld held;
  const std::string record = stem + ".pending";
  writeSynced(record + ".new", pendingText({name, csv}), name + ".mat");
  if (::rename((record + ".new").c_str(), record.c_str()) != 0) {
    const int err = errno;
    ::unlink((record + ".new").c_str());
    failed(name + ".mat", err);
  }
  syncFolder(privateFd_);
  bool csvPlaced = false;
  try {
    if (csv) {
      csvPart.moveTo(csvFile, name + ".csv");
      csvPlaced = true;
    } else if (!kh::editor::isFolderFile(name + ".csv") && ::unlink(csvFile.c_str()) != 0 &&
               errno != ENOENT && errno != EISDIR) {
      const int err = errno;
      kh::raise("Unable to remove the older '" + name + ".csv' (it would no longer match '" + name +
                ".mat'): " + std::strerror(err) + ".");
    }
    stopHereForTests(name);
    matPart.moveTo(matFile, name + ".mat");
  } catch (...) {
    // Neither file of this result stays: the CSV file just put in place
    // goes (an older NAME.mat without its CSV file is not a mismatched
    // pair), then the temporaries, then the record.
    if (csvPlaced) ::unlink(csvFile.c_str());
    syncFolder(dirFd_);
    csvPart.drop();
    matPart.drop();
    ::unlink(record.c_str());
    throw;
  }
  syncFolder(dirFd_);
  stopWhenPlacedForTests(name);
  // The record stays until the run has this result's report (reported()):
  // a worker killed after its renames and before its report has still
  // written its result, and settle() then finds it whole in place.
}

void OutputFolder::reported(std::size_t slot) const {
  ::unlink((private_ + "/" + std::to_string(slot) + ".pending").c_str());
}

bool OutputFolder::settle(std::size_t slot) const {
  return completePending(private_ + "/" + std::to_string(slot), dir_, dirFd_);
}

std::size_t OutputFolder::settleAll() const { return completeAllPending(private_, dir_, dirFd_); }

}  // namespace khost::batch
