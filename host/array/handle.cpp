#include "host/array/handle.h"

#include <new>
#include <vector>

#include "host/context/errors.h"

namespace kh {
namespace {

mxArray_tag* g_head = nullptr;  // oldest
mxArray_tag* g_tail = nullptr;  // newest
std::size_t g_live = 0;
std::uint64_t g_serial = 1;

// Freed handle storage kept for reuse: programs create and free handles at a
// high rate, nearly all of one size. Plain static storage, so that handles
// freed during static destruction still find it.
constexpr std::size_t kSpareMax = 4096;
void* g_spare[kSpareMax];
std::size_t g_spares = 0;

}  // namespace

mxArray* newHandle(Value&& v, bool temporary) {
  void* mem = g_spares ? g_spare[--g_spares] : ::operator new(sizeof(mxArray_tag));
  auto* h = new (mem) mxArray_tag(std::move(v), temporary);
  h->serial = g_serial++;
  h->prev = g_tail;
  if (g_tail)
    g_tail->next = h;
  else
    g_head = h;
  g_tail = h;
  ++g_live;
  return h;
}

void destroyHandle(mxArray* a) {
  if (!a) return;
  if (a->borrows) {
    a->orphaned = true;
    a->temporary = false;
    return;
  }
  if (a->prev)
    a->prev->next = a->next;
  else
    g_head = a->next;
  if (a->next)
    a->next->prev = a->prev;
  else
    g_tail = a->prev;
  --g_live;
  a->~mxArray_tag();
  if (g_spares < kSpareMax)
    g_spare[g_spares++] = a;
  else
    ::operator delete(a);
}

void endBorrow(mxArray* a) {
  if (!a) return;
  if (a->borrows == 0) raise("Internal error: a handle was given back more often than borrowed.");
  if (--a->borrows == 0 && a->orphaned) destroyHandle(a);
}

void unshareForWrite(mxArray** slot) {
  mxArray* a = *slot;
  if (!a || !a->borrows) return;
  *slot = newHandle(a->v, false);
  destroyHandle(a);
}

std::size_t liveHandles() { return g_live; }
std::uint64_t nextSerial() { return g_serial; }

void forEachLive(const std::function<void(const mxArray&)>& fn) {
  for (const mxArray_tag* h = g_head; h; h = h->next) fn(*h);
}

std::size_t destroyTemporariesSince(std::uint64_t from) {
  std::size_t n = 0;
  mxArray_tag* h = g_tail;
  while (h && h->serial >= from) {
    mxArray_tag* prev = h->prev;
    if (h->temporary) {
      destroyHandle(h);
      ++n;
    }
    h = prev;
  }
  return n;
}

const Value& valueOf(const mxArray* a) {
  if (!a) raise("Internal error: null array handle.");
  return a->v;
}

}  // namespace kh
