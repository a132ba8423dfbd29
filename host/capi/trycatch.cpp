// Try contexts: each enter saves the run-time's state at a protected point;
// the exit on the normal path drops it, the exit inside a catch handler puts
// the state back and records the caught error's text.
#include <exception>
#include <new>
#include <vector>

#include "host/context/context.h"
#include "host/core/errors.h"
#include "runtime/control.h"

namespace {

std::vector<kh::ProtectedPoint>& tryStack() {
  static std::vector<kh::ProtectedPoint> stack;
  return stack;
}

}  // namespace

extern "C" {

void mclEnterTryCatchContext(void) { tryStack().emplace_back(); }

void mclExitTryCatchContext(void) {
  auto& stack = tryStack();
  if (stack.empty()) kh::raise("Try context exited without being entered.");
  kh::ProtectedPoint point = stack.back();
  stack.pop_back();
  if (std::exception_ptr e = std::current_exception()) point.recover(kh::failureMessage(e));
}

}  // extern "C"
