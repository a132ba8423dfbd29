// Where the bytes of an export go. A regular file (or a new one) is written
// as a temporary file beside it and renamed into place once every byte is
// written and the file is closed, so a failed export never leaves a partial
// file and never harms the file it would have replaced. A name that leads
// to something else (a device such as /dev/null, a pipe) is written
// straight through; a link is followed and stays a link.
#pragma once

#include <cstddef>
#include <string>

namespace kh::gfx::render {

// Something bytes are written to; false (with errno kept) when a write
// failed. Called from cairo's write callbacks, so it never throws.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual bool write(const unsigned char* data, std::size_t n) noexcept = 0;
  // Raises the error of the first write that failed, if any.
  virtual void check() const = 0;
};

class OutputFile : public Sink {
 public:
  // Opens the temporary file (or the device); raises "Unable to write file
  // 'file': reason." when it cannot.
  explicit OutputFile(const std::string& file);
  // Removes the temporary file unless commit() got through.
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool write(const unsigned char* data, std::size_t n) noexcept override;
  void check() const override;
  // Closes the file and puts it in place; raises on any failure (the
  // temporary file is removed then).
  void commit();

  [[noreturn]] void fail(int err) const;
  const std::string& name() const { return file_; }

 private:
  std::string file_;    // as the caller wrote it, for messages
  std::string target_;  // the file that ends up holding the bytes
  std::string temp_;    // empty when written straight through
  int fd_ = -1;
  int error_ = 0;  // errno of the first failed write
  bool keepMode_ = false;
  unsigned mode_ = 0;
};

}  // namespace kh::gfx::render
