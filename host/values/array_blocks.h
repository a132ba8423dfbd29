// Memory for the heap objects behind values. Programs make and drop arrays
// of one size at every step of a loop, and the general allocator keeps only
// a few blocks of each size at hand: freed blocks are kept for reuse by size
// class (powers of two from 128 bytes to 512 KB); larger ones go straight to
// the allocator. Values belong to the run-time's one thread, so the shelves
// take no lock.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace kh {

// The class a block is on when it is free: kNoShelf for a block from the
// allocator that goes back to it.
inline constexpr std::uint8_t kNoShelf = 0xff;

struct Block {
  void* p;
  std::size_t bytes;   // what the block holds, at least what was asked for
  std::uint8_t shelf;  // give it back with this
};

namespace blocks {
inline constexpr unsigned kFirstShift = 7;  // 128 bytes
inline constexpr unsigned kLastShift = 19;  // 512 KB
inline constexpr unsigned kClasses = kLastShift - kFirstShift + 1;
inline constexpr std::size_t kMostSpares = 32;
struct Shelf {
  void* blocks[kMostSpares];
  std::size_t count;
};
// Plain static storage, so that blocks freed during static destruction
// still find it.
inline Shelf g_shelves[kClasses];
// Many of the small blocks, fewer of the large ones: at most a few
// megabytes stay in reserve.
constexpr std::size_t sparesOf(unsigned c) {
  return c + kFirstShift <= 12 ? kMostSpares : c + kFirstShift <= 16 ? 16 : 4;
}
Block takeFresh(std::size_t bytes);
void giveBack(void* p) noexcept;
}  // namespace blocks

// A block of at least `bytes` (> 0) bytes, aligned for any value. A spare of its
// class is taken inline; the allocator is called out of line.
inline Block takeBlock(std::size_t bytes) {
  using namespace blocks;
  const unsigned shift = static_cast<unsigned>(std::bit_width(bytes - 1));
  const unsigned c = shift < kFirstShift ? 0 : shift - kFirstShift;
  if (c < kClasses) {
    Shelf& s = g_shelves[c];
    if (s.count)
      return {s.blocks[--s.count], std::size_t{1} << (c + kFirstShift),
              static_cast<std::uint8_t>(c)};
  }
  return takeFresh(bytes);
}

inline void giveBlock(void* p, std::uint8_t shelf) noexcept {
  using namespace blocks;
  if (shelf != kNoShelf) {
    Shelf& s = g_shelves[shelf];
    if (s.count < sparesOf(shelf)) {
      s.blocks[s.count++] = p;
      return;
    }
  }
  giveBack(p);
}

}  // namespace kh
