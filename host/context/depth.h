// Bounds on how deep the host may go: nested calls (functions, callbacks,
// feval chains) are counted against a recursion limit, and every recursive
// reader (the parser, the evaluator, the data-file reader) checks that the
// thread's stack still has room before it goes one level further. Either
// bound raises an ordinary error, which unwinds to the nearest protected
// point like any other, instead of letting the process run off its stack.
#pragma once

#include <cstddef>

#include "host/core/limits.h"

namespace kh {

// Nested calls the host allows: library function brackets and the command
// window's own calls together.
inline constexpr std::size_t kMaxCallDepth = 256;

// Calls in progress (library contexts plus command-window calls).
std::size_t callDepth();

// Counts one command-window call for as long as it lives; raises the
// recursion error when the limit is passed.
class CallDepthGuard {
 public:
  CallDepthGuard();
  ~CallDepthGuard();
  CallDepthGuard(const CallDepthGuard&) = delete;
  CallDepthGuard& operator=(const CallDepthGuard&) = delete;
};

// Raises the recursion error when one more call would pass the limit.
void checkCallDepth();

}  // namespace kh
