#include "host/kernels/signal/convolution.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <unsupported/Eigen/FFT>
#include <vector>

#include "host/core/errors.h"

namespace kh {
namespace {

// Kernels up to this many taps are always applied directly; above it the
// cheaper of direct and FFT evaluation is chosen by an operation count.
constexpr std::size_t kDirectTaps = 48;
// Longest list of constant runs for which sliding sums are used.
constexpr std::size_t kMaxKernelRuns = 4;
// Shortest kernel for which sliding sums are considered.
constexpr std::size_t kMinRunTaps = 9;

// Smallest n >= want whose only prime factors are 2, 3 and 5, and even.
std::size_t niceFftSize(std::size_t want) {
  std::size_t best = 2;
  while (best < want) best *= 2;
  for (std::size_t p5 = 1; p5 < best; p5 *= 5)
    for (std::size_t p35 = p5; p35 < best; p35 *= 3) {
      std::size_t n = p35 * 2;
      while (n < want) n *= 2;
      if (n < best) best = n;
    }
  return best;
}

// Gathers a strided sequence into contiguous storage.
std::vector<double> gather(const double* x, std::size_t n, std::ptrdiff_t s) {
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = x[static_cast<std::ptrdiff_t>(i) * s];
  return v;
}

void scatter(const std::vector<double>& v, double* out, std::ptrdiff_t os) {
  for (std::size_t i = 0; i < v.size(); ++i) out[static_cast<std::ptrdiff_t>(i) * os] = v[i];
}

Eigen::FFT<double>& fftEngine() {
  thread_local Eigen::FFT<double> fft = [] {
    Eigen::FFT<double> f;
    f.SetFlag(Eigen::FFT<double>::HalfSpectrum);
    return f;
  }();
  return fft;
}

}  // namespace

void convolveSegmentDirect(const double* x, std::size_t nx, std::ptrdiff_t xs, const double* h,
                           std::size_t nh, std::size_t lo, std::size_t count, double* out,
                           std::ptrdiff_t os) {
  std::vector<double> xc = gather(x, nx, xs);
  std::vector<double> y(count, 0.0);
  // y[t - lo] += h[j] * x[t - j] for every tap: each pass is an axpy over
  // the output indices where x[t - j] exists.
  for (std::size_t j = 0; j < nh; ++j) {
    const std::size_t tBegin = std::max(lo, j);
    const std::size_t tEnd = std::min(lo + count, j + nx);
    if (tBegin >= tEnd) continue;
    const double hj = h[j];
    double* yp = y.data() + (tBegin - lo);
    const double* xp = xc.data() + (tBegin - j);
    const std::size_t n = tEnd - tBegin;
    for (std::size_t i = 0; i < n; ++i) yp[i] += hj * xp[i];
  }
  scatter(y, out, os);
}

void convolveSegmentFft(const double* x, std::size_t nx, std::ptrdiff_t xs, const double* h,
                        std::size_t nh, std::size_t lo, std::size_t count, double* out,
                        std::ptrdiff_t os) {
  std::vector<double> y(count, 0.0);
  if (nx == 0 || nh == 0 || count == 0) {
    scatter(y, out, os);
    return;
  }
  const std::size_t fullLen = nx + nh - 1;
  std::size_t n = niceFftSize(std::max<std::size_t>(4 * nh, 4096));
  n = std::min(n, niceFftSize(fullLen));
  const std::size_t blockLen = n - nh + 1;  // input samples per block

  Eigen::FFT<double>& fft = fftEngine();
  std::vector<double> buf(n, 0.0);
  std::vector<std::complex<double>> hs, xs_spec;
  for (std::size_t j = 0; j < nh; ++j) buf[j] = h[j];
  fft.fwd(hs, buf);

  const std::size_t hi = lo + count;  // one past the last output wanted
  for (std::size_t start = 0; start < nx; start += blockLen) {
    const std::size_t len = std::min(blockLen, nx - start);
    // This block contributes to full-output indices start .. start+len+nh-2.
    if (start + len + nh - 1 <= lo) continue;
    if (start >= hi) break;
    std::fill(buf.begin(), buf.end(), 0.0);
    for (std::size_t i = 0; i < len; ++i) buf[i] = x[static_cast<std::ptrdiff_t>(start + i) * xs];
    fft.fwd(xs_spec, buf);
    for (std::size_t k = 0; k < xs_spec.size(); ++k) xs_spec[k] *= hs[k];
    fft.inv(buf, xs_spec, static_cast<Eigen::Index>(n));
    const std::size_t blockEnd = std::min(start + len + nh - 1, hi);
    for (std::size_t t = std::max(start, lo); t < blockEnd; ++t) y[t - lo] += buf[t - start];
  }
  scatter(y, out, os);
}

std::vector<KernelRun> kernelRuns(const double* h, std::size_t nh, std::size_t maxRuns) {
  std::vector<KernelRun> runs;
  for (std::size_t j = 0; j < nh;) {
    std::size_t k = j + 1;
    while (k < nh && h[k] == h[j]) ++k;
    if (h[j] != 0.0) {
      if (runs.size() == maxRuns) return {};
      runs.push_back({j, k - j, h[j]});
    }
    j = k;
  }
  return runs;
}

namespace {

bool allFinite(const double* v, std::size_t n, std::ptrdiff_t s) {
  if (s != 1) {
    for (std::size_t i = 0; i < n; ++i)
      if (!std::isfinite(v[static_cast<std::ptrdiff_t>(i) * s])) return false;
    return true;
  }
  // A sample is not finite when its exponent bits are all set: adding one to
  // the exponent field then carries into the top bit. Blocks of samples are
  // tested with integer operations the compiler vectorizes.
  constexpr std::uint64_t kExp = 0x7ff0000000000000ULL, kOne = 1ULL << 52;
  constexpr std::size_t kBlock = 512;
  for (std::size_t b = 0; b < n; b += kBlock) {
    const std::size_t e = std::min(n, b + kBlock);
    std::uint64_t acc = 0;
    for (std::size_t i = b; i < e; ++i) {
      std::uint64_t bits;
      std::memcpy(&bits, v + i, sizeof bits);
      acc |= (bits & kExp) + kOne;
    }
    if (acc >> 63) return false;
  }
  return true;
}

}  // namespace

namespace {

// Sum of x[first..last] (empty when first > last), in four interleaved
// partial sums so that the additions overlap.
double rangeSum(const double* x, std::ptrdiff_t first, std::ptrdiff_t last) {
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
  std::ptrdiff_t i = first;
  for (; i + 3 <= last; i += 4) {
    s0 += x[i];
    s1 += x[i + 1];
    s2 += x[i + 2];
    s3 += x[i + 3];
  }
  for (; i <= last; ++i) s0 += x[i];
  return (s0 + s1) + (s2 + s3);
}

// One constant run of a kernel applied by a sliding window sum: output k
// receives value * W(u0 + k), W(u) being the sum of x over the len samples
// ending at u (those that exist). The sum restarts from scratch every len
// outputs, so rounding cannot build up beyond what a direct sum of the window
// would have; in between it slides by one sample per output.
struct RunSlider {
  const double* x;
  std::ptrdiff_t nx;
  std::ptrdiff_t len;
  double value;
  std::ptrdiff_t u0;
  double w = 0.0;
  std::ptrdiff_t nextRestart = 0;

  template <bool kStore>
  static void emit(double* y, std::ptrdiff_t k, double v) {
    if constexpr (kStore)
      y[k] = 0.0 + v;
    else
      y[k] += v;
  }

  // The window sum at output k, from scratch.
  double restartSum(std::ptrdiff_t k) const {
    const std::ptrdiff_t u = u0 + k;
    return rangeSum(x, std::max<std::ptrdiff_t>(u - len + 1, 0),
                    std::min<std::ptrdiff_t>(u, nx - 1));
  }

  // Slides over outputs [kb, ke), none of which is a restart; kAdd / kSub say
  // whether the sample entering / leaving the window exists.
  template <bool kAdd, bool kSub, bool kStore>
  void slide(std::ptrdiff_t kb, std::ptrdiff_t ke, double* y) {
    double s = w;
    const double v = value;
    for (std::ptrdiff_t k = kb; k < ke; ++k) {
      const double a = kAdd ? x[u0 + k] : 0.0;
      const double b = kSub ? x[u0 + k - len] : 0.0;
      s += a - b;
      emit<kStore>(y, k, v * s);
    }
    w = s;
  }

  template <bool kStore>
  void slideAny(bool add, bool sub, std::ptrdiff_t kb, std::ptrdiff_t ke, double* y) {
    if (add && sub)
      slide<true, true, kStore>(kb, ke, y);
    else if (add)
      slide<true, false, kStore>(kb, ke, y);
    else if (sub)
      slide<false, true, kStore>(kb, ke, y);
    else
      slide<false, false, kStore>(kb, ke, y);
  }

  // Two whole periods [k, k + 2 len) where every entering and leaving sample
  // exists: their sums are independent, so they slide side by side.
  template <bool kStore>
  void twoPeriods(std::ptrdiff_t k, double* y) {
    const double v = value;
    double s = restartSum(k), t = restartSum(k + len);
    emit<kStore>(y, k, v * s);
    emit<kStore>(y, k + len, v * t);
    // Output k + 1 + i takes in[i] and drops out[i].
    const double* in = x + (u0 + k + 1);
    const double* out = x + (u0 + k + 1 - len);
    double* ya = y + (k + 1);
    double* yb = ya + len;
    for (std::ptrdiff_t i = 0; i + 1 < len; ++i) {
      s += in[i] - out[i];
      t += in[i + len] - out[i + len];
      emit<kStore>(ya, i, v * s);
      emit<kStore>(yb, i, v * t);
    }
    w = t;
    nextRestart = k + 2 * len;
  }

  // Outputs [kb, ke) of this run, stored (first run) or added to y.
  template <bool kStore>
  void apply(std::ptrdiff_t kb, std::ptrdiff_t ke, double* y) {
    // Where the entering sample x[u0 + k] and the leaving one x[u0 + k - len]
    // exist: k in [inLo, inHi) and [outLo, outHi).
    const std::ptrdiff_t inLo = -u0, inHi = nx - u0, outLo = len - u0, outHi = nx + len - u0;
    const std::ptrdiff_t bothLo = std::max(inLo, outLo), bothHi = std::min(inHi, outHi);
    std::ptrdiff_t k = kb;
    while (k < ke) {
      if (k == nextRestart) {
        if (len > 1 && k + 2 * len <= ke && k + 1 >= bothLo && k + 2 * len <= bothHi) {
          twoPeriods<kStore>(k, y);
          k += 2 * len;
          continue;
        }
        w = restartSum(k);
        emit<kStore>(y, k, value * w);
        nextRestart = k + len;
        ++k;
        continue;
      }
      std::ptrdiff_t end = std::min(ke, nextRestart);
      // Cut at the next place where either sample starts or stops existing.
      for (const std::ptrdiff_t b : {inLo, inHi, outLo, outHi})
        if (b > k && b < end) end = b;
      slideAny<kStore>(k >= inLo && k < inHi, k >= outLo && k < outHi, k, end, y);
      k = end;
    }
  }
};

// Outputs per block: every run's window sums for one block are added while
// the block is still in a near cache.
constexpr std::ptrdiff_t kRunBlock = 1 << 15;

}  // namespace

namespace {

// convolveSegmentRuns, telling whether every output is finite. Each block of
// outputs is checked while it is still in cache.
bool runsSegment(const double* x, std::size_t nx, std::ptrdiff_t xs,
                 const std::vector<KernelRun>& runs, std::size_t lo, std::size_t count, double* out,
                 std::ptrdiff_t os) {
  std::vector<double> xc;
  const double* xp = x;
  if (xs != 1) {
    xc = gather(x, nx, xs);
    xp = xc.data();
  }
  std::vector<double> yc;
  double* y = out;
  if (os != 1) {
    yc.resize(count);
    y = yc.data();
  }
  bool finite = true;
  if (runs.empty()) {
    std::fill(y, y + count, 0.0);
  } else {
    std::vector<RunSlider> sl;
    sl.reserve(runs.size());
    for (const KernelRun& r : runs)
      sl.push_back({xp, static_cast<std::ptrdiff_t>(nx), static_cast<std::ptrdiff_t>(r.len),
                    r.value,
                    static_cast<std::ptrdiff_t>(lo) - static_cast<std::ptrdiff_t>(r.start)});
    const auto n = static_cast<std::ptrdiff_t>(count);
    for (std::ptrdiff_t kb = 0; kb < n; kb += kRunBlock) {
      const std::ptrdiff_t ke = std::min(n, kb + kRunBlock);
      sl[0].apply<true>(kb, ke, y);
      for (std::size_t r = 1; r < sl.size(); ++r) sl[r].apply<false>(kb, ke, y);
      if (finite) finite = allFinite(y + kb, static_cast<std::size_t>(ke - kb), 1);
    }
  }
  if (os != 1) scatter(yc, out, os);
  return finite;
}

// The runs of h when sliding sums suit it, else none.
std::vector<KernelRun> slidingRuns(const double* h, std::size_t nh) {
  if (nh < kMinRunTaps) return {};
  std::vector<KernelRun> runs = kernelRuns(h, nh, kMaxKernelRuns);
  if (4 * runs.size() >= nh) runs.clear();
  return runs;
}

}  // namespace

void convolveSegmentRuns(const double* x, std::size_t nx, std::ptrdiff_t xs,
                         const std::vector<KernelRun>& runs, std::size_t lo, std::size_t count,
                         double* out, std::ptrdiff_t os) {
  runsSegment(x, nx, xs, runs, lo, count, out, os);
}

void convolveSegment(const double* x, std::size_t nx, std::ptrdiff_t xs, const double* h,
                     std::size_t nh, std::size_t lo, std::size_t count, double* out,
                     std::ptrdiff_t os) {
  const std::size_t shortLen = std::min(nx, nh);
  // Kernels made of a few constant runs (moving averages, split windows)
  // take sliding window sums: a few operations per output, whatever the
  // length of the kernel.
  const std::vector<KernelRun> runs = slidingRuns(h, nh);
  if (!runs.empty()) {
    runsSegment(x, nx, xs, runs, lo, count, out, os);
    return;
  }
  bool direct = shortLen <= kDirectTaps;
  if (!direct) {
    // Direct: about count * min(nx, nh) multiply-adds. FFT: a few transforms
    // of the block size per block, about 3 * n * log2(n) * 2.5 flops each.
    const double directCost = static_cast<double>(count) * static_cast<double>(shortLen);
    const double fftN = static_cast<double>(niceFftSize(std::max<std::size_t>(4 * nh, 4096)));
    const double blocks = std::ceil(static_cast<double>(nx) / (fftN - static_cast<double>(nh) + 1));
    const double fftCost = (blocks * 2 + 1) * 2.5 * fftN * std::log2(fftN);
    direct = directCost <= fftCost;
  }
  if (direct) {
    // Convolution is symmetric; iterate over the shorter sequence as taps.
    if (nh <= nx) {
      convolveSegmentDirect(x, nx, xs, h, nh, lo, count, out, os);
    } else {
      const std::vector<double> xc = gather(x, nx, xs);
      convolveSegmentDirect(h, nh, 1, xc.data(), nx, lo, count, out, os);
    }
    return;
  }
  convolveSegmentFft(x, nx, xs, h, nh, lo, count, out, os);
}

void convolveSegmentExact(const double* x, std::size_t nx, std::ptrdiff_t xs, const double* h,
                          std::size_t nh, std::size_t lo, std::size_t count, double* out,
                          std::ptrdiff_t os) {
  const bool finiteKernel = allFinite(h, nh, 1);
  if (finiteKernel) {
    // When the runs cover every tap, sliding sums carry a non-finite sample
    // to every output within its reach, and those outputs are then not finite
    // themselves: when every output is finite, no sample within reach was,
    // and the result stands without a pass over the data beforehand. (A zero
    // tap must still meet such a sample, to give NaN as in direct
    // evaluation, so kernels with zero taps are checked first.)
    const std::vector<KernelRun> runs = slidingRuns(h, nh);
    std::size_t covered = 0;
    for (const KernelRun& r : runs) covered += r.len;
    if (!runs.empty() && covered == nh && runsSegment(x, nx, xs, runs, lo, count, out, os)) return;
  }
  if (finiteKernel && allFinite(x, nx, xs)) {
    convolveSegment(x, nx, xs, h, nh, lo, count, out, os);
    return;
  }
  if (!finiteKernel || nh > nx) {
    convolveSegmentDirect(x, nx, xs, h, nh, lo, count, out, os);
    return;
  }
  // A transform would spread a NaN or Inf over every output. Convolve the
  // finite samples (the others set to zero) the fast way, then evaluate
  // directly the outputs within reach of a non-finite sample.
  std::vector<double> finite = gather(x, nx, xs);
  std::vector<char> reached(count, 0);
  std::size_t nReached = 0;
  for (std::size_t i = 0; i < nx; ++i) {
    if (std::isfinite(finite[i])) continue;
    finite[i] = 0.0;
    const std::size_t tBegin = std::max(lo, i), tEnd = std::min(lo + count, i + nh);
    for (std::size_t t = tBegin; t < tEnd; ++t)
      if (!reached[t - lo]) reached[t - lo] = 1, ++nReached;
  }
  if (2 * nReached > count) {
    convolveSegmentDirect(x, nx, xs, h, nh, lo, count, out, os);
    return;
  }
  convolveSegment(finite.data(), nx, 1, h, nh, lo, count, out, os);
  const std::vector<double> xc = gather(x, nx, xs);
  for (std::size_t t = lo; t < lo + count; ++t) {
    if (!reached[t - lo]) continue;
    double acc = 0.0;
    const std::size_t jEnd = std::min(nh, t + 1);
    for (std::size_t j = (t >= nx ? t - nx + 1 : 0); j < jEnd; ++j) acc += h[j] * xc[t - j];
    out[static_cast<std::ptrdiff_t>(t - lo) * os] = acc;
  }
}

ConvShape convShapeFromText(const Value& text) {
  if (text.isChar()) {
    const std::string s = text.utf8();
    if (s == "full") return ConvShape::Full;
    if (s == "same") return ConvShape::Same;
    if (s == "valid") return ConvShape::Valid;
  }
  raise("Unknown shape parameter.");
}

namespace {

// Output range of one dimension: the first full-output index kept and how
// many are kept, for data length n and kernel length k.
void shapeRange(ConvShape shape, std::size_t n, std::size_t k, std::size_t* first,
                std::size_t* count) {
  const std::size_t full = (n == 0 || k == 0) ? 0 : n + k - 1;
  switch (shape) {
    case ConvShape::Full:
      *first = 0;
      *count = (n == 0 || k == 0) ? 0 : full;
      if (n == 0 || k == 0) *count = (n + k > 0) ? (n + k - 1) : 0;
      break;
    case ConvShape::Same:
      *first = k / 2;
      *count = n;
      break;
    case ConvShape::Valid:
      *first = k == 0 ? 0 : k - 1;
      *count = n >= k ? n - k + 1 : 0;
      break;
  }
}

std::vector<double> realPart(const Value& v) {
  return std::vector<double>(v.re(), v.re() + v.numel());
}
std::vector<double> imagPart(const Value& v) {
  return v.isComplex() ? std::vector<double>(v.im(), v.im() + v.numel())
                       : std::vector<double>(v.numel(), 0.0);
}

void requireNumeric2d(const Value& v) {
  if (!v.isDouble()) raise("conv2 is only defined for numeric arrays.");
  if (v.ndims() > 2) raise("N-D arrays are not supported.");
}

// Separable pass over real parts: columns of a (m-by-n, column-major) with
// hc, then rows with hr; writes the requested shape (rc-by-cc, as shapeRange
// gives it) into out, every element of it.
void separableReal(const double* a, std::size_t m, std::size_t n, const double* hc, std::size_t nhc,
                   const double* hr, std::size_t nhr, ConvShape shape, double* out) {
  std::size_t r0, rc, c0, cc;
  shapeRange(shape, m, nhc, &r0, &rc);
  shapeRange(shape, n, nhr, &c0, &cc);
  if (rc == 0 || cc == 0) return;
  const bool colIdentity = nhc == 1 && hc[0] == 1.0 && r0 == 0 && rc == m;
  const bool rowIdentity = nhr == 1 && hr[0] == 1.0 && c0 == 0 && cc == n;
  if (n == 0 || nhr == 0) {
    std::fill(out, out + rc * cc, 0.0);
    return;
  }
  // Column pass into an rc-by-n intermediate (only the rows kept); straight
  // into the output when the row pass changes nothing.
  std::vector<double> midStore;
  double* mid = out;
  if (!rowIdentity) {
    midStore.resize(rc * n);
    mid = midStore.data();
  }
  for (std::size_t j = 0; j < n; ++j) {
    if (colIdentity)
      std::copy(a + j * m, a + (j + 1) * m, mid + j * rc);
    else if (m == 0 || nhc == 0)
      std::fill(mid + j * rc, mid + (j + 1) * rc, 0.0);
    else
      convolveSegmentExact(a + j * m, m, 1, hc, nhc, r0, rc, mid + j * rc, 1);
  }
  if (rowIdentity) return;
  // Row pass: each row of mid (stride rc) with hr.
  for (std::size_t i = 0; i < rc; ++i)
    convolveSegmentExact(mid + i, n, static_cast<std::ptrdiff_t>(rc), hr, nhr, c0, cc, out + i,
                         static_cast<std::ptrdiff_t>(rc));
}

Dims separableDims(ConvShape shape, std::size_t m, std::size_t n, std::size_t nhc,
                   std::size_t nhr) {
  std::size_t r0, rc, c0, cc;
  shapeRange(shape, m, nhc, &r0, &rc);
  shapeRange(shape, n, nhr, &c0, &cc);
  return {rc, cc};
}

// Plain 2-D convolution of real parts, as a sum of separable rank-1 passes
// over the kernel's columns: a * k = sum_j (a * k(:, j)) shifted by j.
void plainReal(const std::vector<double>& a, std::size_t m, std::size_t n,
               const std::vector<double>& k, std::size_t km, std::size_t kn, ConvShape shape,
               std::vector<double>& out, std::size_t* rowsOut, std::size_t* colsOut) {
  std::size_t r0, rc, c0, cc;
  shapeRange(shape, m, km, &r0, &rc);
  shapeRange(shape, n, kn, &c0, &cc);
  *rowsOut = rc;
  *colsOut = cc;
  out.assign(rc * cc, 0.0);
  if (rc == 0 || cc == 0 || m == 0 || n == 0 || km == 0 || kn == 0) return;
  std::vector<double> col(rc);
  // out(:, c) = sum over kernel columns q of conv(a(:, c + c0 - q), k(:, q)).
  for (std::size_t c = 0; c < cc; ++c) {
    const std::size_t fc = c + c0;  // full-output column
    for (std::size_t q = 0; q < kn; ++q) {
      if (fc < q || fc - q >= n) continue;
      const std::size_t ac = fc - q;
      convolveSegmentExact(a.data() + ac * m, m, 1, k.data() + q * km, km, r0, rc, col.data(), 1);
      double* o = out.data() + c * rc;
      for (std::size_t i = 0; i < rc; ++i) o[i] += col[i];
    }
  }
}

}  // namespace

Value conv2(const Value& a, const Value& k, ConvShape shape) {
  requireNumeric2d(a);
  requireNumeric2d(k);
  const std::size_t m = a.rows(), n = a.cols(), km = k.rows(), kn = k.cols();
  std::vector<double> rr, tmp;
  std::size_t ro = 0, co = 0;
  plainReal(realPart(a), m, n, realPart(k), km, kn, shape, rr, &ro, &co);
  Value out = Value::numericForWrite({ro, co}, a.isComplex() || k.isComplex());
  std::copy(rr.begin(), rr.end(), out.mutRe());
  if (a.isComplex() || k.isComplex()) {
    const auto ar = realPart(a), ai = imagPart(a), kr = realPart(k), ki = imagPart(k);
    double* re = out.mutRe();
    double* im = out.mutIm();
    plainReal(ai, m, n, ki, km, kn, shape, tmp, &ro, &co);
    for (std::size_t i = 0; i < tmp.size(); ++i) re[i] -= tmp[i];
    plainReal(ar, m, n, ki, km, kn, shape, tmp, &ro, &co);
    for (std::size_t i = 0; i < tmp.size(); ++i) im[i] = tmp[i];
    plainReal(ai, m, n, kr, km, kn, shape, tmp, &ro, &co);
    for (std::size_t i = 0; i < tmp.size(); ++i) im[i] += tmp[i];
    out.dropZeroImag();
  }
  return out;
}

Value conv2Separable(const Value& hcol, const Value& hrow, const Value& a, ConvShape shape) {
  requireNumeric2d(a);
  if (!hcol.isDouble() || !hrow.isDouble()) raise("conv2 is only defined for numeric arrays.");
  const std::size_t m = a.rows(), n = a.cols();
  const std::size_t nhc = hcol.numel(), nhr = hrow.numel();
  const bool cplx = a.isComplex() || hcol.isComplex() || hrow.isComplex();
  const Dims od = separableDims(shape, m, n, nhc, nhr);
  if (!cplx) {
    Value out = Value::numericForWrite(od);
    separableReal(a.re(), m, n, hcol.re(), nhc, hrow.re(), nhr, shape, out.mutRe());
    return out;
  }
  // Complex: expand (ar + i ai) * (cr + i ci) * (wr + i wi) term by term.
  const std::vector<double> parts[3][2] = {{realPart(a), imagPart(a)},
                                           {realPart(hcol), imagPart(hcol)},
                                           {realPart(hrow), imagPart(hrow)}};
  Value out = Value::numeric(od, true);
  std::vector<double> rr(numelOf(od));
  for (int pa = 0; pa < 2; ++pa)
    for (int pc = 0; pc < 2; ++pc)
      for (int pr = 0; pr < 2; ++pr) {
        separableReal(parts[0][pa].data(), m, n, parts[1][pc].data(), nhc, parts[2][pr].data(), nhr,
                      shape, rr.data());
        // i^(number of imaginary factors): 0 -> +re, 1 -> +im, 2 -> -re, 3 -> -im.
        const int q = pa + pc + pr;
        double* dst = (q % 2 == 0) ? out.mutRe() : out.mutIm();
        const double sign = (q >= 2) ? -1.0 : 1.0;
        for (std::size_t i = 0; i < rr.size(); ++i) dst[i] += sign * rr[i];
      }
  out.dropZeroImag();
  return out;
}

}  // namespace kh
