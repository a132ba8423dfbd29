// Two doubles that the compiler keeps in one vector register where the
// target has them. Element-wise arithmetic on a pair is the scalar
// arithmetic of each half, so a pair of running sums gives the bits of two
// scalar ones: the kernels use pairs for speed without changing results.
#pragma once

#include <cstring>

namespace kh {

typedef double Pair __attribute__((vector_size(2 * sizeof(double))));

inline Pair loadPair(const double* p) {
  Pair r;
  std::memcpy(&r, p, sizeof r);
  return r;
}
inline void storePair(double* p, Pair v) { std::memcpy(p, &v, sizeof v); }
inline Pair splat(double b) { return Pair{b, b}; }

}  // namespace kh
