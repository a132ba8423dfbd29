// Dimension vectors. Almost every array has two to four dimensions, and every
// value carries one, so up to four are stored inline: creating, copying or
// moving a value's shape then allocates nothing and checks no pointer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace kh {

class Dims {
 public:
  using value_type = std::size_t;
  using iterator = std::size_t*;
  using const_iterator = const std::size_t*;

  Dims() = default;
  // Two dimensions, made at compile time: the shapes of the values held in
  // a value's cell (see value.h) are constants of this kind.
  struct Pair {};
  constexpr Dims(std::size_t r, std::size_t c, Pair) : n_(2), small_{r, c, 0, 0} {}
  Dims(std::size_t n, std::size_t v) { assign(n, v); }
  explicit Dims(std::size_t n) { assign(n, 0); }
  Dims(std::initializer_list<std::size_t> l) {
    if (l.size() <= kInline) {
      // Element by element: a library copy call would cost more than the
      // two or three words it moves.
      const std::size_t* p = l.begin();
      n_ = l.size();
      for (std::size_t i = 0; i < kInline; ++i) small_[i] = i < n_ ? p[i] : 0;
    } else {
      append(l.begin(), l.end());
    }
  }
  template <typename It>
  Dims(It first, It last) {
    for (; first != last; ++first) push_back(static_cast<std::size_t>(*first));
  }
  Dims(const Dims& o) : n_(o.n_) {
    if (o.onHeap())
      big_ = copyOf(o.big_, n_);
    else
      copyWords(o);
  }
  Dims& operator=(const Dims& o) {
    if (this != &o) {
      Dims c(o);
      *this = std::move(c);
    }
    return *this;
  }
  // A move hands the storage over as it stands; the source is left empty.
  Dims(Dims&& o) noexcept : n_(o.n_) {
    copyWords(o);
    o.n_ = 0;
  }
  Dims& operator=(Dims&& o) noexcept {
    if (this != &o) {
      release();
      n_ = o.n_;
      copyWords(o);
      o.n_ = 0;
    }
    return *this;
  }
  ~Dims() { release(); }

  std::size_t size() const { return n_; }
  bool empty() const { return n_ == 0; }
  std::size_t* data() { return onHeap() ? big_ : small_; }
  const std::size_t* data() const { return onHeap() ? big_ : small_; }
  iterator begin() { return data(); }
  iterator end() { return data() + n_; }
  const_iterator begin() const { return data(); }
  const_iterator end() const { return data() + n_; }
  std::size_t& operator[](std::size_t i) { return data()[i]; }
  std::size_t operator[](std::size_t i) const { return data()[i]; }
  std::size_t at(std::size_t i) const {
    if (i >= n_) throw std::out_of_range("Dims::at");
    return data()[i];
  }
  std::size_t& front() { return data()[0]; }
  std::size_t front() const { return data()[0]; }
  std::size_t& back() { return data()[n_ - 1]; }
  std::size_t back() const { return data()[n_ - 1]; }

  void push_back(std::size_t v) {
    if (n_ < kInline) {
      small_[n_++] = v;
      return;
    }
    // Past the inline ones the dimensions live in an array of exactly n.
    std::size_t* grown = new std::size_t[n_ + 1];
    std::copy(data(), data() + n_, grown);
    grown[n_] = v;
    release();
    big_ = grown;
    ++n_;
  }
  void emplace_back(std::size_t v) { push_back(v); }
  void pop_back() {
    if (n_ == kInline + 1) {
      std::size_t* heap = big_;
      std::copy(heap, heap + kInline, small_);
      delete[] heap;
    } else if (onHeap()) {
      // The array keeps its size; the last entry is no longer used.
    }
    --n_;
  }
  void clear() {
    release();
    n_ = 0;
  }
  void reserve(std::size_t) {}
  void resize(std::size_t n, std::size_t v = 0) {
    while (n_ > n) pop_back();
    while (n_ < n) push_back(v);
  }
  void assign(std::size_t n, std::size_t v) {
    clear();
    resize(n, v);
  }
  iterator insert(const_iterator pos, std::size_t v) {
    const std::size_t at = static_cast<std::size_t>(pos - begin());
    push_back(v);
    std::rotate(begin() + at, end() - 1, end());
    return begin() + at;
  }
  iterator erase(const_iterator pos) {
    const std::size_t at = static_cast<std::size_t>(pos - begin());
    std::rotate(begin() + at, begin() + at + 1, end());
    pop_back();
    return begin() + at;
  }

  // Element by element: shapes are compared at nearly every operation, and
  // a library compare call costs more than the two or three words.
  friend bool operator==(const Dims& a, const Dims& b) {
    if (a.n_ != b.n_) return false;
    const std::size_t *x = a.data(), *y = b.data();
    for (std::size_t i = 0; i < a.n_; ++i)
      if (x[i] != y[i]) return false;
    return true;
  }
  friend bool operator!=(const Dims& a, const Dims& b) { return !(a == b); }

 private:
  static constexpr std::size_t kInline = 4;
  bool onHeap() const { return n_ > kInline; }
  void release() {
    if (onHeap()) delete[] big_;
  }
  // The inline words (or the pointer that shares them), written out so that
  // they stay four register moves rather than a library copy.
  void copyWords(const Dims& o) {
    small_[0] = o.small_[0];
    small_[1] = o.small_[1];
    small_[2] = o.small_[2];
    small_[3] = o.small_[3];
  }
  template <typename It>
  void append(It first, It last) {
    for (; first != last; ++first) push_back(*first);
  }
  static std::size_t* copyOf(const std::size_t* d, std::size_t n) {
    std::size_t* c = new std::size_t[n];
    std::copy(d, d + n, c);
    return c;
  }

  // Up to kInline dimensions are kept in small_; beyond that big_ points to
  // an array of exactly n_ of them, owned by this object. A move copies the
  // words as they stand (either form) and leaves the source with none.
  std::size_t n_ = 0;
  union {
    std::size_t small_[kInline] = {};
    std::size_t* big_;
  };
};

}  // namespace kh
