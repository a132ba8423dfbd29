#include "apps/batch/output_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "host/context/errors.h"
#include "host/server/record_files.h"

namespace khost::batch {
namespace {

[[noreturn]] void failed(const std::string& what, int err) {
  kh::raise("Unable to write '" + what + "': " + std::strerror(err) + ".");
}

// The text in a new file at path, synced to the disk.
void writeSynced(const std::string& path, const std::string& text, const std::string& what) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) failed(what, errno);
  std::size_t done = 0;
  int err = 0;
  while (done < text.size() && !err) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      err = n < 0 ? errno : EIO;
    else
      done += static_cast<std::size_t>(n);
  }
  if (!err && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && !err) err = errno;
  if (err) {
    ::unlink(path.c_str());
    failed(what, err);
  }
}

// Removes the file unless it was renamed away.
struct Part {
  std::string path;
  ~Part() {
    if (!path.empty()) ::unlink(path.c_str());
  }
  void moveTo(const std::string& target, const std::string& what) {
    if (::rename(path.c_str(), target.c_str()) != 0) failed(what, errno);
    path.clear();
  }
};

}  // namespace

OutputFolder::OutputFolder(const std::string& dir) : dir_(dir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir))
    kh::raise("Cannot make the folder '" + dir +
              "': " + (ec ? ec.message() : std::string("a file of that name is in the way")) + ".");
  std::string pattern =
      (fs::path(dir) / (".kestrel-partial-" + std::to_string(::getpid()) + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data()))
    kh::raise("Cannot write in the folder '" + dir + "': " + std::strerror(errno) + ".");
  private_ = pattern;
}

OutputFolder::~OutputFolder() {
  std::error_code ec;
  std::filesystem::remove_all(private_, ec);
}

void OutputFolder::publish(const std::string& name, const kh::NamedValues& vars, bool csv) const {
  const std::string mat = dir_ + "/" + name + ".mat";
  Part csvPart, matPart;
  if (csv) {
    csvPart.path = private_ + "/" + name + ".csv.part";
    writeSynced(csvPart.path, kh::server::recordCsvText(vars), name + ".csv");
  }
  // saveMatFile itself writes a temporary file beside the one it is given,
  // reads it back and renames it: here both names are in the private folder.
  matPart.path = private_ + "/" + name + ".mat.part";
  kh::saveMatFile(matPart.path, vars);
  const std::string csvFile = dir_ + "/" + name + ".csv";
  if (csv) csvPart.moveTo(csvFile, name + ".csv");
  try {
    matPart.moveTo(mat, name + ".mat");
  } catch (...) {
    if (csv) ::unlink(csvFile.c_str());  // the one just put there: no result in half
    throw;
  }
}

}  // namespace khost::batch
