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
#include <memory>
#include <new>

#include "host/values/handle.h"
#include "host/values/value.h"

namespace kh {

// What an absent input reads as.
inline const Value kAbsentInput = Value::empty();

class Call {
 public:
  // The call's nargin inputs at `in` (its own: a built-in may move them
  // out), the outputs asked for, and room for `room` outputs at `out`
  // (at least one), each a placeholder until it is given. Bit k of `absent` marks input k as not given.
  Call(Value* in, std::size_t nargin, int nargout, Value* out, std::size_t room,
       std::uint32_t absent = 0)
      : values_(in), out_(out), nargin_(nargin), room_(room), nargout_(nargout), absent_(absent) {}
  // The inputs as the handles a C entry point was given, read in place: a
  // null one is absent.
  Call(const mxArray* const* in, std::size_t nargin, int nargout, Value* out, std::size_t room)
      : handles_(in), out_(out), nargin_(nargin), room_(room), nargout_(nargout) {}
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  std::size_t nargin() const { return nargin_; }
  // The outputs asked for: 0 when the result is only shown or dropped (a
  // built-in may still give one, which becomes ans).
  int nargout() const { return nargout_; }
  // Whether input k (0-based) was given.
  bool has(std::size_t k) const {
    if (k >= nargin_) return false;
    if (handles_) return handles_[k] != nullptr;
    return k >= 32 || !((absent_ >> k) & 1);
  }
  // Input k, which must be within nargin (absent: the empty matrix).
  const Value& arg(std::size_t k) const {
    if (!handles_) return values_[k];
    return handles_[k] ? handles_[k]->v : kAbsentInput;
  }
  // Input k to keep: moved out of the call when the call owns it, or out
  // of a temporary handle that the call is about to free and that stands
  // for no other input (so a result can be written over its data).
  Value take(std::size_t k) {
    if (!handles_) return std::move(values_[k]);
    const mxArray* h = handles_[k];
    if (!h) return Value(kAbsentInput);
    if (h->temporary && !h->list && !h->borrows && (nargin_ == 1 || once(k)))
      return std::move(const_cast<mxArray*>(h)->v);
    return Value(h->v);
  }
  // The inputs from k on, for a built-in that passes them on as a list.
  Values args(std::size_t k = 0) {
    if (handles_) valuesFromHandles();
    return Values(values_ + k, nargin_ - k);
  }

  // The host's argument-count errors: fewer than minIn or more than maxIn
  // inputs, or more than maxOut outputs asked for.
  void counts(std::size_t minIn, std::size_t maxIn, int maxOut = 1) const {
    if (nargin_ < minIn || nargin_ > maxIn || nargout_ > maxOut) countError(nargin_, minIn, maxIn);
  }

  // Gives the next output (the first, then the second...). Outputs past
  // the room the caller made are not wanted and are dropped.
  void give(Value&& v) {
    // A slot not yet given is a placeholder, which holds nothing to free:
    // the output is built in its place rather than assigned.
    if (given_ < room_) new (&out_[given_++]) Value(std::move(v));
  }
  void give(const Value& v) { give(Value(v)); }
  std::size_t given() const { return given_; }

 private:
  // Out of line, and told only numbers, so that a call read inline can
  // live in registers.
  [[noreturn]] static void countError(std::size_t nargin, std::size_t minIn, std::size_t maxIn);
  void valuesFromHandles();
  // Whether handle k is given for no other input.
  bool once(std::size_t k) const {
    for (std::size_t j = 0; j < nargin_; ++j)
      if (j != k && handles_[j] == handles_[k]) return false;
    return true;
  }

  const mxArray* const* handles_ = nullptr;
  Value* values_ = nullptr;
  Value* out_;
  std::size_t nargin_, room_, given_ = 0;
  int nargout_;
  std::uint32_t absent_ = 0;
  // The inputs read from handles, when a list of them is asked for.
  std::unique_ptr<ValueList> copies_;
};

}  // namespace kh
