// Two-dimensional convolution, plain and separable, in the shapes "full",
// "same" and "valid". Short kernels are applied directly; long ones made of a
// few constant runs by sliding window sums, other long ones through block
// FFTs (overlap-add). All agree with direct evaluation to rounding.
#pragma once

#include <cstddef>
#include <vector>

#include "host/values/value.h"

namespace kh {

enum class ConvShape { Full, Same, Valid };

// "full", "same" or "valid"; anything else raises "Unknown shape parameter.".
ConvShape convShapeFromText(const Value& text);

// conv2(a, k, shape): the two-dimensional convolution of a with k.
Value conv2(const Value& a, const Value& k, ConvShape shape);
// conv2(hcol, hrow, a, shape): every column of a convolved with hcol, then
// every row of that with hrow (both used as plain sequences).
Value conv2Separable(const Value& hcol, const Value& hrow, const Value& a, ConvShape shape);

// One-dimensional core: writes count values of the full convolution of x
// (nx samples, stride xs) with h (nh taps), starting at full-output index lo,
// to out (stride os). Picks direct or FFT evaluation by cost.
void convolveSegment(const double* x, std::size_t nx, std::ptrdiff_t xs, const double* h,
                     std::size_t nh, std::size_t lo, std::size_t count, double* out,
                     std::ptrdiff_t os);
// The same, with non-finite samples affecting only the outputs they reach, as
// in direct evaluation (a transform alone would spread them everywhere).
void convolveSegmentExact(const double* x, std::size_t nx, std::ptrdiff_t xs, const double* h,
                          std::size_t nh, std::size_t lo, std::size_t count, double* out,
                          std::ptrdiff_t os);
// A kernel as runs of equal non-zero taps: taps start .. start+len-1 equal value.
struct KernelRun {
  std::size_t start, len;
  double value;
};
// The runs of h, or none when it has more than maxRuns of them.
std::vector<KernelRun> kernelRuns(const double* h, std::size_t nh, std::size_t maxRuns);
// The same segment for a kernel given as runs, by sliding window sums.
void convolveSegmentRuns(const double* x, std::size_t nx, std::ptrdiff_t xs,
                         const std::vector<KernelRun>& runs, std::size_t lo, std::size_t count,
                         double* out, std::ptrdiff_t os);
// The same, always by direct evaluation (reference for tests and short kernels).
void convolveSegmentDirect(const double* x, std::size_t nx, std::ptrdiff_t xs, const double* h,
                           std::size_t nh, std::size_t lo, std::size_t count, double* out,
                           std::ptrdiff_t os);
// The same, always through FFTs.
void convolveSegmentFft(const double* x, std::size_t nx, std::ptrdiff_t xs, const double* h,
                        std::size_t nh, std::size_t lo, std::size_t count, double* out,
                        std::ptrdiff_t os);

}  // namespace kh
