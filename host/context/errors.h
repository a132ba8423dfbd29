// Errors are C++ exceptions thrown by the host; they unwind to the nearest
// protected point (the prompt, a callback dispatch, a try context, or the
// caller of a feval from a test), which reports one message.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace kh {

class MError : public std::runtime_error {
 public:
  explicit MError(const std::string& msg) : std::runtime_error(msg), message_(msg) {}
  // The whole message; what() stops at an embedded NUL character.
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

[[noreturn]] void raise(const std::string& msg);

// The message a protected point reports for a caught exception: an MError's
// own text, "Out of memory." for a failed allocation, the size error for a
// container that cannot grow that far, and a plain internal-error text for
// anything else, so that no failure ever leaves the host without a message.
std::string failureMessage(const std::exception_ptr& e);

// Text of the last error caught at a protected point ("lasterr").
const std::string& lastError();
void setLastError(const std::string& msg);

}  // namespace kh
