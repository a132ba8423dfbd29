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
  explicit MError(const std::string& msg, std::string identifier = {})
      : std::runtime_error(msg), message_(msg), identifier_(std::move(identifier)) {}
  // The whole message; what() stops at an embedded NUL character.
  const std::string& message() const { return message_; }
  // The error's identifier ("component:mnemonic"), empty when it has none.
  const std::string& identifier() const { return identifier_; }

 private:
  std::string message_;
  std::string identifier_;
};

[[noreturn]] void raise(const std::string& msg);
// An error with an identifier, as error('pkg:id', ...) raises it.
[[noreturn]] void raiseWithId(const std::string& identifier, const std::string& msg);

// The message a protected point reports for a caught exception: an MError's
// own text, "Out of memory." for a failed allocation, the size error for a
// container that cannot grow that far, and a plain internal-error text for
// anything else, so that no failure ever leaves the host without a message.
std::string failureMessage(const std::exception_ptr& e);
// The identifier of a caught exception: an MError's own, else empty.
std::string failureIdentifier(const std::exception_ptr& e);

// Text of the last error caught at a protected point ("lasterr"), and its
// identifier (empty when it had none).
const std::string& lastError();
const std::string& lastErrorIdentifier();
void setLastError(const std::string& msg, const std::string& identifier = {});

}  // namespace kh
