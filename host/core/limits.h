// The stack bound every recursive reader checks (the parser, the evaluator,
// the data-file readers): before it goes one level further it makes sure
// the thread's stack still has room, so that hostile input raises an
// ordinary error instead of running the process off its stack.
#pragma once

#include <cstdint>

namespace kh {

namespace detail {
// The lowest address the checks let this thread's stack reach: 1 until the
// thread's first check learns it, 0 when it cannot be learnt (then only the
// explicit limits apply). Constant-initialized and in the static TLS block,
// so reading it is one load.
extern constinit thread_local std::uintptr_t t_stackFloor [[gnu::tls_model("initial-exec")]];
std::uintptr_t learnStackFloor();
[[noreturn]] void stackTooDeep(const char* what);
}  // namespace detail

// Raises "what is nested too deeply" when the stack of this thread has less
// than a safe margin left. Inline: one load and one comparison after the
// thread's first call.
inline void checkStackRoom(const char* what) {
  char here;
  std::uintptr_t floor = detail::t_stackFloor;
  if (floor == 1) [[unlikely]]
    floor = detail::learnStackFloor();
  if (reinterpret_cast<std::uintptr_t>(&here) < floor) [[unlikely]]
    detail::stackTooDeep(what);
}

}  // namespace kh
