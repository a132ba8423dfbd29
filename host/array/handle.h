// mxArray handles: the opaque references through which the library holds host
// values. Every live handle is counted, so that the host can tell what leaked.
#pragma once

#include <cstdint>
#include <functional>

#include "host/array/value.h"

struct mxArray_tag {
  kh::Value v;
  bool temporary = false;  // a temporary is consumed by the call it is passed to
  std::uint64_t serial = 0;
  mxArray_tag* prev = nullptr;
  mxArray_tag* next = nullptr;
};

namespace kh {

// A new handle holding v.
mxArray* newHandle(Value v, bool temporary);
inline mxArray* newTemp(Value v) { return newHandle(std::move(v), true); }
// Frees a handle (null is ignored).
void destroyHandle(mxArray* a);
// Releases a if it is a temporary; used by operations after reading inputs.
inline void releaseIfTemp(mxArray* a) {
  if (a && a->temporary) destroyHandle(a);
}

std::size_t liveHandles();
// Serial number that the next handle will get.
std::uint64_t nextSerial();
// Visits live handles, oldest first.
void forEachLive(const std::function<void(const mxArray&)>& fn);
// Frees every temporary created at or after serial `from` that is still alive:
// the clean-up of a protected point after an error unwound through the code
// that would have consumed them.
std::size_t destroyTemporariesSince(std::uint64_t from);

// Holds handles and releases the temporaries among them when it goes out of
// scope, on a normal return or when an error unwinds.
class TempGuard {
 public:
  template <typename... A>
  explicit TempGuard(A*... a) : hs_{a...} {}
  ~TempGuard() {
    for (mxArray* h : hs_) releaseIfTemp(h);
  }
  TempGuard(const TempGuard&) = delete;
  TempGuard& operator=(const TempGuard&) = delete;
  void add(mxArray* a) { hs_.push_back(a); }

 private:
  std::vector<mxArray*> hs_;
};

// The value behind a handle; a null handle is an internal error.
const Value& valueOf(const mxArray* a);

}  // namespace kh
