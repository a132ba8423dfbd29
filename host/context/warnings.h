// Host warnings: an enable state that can be queried and restored, the last
// warning issued, and printing as "Warning: text" on the command window.
#pragma once

#include <string>

namespace kh {

// Issues a warning: records it as the last warning and prints it when
// warnings are on.
void warn(const std::string& text);
bool warningsOn();
void setWarningsOn(bool on);
const std::string& lastWarning();
void clearLastWarning();

// Saves the warning state and puts it back when it goes out of scope.
class WarningStateGuard {
 public:
  WarningStateGuard() : saved_(warningsOn()) {}
  ~WarningStateGuard() { setWarningsOn(saved_); }
  WarningStateGuard(const WarningStateGuard&) = delete;
  WarningStateGuard& operator=(const WarningStateGuard&) = delete;

 private:
  bool saved_;
};

}  // namespace kh
