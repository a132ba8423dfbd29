// A temporary folder only this user can read, removed with everything in it
// when it goes: where the editor writes the files it exports and keeps a
// private copy of a record a page sends.
#pragma once

#include <string>

namespace kh::editor {

class PrivateFolder {
 public:
  PrivateFolder();  // raises when none can be made
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  std::string file(const char* name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

// The whole of a file ("" when it cannot be read).
std::string readWhole(const std::string& file);
// Writes bytes to a new file of this user's only; raises when it cannot.
void writeNew(const std::string& file, const std::string& bytes);

}  // namespace kh::editor
