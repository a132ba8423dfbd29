// A fresh directory for a test's files, removed with everything in it when the
// object goes out of scope.
#pragma once

#include <string>

namespace kt {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs a shell command and returns its exit status (its output is collected
// into *output when given).
int runCommand(const std::string& command, std::string* output = nullptr);

}  // namespace kt
