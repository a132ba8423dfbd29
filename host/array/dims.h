// Dimension vectors. Almost every array has two to four dimensions, and every
// value carries one, so up to four are stored inline: creating or copying a
// value's shape then allocates nothing.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <vector>

namespace kh {

class Dims {
 public:
  using value_type = std::size_t;
  using iterator = std::size_t*;
  using const_iterator = const std::size_t*;

  Dims() = default;
  Dims(std::size_t n, std::size_t v) { assign(n, v); }
  explicit Dims(std::size_t n) { assign(n, 0); }
  Dims(std::initializer_list<std::size_t> l) {
    if (l.size() <= kInline) {
      std::copy(l.begin(), l.end(), small_.begin());
      n_ = l.size();
    } else {
      append(l.begin(), l.end());
    }
  }
  template <typename It>
  Dims(It first, It last) {
    for (; first != last; ++first) push_back(static_cast<std::size_t>(*first));
  }
  Dims(const Dims& o) : n_(o.n_), small_(o.small_) {
    if (o.onHeap()) big_ = copyOf(o.big_.get(), n_);
  }
  Dims& operator=(const Dims& o) {
    if (this != &o) {
      n_ = o.n_;
      small_ = o.small_;
      big_ = o.onHeap() ? copyOf(o.big_.get(), n_) : nullptr;
    }
    return *this;
  }
  Dims(Dims&& o) noexcept : n_(o.n_), small_(o.small_), big_(std::move(o.big_)) { o.n_ = 0; }
  Dims& operator=(Dims&& o) noexcept {
    if (this != &o) {
      n_ = o.n_;
      small_ = o.small_;
      big_ = std::move(o.big_);
      o.n_ = 0;
    }
    return *this;
  }

  std::size_t size() const { return n_; }
  bool empty() const { return n_ == 0; }
  std::size_t* data() { return onHeap() ? big_.get() : small_.data(); }
  const std::size_t* data() const { return onHeap() ? big_.get() : small_.data(); }
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
    std::unique_ptr<std::size_t[]> grown(new std::size_t[n_ + 1]);
    std::copy(data(), data() + n_, grown.get());
    grown[n_] = v;
    big_ = std::move(grown);
    ++n_;
  }
  void emplace_back(std::size_t v) { push_back(v); }
  void pop_back() {
    --n_;
    if (n_ == kInline) {
      std::copy(big_.get(), big_.get() + n_, small_.begin());
      big_.reset();
    }
  }
  void clear() {
    n_ = 0;
    big_.reset();
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

  friend bool operator==(const Dims& a, const Dims& b) {
    return a.n_ == b.n_ && std::equal(a.begin(), a.end(), b.begin());
  }
  friend bool operator!=(const Dims& a, const Dims& b) { return !(a == b); }

 private:
  static constexpr std::size_t kInline = 4;
  bool onHeap() const { return onHeapSize(n_); }
  static bool onHeapSize(std::size_t n) { return n > kInline; }
  template <typename It>
  void append(It first, It last) {
    for (; first != last; ++first) push_back(*first);
  }
  static std::unique_ptr<std::size_t[]> copyOf(const std::size_t* d, std::size_t n) {
    std::unique_ptr<std::size_t[]> c(new std::size_t[n]);
    std::copy(d, d + n, c.get());
    return c;
  }

  std::size_t n_ = 0;
  std::array<std::size_t, kInline> small_{};
  std::unique_ptr<std::size_t[]> big_;  // the dimensions when more than kInline
};

}  // namespace kh
