#include "host/array/doubles.h"

#include <bit>
#include <new>

namespace kh {
namespace {

// Size classes of 2^5 .. 2^16 elements (256 bytes to 512 KB); larger blocks
// go straight to the allocator. Up to kSpares blocks of a class are kept,
// fewer of the large ones, so at most a few megabytes stay in reserve.
constexpr unsigned kFirstShift = 5;
constexpr unsigned kLastShift = 16;
constexpr unsigned kClasses = kLastShift - kFirstShift + 1;
constexpr std::size_t kSpares = 16;

struct Shelf {
  double* blocks[kSpares];
  std::size_t count = 0;
};
// Plain static storage, so that blocks freed during static destruction still
// find it.
Shelf g_shelves[kClasses];

// The class of a block for n elements (n > 16), or kClasses when too large.
unsigned classOf(std::size_t n) {
  const unsigned shift = static_cast<unsigned>(std::bit_width(n - 1));  // 2^shift >= n
  const unsigned s = shift < kFirstShift ? kFirstShift : shift;
  return s > kLastShift ? kClasses : s - kFirstShift;
}

std::size_t sparesOf(unsigned c) { return c + kFirstShift >= 13 ? 4 : kSpares; }

}  // namespace

double* takeDoubleBlock(std::size_t n) {
  const unsigned c = classOf(n);
  if (c == kClasses) return new double[n];
  Shelf& s = g_shelves[c];
  if (s.count) return s.blocks[--s.count];
  return new double[std::size_t{1} << (c + kFirstShift)];
}

void giveDoubleBlock(double* p, std::size_t n) noexcept {
  const unsigned c = classOf(n);
  if (c < kClasses) {
    Shelf& s = g_shelves[c];
    if (s.count < sparesOf(c)) {
      s.blocks[s.count++] = p;
      return;
    }
  }
  delete[] p;
}

}  // namespace kh
