#include "host/values/array_blocks.h"

#include <new>

namespace kh::blocks {

Block takeFresh(std::size_t bytes) {
  const unsigned shift = bytes <= 1 ? 0 : static_cast<unsigned>(std::bit_width(bytes - 1));
  if (shift > kLastShift) return {::operator new(bytes), bytes, kNoShelf};
  const unsigned c = shift < kFirstShift ? 0 : shift - kFirstShift;
  const std::size_t size = std::size_t{1} << (c + kFirstShift);
  return {::operator new(size), size, static_cast<std::uint8_t>(c)};
}

void giveBack(void* p) noexcept { ::operator delete(p); }

}  // namespace kh::blocks
