// mxArray handles: the opaque references through which the library holds host
// values. Every live handle is counted, so that the host can tell what leaked.
#pragma once

#include <boost/container/small_vector.hpp>
#include <cstdint>
#include <functional>
#include <vector>

#include "host/values/value.h"

struct mxArray_tag {
  mxArray_tag(kh::Value&& value, bool temp) : v(std::move(value)), temporary(temp) {}
  kh::Value v;
  bool temporary = false;  // a temporary is consumed by the call it is passed to
  bool list = false;       // a comma-separated list (see host/capi/cs_list.h)
  // Set when the handle was freed while borrowed: it goes when the last
  // borrower gives it back.
  bool orphaned = false;
  // Bodies reading this handle as an input without a copy of their own.
  std::uint32_t borrows = 0;
  std::uint64_t serial = 0;
};

namespace kh {

// A new handle holding v.
// (Values are taken by reference: a handle is made at almost every step of a
// program, and each by-value pass would move the value once more.)
mxArray* newHandle(Value&& v, bool temporary);
inline mxArray* newHandle(const Value& v, bool temporary) { return newHandle(Value(v), temporary); }
inline mxArray* newTemp(Value&& v) { return newHandle(std::move(v), true); }
inline mxArray* newTemp(const Value& v) { return newHandle(Value(v), true); }
// Gives temporary h the value v in place of its own, as if h were freed and
// a new temporary made (it gets the next serial): an operation whose input
// was a temporary returns its result in that handle.
inline mxArray* renewTemp(mxArray* h, Value&& v);
// Frees a handle (null is ignored). A borrowed handle is only marked, and
// goes when its last borrower gives it back.
void destroyHandle(mxArray* a);
// Counts a borrower of a; endBorrow gives it back.
inline void borrowHandle(mxArray* a) { ++a->borrows; }
void endBorrow(mxArray* a);
// Before a write in place to the handle in *slot: a borrowed handle is
// replaced by a copy (sharing its data until the write), so that borrowers
// keep the value they were given.
void unshareForWrite(mxArray** slot);
// Releases a if it is a temporary; used by operations after reading inputs.
inline void releaseIfTemp(mxArray* a) {
  if (a && a->temporary) destroyHandle(a);
}

std::size_t liveHandles();
// Serial number that the next handle will get (live handles count from 1).
inline std::uint64_t g_nextSerial = 1;
inline std::uint64_t nextSerial() { return g_nextSerial; }
inline mxArray* renewTemp(mxArray* h, Value&& v) {
  h->v = std::move(v);
  h->serial = g_nextSerial++;
  return h;
}
// Visits live handles, oldest first.
void forEachLive(const std::function<void(const mxArray&)>& fn);
// Frees every temporary created at or after serial `from` that is still alive:
// the clean-up of a protected point after an error unwound through the code
// that would have consumed them.
std::size_t destroyTemporariesSince(std::uint64_t from);

// The handles passed to one call: a few, kept inline.
using HandleList = boost::container::small_vector<mxArray*, 8>;

// A short list of distinct temporaries, kept inline: almost every call
// passes fewer than eight, and collecting them must not allocate.
// (GCC cannot always see that only the first n_ inline entries, all of them
// written, are ever read.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
class HandleSet {
 public:
  HandleSet() = default;
  HandleSet(const HandleSet&) = delete;
  HandleSet& operator=(const HandleSet&) = delete;
  ~HandleSet() { delete more_; }
  // Adds a when it is a temporary (null, other handles and repeats are
  // ignored: only temporaries are ever released).
  void add(mxArray* a) {
    if (a && a->temporary) addTemporary(a);
  }
  // One of the temporaries, taken out of the set (so it is not released),
  // that can be given a new value in place; null when there is none.
  mxArray* takeReusable() {
    for (std::size_t k = 0; k < n_; ++k) {
      mxArray* h = inline_[k];
      if (!h->list && !h->borrows) {
        inline_[k] = inline_[--n_];
        return h;
      }
    }
    return nullptr;
  }
  // Releases the temporaries among the handles.
  void releaseTemporaries() {
    for (std::size_t k = 0; k < n_; ++k) releaseIfTemp(inline_[k]);
    n_ = 0;
    if (more_) {
      for (mxArray* h : *more_) releaseIfTemp(h);
      more_->clear();
    }
  }

 private:
  void addTemporary(mxArray* a) {
    for (std::size_t k = 0; k < n_; ++k)
      if (inline_[k] == a) return;
    if (n_ < kInline) {
      inline_[n_++] = a;
      return;
    }
    addMore(a);
  }
  void addMore(mxArray* a);

  // Made at nearly every call of the run-time: making one sets two words
  // (the inline entries past n_ are never read).
  static constexpr std::size_t kInline = 8;
  std::size_t n_ = 0;
  std::vector<mxArray*>* more_ = nullptr;  // past kInline, when needed
  mxArray* inline_[kInline];
};
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// Holds handles and releases the temporaries among them when it goes out of
// scope, on a normal return or when an error unwinds.
class TempGuard {
 public:
  template <typename... A>
  explicit TempGuard(A*... a) {
    (hs_.add(a), ...);
  }
  ~TempGuard() { hs_.releaseTemporaries(); }
  TempGuard(const TempGuard&) = delete;
  TempGuard& operator=(const TempGuard&) = delete;
  void add(mxArray* a) { hs_.add(a); }

 private:
  HandleSet hs_;
};

// The value behind a handle; a null handle is an internal error.
[[noreturn]] void nullHandle();
inline const Value& valueOf(const mxArray* a) {
  if (!a) [[unlikely]]
    nullHandle();
  return a->v;
}

}  // namespace kh
