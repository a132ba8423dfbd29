// Where the bytes of an export go. A regular file (or a new one) is written
// as a temporary file beside it and renamed into place once every byte is
// written and the file is closed, so a failed export never leaves a partial
// file and never harms the file it would have replaced. A name that leads
// to something else (a device such as /dev/null, a pipe) is written
// straight through; a link is followed and stays a link.
#pragma once

#include <string>
#include <string_view>

namespace kh::gfx::render {

class OutputFile {
 public:
  // Opens the temporary file (or the device); raises "Unable to write file
  // 'file': reason." when it cannot.
  explicit OutputFile(const std::string& file);
  // Removes the temporary file unless commit() got through.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Every byte of data, each write checked; raises on failure.
  void write(std::string_view data);
  // Closes the file and puts it in place; raises on failure (the temporary
  // file is removed then).
  void commit();

 private:
  [[noreturn]] void fail(int err) const;
  std::string file_;    // as the caller wrote it, for messages
  std::string target_;  // the file that ends up holding the bytes
  std::string temp_;    // empty when written straight through
  int fd_ = -1;
  bool keepMode_ = false;
  unsigned mode_ = 0;
};

}  // namespace kh::gfx::render
