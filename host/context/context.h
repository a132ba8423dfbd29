// Call contexts and protected points.
//
// Every body runs between mlfEnterNewContext and mlfRestorePreviousContext;
// the host keeps a stack of those brackets together with the current local
// function table. When an error unwinds, the library does no clean-up of its
// own: the nearest protected point puts the stack and the local function
// table back as they were when it was entered, frees the temporaries created
// inside it that nobody consumed, and reports the message. The warning state
// is left as the error found it.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/mx_types.h"

namespace kh {

struct ContextFrame {
  int nout;
  int nin;
};

void pushContext(int nout, int nin);
// Pops the innermost bracket; the counts must match the ones it was entered with.
void popContext(int nout, int nin);
std::size_t contextDepth();

mexLocalFunctionTablePtr currentLocalFunctionTable();
mexLocalFunctionTablePtr setCurrentLocalFunctionTable(mexLocalFunctionTablePtr t);

// The state a protected point restores.
class ProtectedPoint {
 public:
  ProtectedPoint();
  // Called after an error was caught: restores the saved state and frees
  // orphaned temporaries. Records msg (and its identifier) as the last error.
  void recover(const std::string& msg, const std::string& identifier = {});
  // In a catch block: recovers from the exception being handled, recording
  // its message and identifier, and returns the message.
  std::string recoverCurrent();

 private:
  std::size_t depth_;
  mexLocalFunctionTablePtr table_;
  std::uint64_t serial_;
};

// Runs fn at a protected point. Returns true when it completed; on an error
// returns false with the message in *msg (when msg is not null).
template <typename F>
bool protect(F&& fn, std::string* msg = nullptr);

}  // namespace kh

#include "host/core/errors.h"

namespace kh {

template <typename F>
bool protect(F&& fn, std::string* msg) {
  ProtectedPoint pp;
  try {
    fn();
    return true;
  } catch (...) {
    const std::string m = pp.recoverCurrent();
    if (msg) *msg = m;
  }
  return false;
}

}  // namespace kh
