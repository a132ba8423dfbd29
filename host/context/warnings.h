// Host warnings: an enable state that can be queried and restored, the last
// warning issued, and printing as "Warning: text" on the command window.
#pragma once

#include <string>
#include <vector>

namespace kh {

// Issues a warning: records it as the last warning and prints it when
// warnings are on.
void warn(const std::string& text);
// A warning with an identifier ("pkg:id"; empty for none): issued as above
// unless warnings with that identifier are turned off, in which case nothing
// happens (not even the record of the last warning).
void warn(const std::string& text, const std::string& identifier);
bool warningsOn();
void setWarningsOn(bool on);
// Turns the warnings with one identifier off or back on, or every
// identifier back on.
void setWarningOn(const std::string& identifier, bool on);
void setAllWarningIdsOn();
// The identifiers turned off, in order.
std::vector<std::string> warningIdsOff();
// Whether a warning with this identifier would be shown.
bool warningOn(const std::string& identifier);
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
