// Element storage of a real or imaginary part: a vector of doubles that keeps
// up to kInline elements inside itself. Most arrays a program makes are
// small (sizes, coefficients, small blocks), and this way their data needs
// no allocation of its own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>

namespace kh {

// Heap blocks for more than Doubles::kInline elements. Blocks are kept for
// reuse by size class (powers of two): a program makes and drops arrays of
// one length at every step of a loop, and the general allocator keeps only
// a few blocks of each size at hand. A block taken for n elements must be
// given back with the same n. (Values belong to the run-time's one thread.)
double* takeDoubleBlock(std::size_t n);
void giveDoubleBlock(double* p, std::size_t n) noexcept;

class Doubles {
 public:
  static constexpr std::size_t kInline = 16;

  Doubles() {}  // the inline buffer is left as it is: n_ says what is valid
  Doubles(const Doubles& o) { copyFrom(o); }
  Doubles& operator=(const Doubles& o) {
    if (this != &o) {
      clear();
      copyFrom(o);
    }
    return *this;
  }
  Doubles(Doubles&& o) noexcept { take(o); }
  Doubles& operator=(Doubles&& o) noexcept {
    if (this != &o) {
      release();
      take(o);
    }
    return *this;
  }
  ~Doubles() { release(); }

  // n elements, each v (replaces the contents).
  void assign(std::size_t n, double v) {
    clear();
    double* d = reserveFresh(n);
    std::fill(d, d + n, v);
    n_ = n;
  }
  // n elements whose values are left unset: for a caller that writes every
  // one of them next (replaces the contents).
  void assignUnset(std::size_t n) {
    clear();
    reserveFresh(n);
    n_ = n;
  }
  void clear() {
    release();
    n_ = 0;
  }

  std::size_t size() const { return n_; }
  bool empty() const { return n_ == 0; }
  double* data() { return n_ == 0 ? nullptr : (heap_ ? heap_ : small_); }
  const double* data() const { return n_ == 0 ? nullptr : (heap_ ? heap_ : small_); }
  double& operator[](std::size_t i) { return data()[i]; }
  double operator[](std::size_t i) const { return data()[i]; }
  const double* begin() const { return data(); }
  const double* end() const { return data() + n_; }

 private:
  // Storage for n elements; the current contents must have been released.
  double* reserveFresh(std::size_t n) {
    if (n <= kInline) return small_;
    heap_ = takeDoubleBlock(n);
    return heap_;
  }
  void release() noexcept {
    if (heap_) giveDoubleBlock(heap_, n_);
    heap_ = nullptr;
  }
  void take(Doubles& o) {
    heap_ = o.heap_;
    o.heap_ = nullptr;
    if (!heap_) std::copy(o.small_, o.small_ + o.n_, small_);
    n_ = o.n_;
    o.n_ = 0;
  }
  void copyFrom(const Doubles& o) {
    double* d = reserveFresh(o.n_);
    std::copy(o.begin(), o.end(), d);
    n_ = o.n_;
  }

  std::size_t n_ = 0;
  double* heap_ = nullptr;  // a block of takeDoubleBlock(n_), or null
  double small_[kInline];
};

}  // namespace kh
