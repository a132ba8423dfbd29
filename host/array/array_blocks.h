// Memory for the heap objects behind values. Programs make and drop arrays
// of one size at every step of a loop, and the general allocator keeps only
// a few blocks of each size at hand: freed blocks are kept for reuse by size
// class (powers of two from 128 bytes to 1 MB); larger ones go straight to
// the allocator. Values belong to the run-time's one thread, so the shelves
// take no lock.
#pragma once

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

// A block of at least `bytes` bytes, aligned for any value.
Block takeBlock(std::size_t bytes);
void giveBlock(void* p, std::uint8_t shelf) noexcept;

}  // namespace kh
