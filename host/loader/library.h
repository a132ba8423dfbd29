// A loaded extension library: opened with dlopen, described by the record its
// mexLibrary entry returns, initialized row by row from its init/term table,
// its globals bound to the host's global workspace and its functions made
// callable by name. Only one library is loaded in a process at a time.
#pragma once

#include <string>
#include <vector>

#include "runtime/mex_library.h"

namespace kh {

// The text a library's mexVersion must return.
inline constexpr const char* kLibraryVersionText = "MATLAB R12 native";

class LoadedLibrary {
 public:
  LoadedLibrary() = default;
  ~LoadedLibrary();  // closes the library if it is still open
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  // Opens the shared object at path, checks its version and descriptor, runs
  // the initializers from the first row to the last, binds the globals and
  // installs the function table. Raises an MError naming the file when any
  // step fails; the library is then left closed (initializers that ran have
  // been undone by their terminators).
  void open(const std::string& path);

  // Runs the terminators (last row first), frees the library's global values,
  // removes its function table and unloads the shared object. Errors raised
  // by terminators do not stop the others; their messages are returned.
  std::vector<std::string> close();

  bool isOpen() const { return handle_ != nullptr; }
  const std::string& path() const { return path_; }
  // The version text the library reported.
  const std::string& versionText() const { return version_; }
  // The descriptor (valid while open).
  const mex_information_struct& descriptor() const { return *info_; }
  // Number of init/term rows whose initializer has run.
  int initializedRows() const { return initialized_; }

 private:
  void runTerminators(std::vector<std::string>& errors);

  void* handle_ = nullptr;
  mex_information info_ = nullptr;
  std::string path_;
  std::string version_;
  int initialized_ = 0;
};

// The library loaded in this process (null when none is).
LoadedLibrary* currentLibrary();

}  // namespace kh
