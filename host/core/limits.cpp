#include "host/core/limits.h"

#include <pthread.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "host/core/errors.h"

namespace kh {
namespace {

// What must stay free below the deepest check: room for the frames of one
// level of any reader plus an operation it calls. Instrumented builds use
// several times the stack per frame.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::uintptr_t kStackMargin = 2u << 20;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr std::uintptr_t kStackMargin = 2u << 20;
#else
constexpr std::uintptr_t kStackMargin = 512u << 10;
#endif
#else
constexpr std::uintptr_t kStackMargin = 512u << 10;
#endif

// The lowest address the checks let this thread's stack reach; 0 when the
// stack's extent cannot be learnt (then only the explicit limits apply).
std::uintptr_t stackFloor() {
  thread_local std::uintptr_t floor = [] {
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return std::uintptr_t{0};
    void* base = nullptr;
    std::size_t size = 0;
    const int rc = pthread_attr_getstack(&attr, &base, &size);
    pthread_attr_destroy(&attr);
    if (rc != 0 || !base || size == 0) return std::uintptr_t{0};
    // A small stack (a thread made with one) keeps half of itself free.
    const std::uintptr_t margin = std::min<std::uintptr_t>(kStackMargin, size / 2);
    return reinterpret_cast<std::uintptr_t>(base) + margin;
  }();
  return floor;
}

}  // namespace

void checkStackRoom(const char* what) {
  char here;
  const std::uintptr_t floor = stackFloor();
  if (floor && reinterpret_cast<std::uintptr_t>(&here) < floor)
    raise(std::string(what) + " nested too deeply for the stack.");
}

}  // namespace kh
