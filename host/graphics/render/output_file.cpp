#include "host/graphics/render/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/core/errors.h"

namespace kh::gfx::render {
namespace fs = std::filesystem;

OutputFile::OutputFile(const std::string& file) : file_(file) {
  if (file.empty()) raise("The file name is empty.");
  // The system would end the name at the NUL and write another file.
  if (file.find('\0') != std::string::npos) raise("File names cannot contain NUL characters.");
  std::error_code ec;
  fs::path target = file;
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  target_ = target.string();
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) raise("Unable to write file '" + file + "': it is a folder.");
    if (!S_ISREG(st.st_mode)) {
      fd_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
      if (fd_ < 0) fail(errno);
      return;
    }
    keepMode_ = true;
    mode_ = st.st_mode & 07777;
  }
  fs::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path p = dir / ("." + target.filename().string() + "." + std::to_string(::getpid()) +
                              "." + std::to_string(++counter) + ".tmp");
    fd_ = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      temp_ = p.string();
      return;
    }
    if (errno != EEXIST) fail(errno);
  }
  fail(EEXIST);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

void OutputFile::fail(int err) const {
  raise("Unable to write file '" + file_ + "': " + std::strerror(err) + ".");
}

void OutputFile::write(std::string_view data) {
  const char* p = data.data();
  std::size_t n = data.size();
  while (n > 0) {
    const ssize_t w = ::write(fd_, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) fail(w < 0 ? errno : EIO);
    p += w;
    n -= static_cast<std::size_t>(w);
  }
}

void OutputFile::commit() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail(errno);
  if (temp_.empty()) return;
  if (keepMode_) ::chmod(temp_.c_str(), mode_);
  if (::rename(temp_.c_str(), target_.c_str()) != 0) fail(errno);
  temp_.clear();
}

}  // namespace kh::gfx::render
