#include "host/values/handle.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

#include "host/core/errors.h"

namespace kh {
namespace {

// Handles live in cells of slabs that are never given back: programs create
// and free handles at a high rate, and a freed cell is the next one taken,
// so the memory a call touches stays in cache. Nothing links the live
// handles to one another (a list would touch two other handles at every
// free): the rare walks over them (the leak report, the clean-up after an
// error) scan the slabs. The slabs are reachable from a pointer that is
// never destroyed, so that handles freed during static destruction still
// find their cells.
// A cell is exactly a handle's size. A free cell keeps the link to the next
// free one in its first word and a serial of 0 (live handles count from 1),
// which is how the walks below tell the two apart.
struct Cell {
  alignas(mxArray_tag) unsigned char storage[sizeof(mxArray_tag)];
  Cell* nextFree() const {
    Cell* n;
    std::memcpy(&n, storage, sizeof n);
    return n;
  }
  void makeFree(Cell* next) {
    std::memcpy(storage, &next, sizeof next);
    const std::uint64_t zero = 0;
    std::memcpy(storage + kSerialAt, &zero, sizeof zero);
  }
  bool alive() const {
    std::uint64_t serial;
    std::memcpy(&serial, storage + kSerialAt, sizeof serial);
    return serial != 0;
  }
  static constexpr std::size_t kSerialAt = offsetof(mxArray_tag, serial);
};
static_assert(sizeof(Cell) == sizeof(mxArray_tag), "a cell is a handle");
static_assert(offsetof(mxArray_tag, serial) >= sizeof(Cell*),
              "the link and the serial do not overlap");

constexpr std::size_t kSlabCells = 512;
std::vector<Cell*>* g_slabs = new std::vector<Cell*>;
Cell* g_free = nullptr;
std::size_t g_live = 0;

// Out of line, so that taking a cell from the free list stays a few
// instructions with no registers to save.
[[gnu::noinline]] void addSlab() {
  Cell* slab = new Cell[kSlabCells];
  g_slabs->push_back(slab);
  for (std::size_t k = kSlabCells; k-- > 0;) {
    slab[k].makeFree(g_free);
    g_free = &slab[k];
  }
}

inline Cell* takeCell() {
  if (!g_free) [[unlikely]]
    addSlab();
  Cell* c = g_free;
  g_free = c->nextFree();
  return c;
}

template <typename F>
void forEachCell(F&& f) {
  for (Cell* slab : *g_slabs)
    for (std::size_t k = 0; k < kSlabCells; ++k)
      if (slab[k].alive()) f(reinterpret_cast<mxArray_tag*>(slab[k].storage));
}

}  // namespace

mxArray* newHandle(Value&& v, bool temporary) {
  Cell* c = takeCell();
  auto* h = new (c->storage) mxArray_tag(std::move(v), temporary);
  h->serial = g_nextSerial++;
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
  Cell* c = reinterpret_cast<Cell*>(a);
  a->~mxArray_tag();
  c->makeFree(g_free);
  g_free = c;
  --g_live;
}

void endBorrow(mxArray* a) {
  // Runs in destructors, so it never raises: a handle given back more often
  // than it was borrowed is left alone (the leak report would show it).
  if (!a || a->borrows == 0) return;
  if (--a->borrows == 0 && a->orphaned) destroyHandle(a);
}

void unshareForWrite(mxArray** slot) {
  mxArray* a = *slot;
  if (!a || !a->borrows) return;
  *slot = newHandle(a->v, false);
  destroyHandle(a);
}

std::size_t liveHandles() { return g_live; }

void forEachLive(const std::function<void(const mxArray&)>& fn) {
  std::vector<const mxArray_tag*> live;
  forEachCell([&](const mxArray_tag* h) { live.push_back(h); });
  std::sort(live.begin(), live.end(),
            [](const mxArray_tag* a, const mxArray_tag* b) { return a->serial < b->serial; });
  for (const mxArray_tag* h : live) fn(*h);
}

std::size_t destroyTemporariesSince(std::uint64_t from) {
  std::vector<mxArray_tag*> doomed;
  forEachCell([&](mxArray_tag* h) {
    if (h->temporary && h->serial >= from) doomed.push_back(h);
  });
  for (mxArray_tag* h : doomed) destroyHandle(h);
  return doomed.size();
}

void HandleSet::addMore(mxArray* a) {
  if (!more_) more_ = new std::vector<mxArray*>;
  for (mxArray* h : *more_)
    if (h == a) return;
  more_->push_back(a);
}

void nullHandle() { raise("Internal error: null array handle."); }

}  // namespace kh
