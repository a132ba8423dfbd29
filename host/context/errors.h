// Errors are C++ exceptions thrown by the host; they unwind to the nearest
// protected point (the prompt, a callback dispatch, a try context, or the
// caller of a feval from a test), which reports one message.
#pragma once

#include <stdexcept>
#include <string>

namespace kh {

class MError : public std::runtime_error {
 public:
  explicit MError(const std::string& msg) : std::runtime_error(msg) {}
};

[[noreturn]] void raise(const std::string& msg);

// Text of the last error caught at a protected point ("lasterr").
const std::string& lastError();
void setLastError(const std::string& msg);

}  // namespace kh
