#include "host/array/array_blocks.h"

#include <bit>
#include <new>

namespace kh {
namespace {

constexpr unsigned kFirstShift = 7;  // 128 bytes
constexpr unsigned kLastShift = 20;  // 1 MB
constexpr unsigned kClasses = kLastShift - kFirstShift + 1;
constexpr std::size_t kMostSpares = 32;

struct Shelf {
  void* blocks[kMostSpares];
  std::size_t count = 0;
};
// Plain static storage, so that blocks freed during static destruction still
// find it.
Shelf g_shelves[kClasses];

// Many of the small blocks, fewer of the large ones: at most a few
// megabytes stay in reserve.
constexpr std::size_t sparesOf(unsigned c) {
  return c + kFirstShift <= 12 ? kMostSpares : c + kFirstShift <= 16 ? 16 : 4;
}

}  // namespace

Block takeBlock(std::size_t bytes) {
  const unsigned shift = bytes <= 1 ? 0 : static_cast<unsigned>(std::bit_width(bytes - 1));
  if (shift > kLastShift) return {::operator new(bytes), bytes, kNoShelf};
  const unsigned c = shift < kFirstShift ? 0 : shift - kFirstShift;
  const std::size_t size = std::size_t{1} << (c + kFirstShift);
  Shelf& s = g_shelves[c];
  void* p = s.count ? s.blocks[--s.count] : ::operator new(size);
  return {p, size, static_cast<std::uint8_t>(c)};
}

void giveBlock(void* p, std::uint8_t shelf) noexcept {
  if (shelf != kNoShelf) {
    Shelf& s = g_shelves[shelf];
    if (s.count < sparesOf(shelf)) {
      s.blocks[s.count++] = p;
      return;
    }
  }
  ::operator delete(p);
}

}  // namespace kh
