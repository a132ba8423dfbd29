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

}  // namespace

namespace detail {

constinit thread_local std::uintptr_t t_stackFloor [[gnu::tls_model("initial-exec")]] = 1;

std::uintptr_t learnStackFloor() {
  std::uintptr_t floor = 0;
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void* base = nullptr;
    std::size_t size = 0;
    const int rc = pthread_attr_getstack(&attr, &base, &size);
    pthread_attr_destroy(&attr);
    // A small stack (a thread made with one) keeps half of itself free.
    if (rc == 0 && base && size != 0)
      floor = reinterpret_cast<std::uintptr_t>(base) + std::min<std::uintptr_t>(kStackMargin, size / 2);
  }
  t_stackFloor = floor;
  return floor;
}

void stackTooDeep(const char* what) { raise(std::string(what) + " nested too deeply for the stack."); }

}  // namespace detail

}  // namespace kh
