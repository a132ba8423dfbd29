// One call of a built-in, as every door makes it: the command window, feval
// by name, the C entry points the library calls and the feval forms it
// passes as values. A built-in is one function that reads its call (the
// inputs, how many outputs are asked for), raises its argument errors and
// gives its outputs; the doors only translate to and from it, so a built-in
// answers the same whichever way it is reached.
//
// An input is absent when the caller gave none in its place. Only the C
// entry points can leave a gap, with a null handle before an input that
// follows (mlfMax(NULL, x, NULL, dim) is max(x, [], dim)): an absent input
// reads as the empty matrix and has() is false for it. Inputs past the last
// one given are not part of the call (nargin stops before them).
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/values/value.h"

namespace kh {

class Call {
 public:
  Call(ValueList& in, int nargout, ValueList& out, std::uint32_t absent = 0)
      : in_(in), out_(out), nargout_(nargout), absent_(absent) {}
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  std::size_t nargin() const { return in_.size(); }
  // The outputs asked for: 0 when the result is only shown or dropped (a
  // built-in may still give one, which becomes ans).
  int nargout() const { return nargout_; }
  // Whether input k (0-based) was given.
  bool has(std::size_t k) const {
    return k < in_.size() && (k >= 32 || !((absent_ >> k) & 1));
  }
  // Input k, which must be within nargin (absent: the empty matrix).
  const Value& arg(std::size_t k) const { return in_[k]; }
  // Input k to keep: moved out of the call's list.
  Value take(std::size_t k) { return std::move(in_[k]); }
  // All inputs, for a built-in that passes them on as a list.
  ValueList& args() { return in_; }

  // The host's argument-count errors: fewer than minIn or more than maxIn
  // inputs, or more than maxOut outputs asked for.
  void counts(std::size_t minIn, std::size_t maxIn, int maxOut = 1) const;

  // Gives the next output (the first, then the second...).
  void give(Value v) { out_.push_back(std::move(v)); }
  std::size_t given() const { return out_.size(); }

 private:
  ValueList& in_;
  ValueList& out_;
  int nargout_;
  std::uint32_t absent_;
};

}  // namespace kh
