#include "editor/private_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/core/errors.h"

namespace kh::editor {

PrivateFolder::PrivateFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-XXXXXX").string();
  if (!mkdtemp(pattern.data())) raise("Cannot make a temporary folder.");
  dir_ = pattern;  // mkdtemp makes it with mode 0700
}

PrivateFolder::~PrivateFolder() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string readWhole(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeNew(const std::string& file, const std::string& bytes) {
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) raise("Cannot write a temporary file.");
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(fd);
      raise("Cannot write a temporary file.");
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0) raise("Cannot write a temporary file.");
}

}  // namespace kh::editor
