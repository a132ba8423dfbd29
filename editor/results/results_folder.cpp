#include "editor/results/results_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include "editor/private_folder.h"
#include "editor/record_export.h"
#include "host/core/errors.h"

namespace kh::editor {
namespace {

constexpr const char* kLockFile = ".kestrel-lock";
constexpr const char* kSummaryLock = ".kestrel-summary-lock";
constexpr const char* kLastViewed = ".kestrel-last-viewed";
constexpr const char* kSummary = "summary.csv";

std::string reason(int err) { return std::strerror(err); }

[[noreturn]] void cannotWrite(const std::string& file, int err) {
  raise("Unable to save '" + file + "': " + reason(err) + ".");
}

void syncFd(int fd, const std::string& file) {
  if (::fsync(fd) != 0) cannotWrite(file, errno);
}

const Value* find(const NamedValues& vars, const char* name) {
  for (const auto& [n, v] : vars)
    if (n == name) return &v;
  return nullptr;
}

// The history of settings as an n-by-8 matrix, one state a row.
Value historyMatrix(const std::vector<Settings>& rows) {
  Value m = Value::matrix(rows.size(), kSettingNames.size());
  double* d = m.mutRe();
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t k = 0; k < kSettingNames.size(); ++k) d[k * rows.size() + r] = rows[r][k];
  return m;
}

// Holds an flock for a scope.
class FileLock {
 public:
  explicit FileLock(const std::string& file)
      : fd_(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ < 0) cannotWrite(file, errno);
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FileLock() { ::close(fd_); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

}  // namespace

bool naturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  int tie = 0;  // equal numbers written with more or fewer zeros: fewer first, if all else is equal
  while (i < a.size() && j < b.size()) {
    const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
    const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
    if (da && db) {
      std::size_t ei = i, ej = j;
      while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
      while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
      // Leading zeros aside, the longer run is the larger number.
      std::size_t si = i, sj = j;
      while (si + 1 < ei && a[si] == '0') ++si;
      while (sj + 1 < ej && b[sj] == '0') ++sj;
      if (ei - si != ej - sj) return ei - si < ej - sj;
      const int c = a.compare(si, ei - si, b, sj, ej - sj);
      if (c != 0) return c < 0;
      if (tie == 0 && ei - i != ej - j) tie = ei - i < ej - j ? -1 : 1;
      i = ei;
      j = ej;
    } else {
      if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
      ++i;
      ++j;
    }
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
  return tie < 0;
}

int writeAllSynced(int fd, std::string_view bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<std::size_t>(n);
  }
  return ::fsync(fd) != 0 ? errno : 0;
}

NamedValues resultsVariables(const RecordResults& r) {
  NamedValues out = r.exportVars;
  out.emplace_back("source", Value::str(std::string_view(r.source)));
  out.emplace_back("offset", Value::scalar(r.offset));
  out.emplace_back("history", historyMatrix(r.history));
  out.emplace_back("historyAt", Value::scalar(static_cast<double>(r.historyAt + 1)));
  return out;
}

ResultsFolder::ResultsFolder(const std::string& dir, Use use) : dir_(dir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir, ec))
    raise("The results folder '" + dir + "' cannot be made: " +
          (ec ? ec.message() : std::string("a file of that name is in the way")) + ".");
  dirFd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd_ < 0)
    raise("The results folder '" + dir + "' cannot be opened: " + reason(errno) + ".");
  // Can files be written there at all?
  const std::string probe = dir + "/.kestrel-probe-" + std::to_string(::getpid());
  const int p = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int err = p < 0 ? errno : 0;
  if (p >= 0) {
    ::close(p);
    ::unlink(probe.c_str());
  }
  if (err) {
    ::close(dirFd_);
    raise("The results folder '" + dir + "' cannot be written: " + reason(err) + ".");
  }
  const std::string lock = dir + "/" + kLockFile;
  lockFd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd_ < 0) {
    ::close(dirFd_);
    raise("The results folder '" + dir + "' cannot be locked: " + reason(errno) + ".");
  }
  if (::flock(lockFd_, (use == Use::Review ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    std::string holder = readWhole(lock);
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == ' ')) holder.pop_back();
    ::close(lockFd_);
    ::close(dirFd_);
    const std::size_t space = holder.find(' ');
    const bool known = space != std::string::npos && holder.size() < 64;
    raise("The results folder '" + dir + "' is in use by " +
          (known ? "the " + holder.substr(0, space) + " of kestrel-host process " +
                       holder.substr(space + 1)
                 : std::string("another kestrel-host")) +
          (use == Use::Review ? "; stop it first, or give another folder with --results."
                              : "; wait until it ends, or give another folder."));
  }
  const std::string who = std::string(use == Use::Review ? "review " : "batch run ") +
                          std::to_string(::getpid()) + "\n";
  if (::ftruncate(lockFd_, 0) != 0 || ::pwrite(lockFd_, who.data(), who.size(), 0) < 0) {
    // Only the message naming this process suffers.
  }
}

ResultsFolder::~ResultsFolder() {
  if (lockFd_ >= 0) ::close(lockFd_);
  if (dirFd_ >= 0) ::close(dirFd_);
}

void ResultsFolder::writeWhole(const std::string& file, const std::string& bytes) const {
  const std::string temp = file + ".tmp-" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) cannotWrite(file, errno);
  int err = writeAllSynced(fd, bytes);
  if (::close(fd) != 0 && !err) err = errno;
  if (!err && ::rename(temp.c_str(), file.c_str()) != 0) err = errno;
  if (err) {
    ::unlink(temp.c_str());
    cannotWrite(file, err);
  }
  syncFd(dirFd_, dir_);
}

void ResultsFolder::saveRecord(const std::string& name, const RecordResults& r) const {
  saveMatFile(fileOf(name), resultsVariables(r));
  syncFd(dirFd_, dir_);
}

SavedRecord ResultsFolder::readRecord(const std::string& name) const {
  std::vector<std::string> names{"s", "source", "offset", "history", "historyAt"};
  for (const char* k : kSettingNames) names.emplace_back(k);
  const std::string file = fileOf(name);
  const NamedValues vars = loadMatFile(file, names);
  SavedRecord out;
  const Value* s = find(vars, "s");
  if (!s) raise("The results file '" + file + "' holds no record 's'.");
  out.s = *s;
  for (std::size_t k = 0; k < kSettingNames.size(); ++k) {
    const Value* v = find(vars, kSettingNames[k]);
    if (!v || v->numel() != 1 || !v->isDouble() || v->isComplex())
      raise("The results file '" + file + "' holds no setting '" + kSettingNames[k] + "'.");
    out.settings[k] = v->at(0);
  }
  if (const Value* v = find(vars, "source"); v && v->isChar()) out.source = v->utf8();
  if (const Value* v = find(vars, "offset"); v && v->isDouble() && v->numel() == 1)
    out.offset = v->at(0);
  const Value* h = find(vars, "history");
  const Value* at = find(vars, "historyAt");
  if (h && at && h->isDouble() && !h->isComplex() && h->ndims() == 2 &&
      h->cols() == kSettingNames.size() && h->rows() > 0 && at->numel() == 1 && at->isDouble() &&
      at->at(0) >= 1 && at->at(0) <= static_cast<double>(h->rows()) &&
      at->at(0) == static_cast<double>(static_cast<std::size_t>(at->at(0)))) {
    const std::size_t n = h->rows();
    for (std::size_t r = 0; r < n; ++r) {
      Settings row{};
      for (std::size_t k = 0; k < row.size(); ++k) row[k] = h->at(k * n + r);
      out.history.push_back(row);
    }
    out.historyAt = static_cast<std::size_t>(at->at(0)) - 1;
    // The history's state shown is the one the file holds; if not, the
    // history is not this file's and only the settings count.
    if (out.history[out.historyAt] != out.settings) out.history.clear();
  }
  if (out.history.empty()) {
    out.history = {out.settings};
    out.historyAt = 0;
  }
  return out;
}

std::vector<SummaryRow> ResultsFolder::readSummary() const {
  return parseSummary(readWhole(dir_ + "/" + kSummary));
}

void ResultsFolder::saveSummary(const std::vector<SummaryRow>& rows) const {
  saveSummaryText(summaryText(rows));
}

void ResultsFolder::saveSummaryText(const std::string& text) const {
  writeWhole(dir_ + "/" + kSummary, text);
}

void ResultsFolder::mergeSummary(const std::vector<SummaryRow>& rows) const {
  FileLock lock(dir_ + "/" + kSummaryLock);
  std::map<std::string, SummaryRow, decltype(&naturalLess)> all(&naturalLess);
  for (SummaryRow& r : readSummary()) all[r.name] = std::move(r);
  for (const SummaryRow& r : rows) all[r.name] = r;
  std::vector<SummaryRow> out;
  out.reserve(all.size());
  for (auto& [name, r] : all) out.push_back(std::move(r));
  saveSummary(out);
}

std::string ResultsFolder::lastViewed() const {
  std::string name = readWhole(dir_ + "/" + kLastViewed);
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
  return name;
}

void ResultsFolder::setLastViewed(const std::string& name) const {
  writeWhole(dir_ + "/" + kLastViewed, name + "\n");
}

std::string recordSource(const std::string& file) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path full = fs::absolute(file, ec);
  return (ec ? fs::path(file) : full).lexically_normal().string();
}

bool isFolderFile(const std::string& fileName) {
  for (const char* own : {kSummary, kLockFile, kSummaryLock, kLastViewed})
    if (fileName == own) return true;
  return false;
}

}  // namespace kh::editor
