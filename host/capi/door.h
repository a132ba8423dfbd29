// The C doors of a built-in: a C entry point hands the handles it was given
// to the built-in's reader as one Call, exactly as the command window does
// with the values of a call by name, and hands the outputs back through
// its result and out-pointers. The library makes hundreds of these calls
// for every block of the fitted estimate, so a door keeps its inputs and
// outputs in arrays of its own on the stack and every step is inline.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "host/builtins/call.h"
#include "host/capi/cs_list.h"
#include "host/capi/sink.h"
#include "host/capi/wrap.h"
#include "host/core/errors.h"

namespace kh {

// A door with N fixed inputs (a null handle before one that follows is an
// absent input; nulls at the end are not part of the call) and room for
// Room outputs. The temporaries among the inputs, which the call frees, are
// a bit mask over its own N inputs rather than a general set: with N known,
// finding, reusing and freeing them unrolls to a few tests.
template <std::size_t N, std::size_t Room = 1>
class Door {
  static_assert(N <= 32);

 public:
  template <typename... H>
  explicit Door(H*... in) : in_{in...} {
    static_assert(sizeof...(H) == N);
    while (n_ > 0 && !in_[n_ - 1]) --n_;
    for (std::size_t k = 0; k < N; ++k)
      if (in_[k] && in_[k]->temporary && firstOf(k)) temps_ |= 1u << k;
  }
  ~Door() {
    for (std::size_t k = 0; k < N; ++k)
      if ((temps_ >> k) & 1) releaseIfTemp(in_[k]);
  }
  Door(const Door&) = delete;
  Door& operator=(const Door&) = delete;

  // Runs the built-in asking for nargout outputs.
  template <typename Read>
  Door& run(Read&& read, int nargout) {
    Call call(in_, n_, nargout, out_, Room);
    read(call);
    return *this;
  }
  // Runs the built-in for a result sink (mlfSize): it asks for as many
  // outputs as the sink names, which get them.
  template <typename Read>
  mxArray* deliverTo(Read&& read, mlfVarargoutList* sink) {
    SinkGuard s(sink);
    if (!sink || sink->valueOnly) return s.deliverOne(std::move(run(read, 1).out_[0]));
    const int count = s.count();
    if (count > kSinkRoom) [[unlikely]]
      return deliverMany(read, s);
    // A few names, nearly always ([m, n] = size(x)): outputs on the stack.
    Value out[kSinkRoom];
    Call call(in_, n_, count, out, static_cast<std::size_t>(count > 1 ? count : 1));
    read(call);
    return s.deliver(out, call.given());
  }
  // Output k (0-based) into *slot when the caller wants it (slot not null).
  Door& output(std::size_t k, mxArray** slot) {
    if (slot) setOutput(slot, std::move(out_[k]));
    return *this;
  }
  // The first output as the call's temporary result (one of the inputs'
  // handles when one is a temporary), a placeholder when there is none.
  mxArray* result() {
    for (std::size_t k = 0; k < N; ++k)
      if (((temps_ >> k) & 1) && reusableTemp(in_[k])) {
        temps_ &= ~(1u << k);
        return renewTemp(in_[k], std::move(out_[0]));
      }
    return newTemp(std::move(out_[0]));
  }

 private:
  static constexpr int kSinkRoom = 4;
  // Out of line: the door's common forms stay small in the caller.
  template <typename Read>
  [[gnu::noinline]] mxArray* deliverMany(Read&& read, SinkGuard& s) {
    ValueList out(static_cast<std::size_t>(s.count()));
    Call call(in_, n_, s.count(), out.data(), out.size());
    read(call);
    return s.deliver(out.data(), call.given());
  }
  // Whether input k is not the same handle as an earlier one.
  bool firstOf(std::size_t k) const {
    for (std::size_t j = 0; j < k; ++j)
      if (in_[j] == in_[k]) return false;
    return true;
  }

  mxArray* in_[N];
  std::uint32_t temps_ = 0;
  std::size_t n_ = N;
  Value out_[Room];
};

template <typename... H>
Door(H*...) -> Door<sizeof...(H)>;

// A door whose inputs are a list ending with a null handle (a list handle
// stands for its elements), after any fixed ones.
class ListDoor {
 public:
  ListDoor() = default;
  ListDoor(const ListDoor&) = delete;
  ListDoor& operator=(const ListDoor&) = delete;
  // One input (not null).
  void add(mxArray* h) {
    guard_.add(h);
    handles_.push_back(h);
    lists_ = lists_ || isListHandle(h);
  }
  // first, then what ap holds, up to a null handle.
  void addList(mxArray* first, va_list ap) {
    for (mxArray* a = first; a; a = va_arg(ap, mxArray*)) add(a);
  }
  // A fixed input, then the list that follows it in ap; a null fixed input
  // ends the call there (nothing after it is read).
  void addFixedThenList(mxArray* fixed, va_list ap) {
    if (!fixed) return;
    add(fixed);
    addList(va_arg(ap, mxArray*), ap);
  }
  // Runs the built-in asking for nargout outputs; room is made for two.
  // Out of line: a list door is mostly the rare form of an entry point
  // whose common form is a Door, and stays out of that form's code.
  template <typename Read>
  [[gnu::noinline]] ListDoor& run(Read&& read, int nargout) {
    if (!lists_) {
      Call call(handles_.data(), handles_.size(), nargout, out_, 2);
      read(call);
      return *this;
    }
    ValueList in;
    for (mxArray* h : handles_) appendArgument(h, in);
    Call call(in.data(), in.size(), nargout, out_, 2);
    read(call);
    return *this;
  }
  // Output k (0 or 1) into *slot when the caller wants it (slot not null).
  ListDoor& output(std::size_t k, mxArray** slot) {
    if (slot) setOutput(slot, std::move(out_[k]));
    return *this;
  }
  mxArray* result() { return guard_.result(std::move(out_[0])); }

 private:
  CallInputs guard_;
  HandleList handles_;
  bool lists_ = false;
  Value out_[2];
};

// A feval form (nlhs, plhs, nrhs, prhs) of a built-in: its inputs are the
// handles in prhs, and plhs gets new handles for the outputs asked for (the
// first also when nlhs is 0, when there is one).
template <typename Read>
void fevalDoor(Read&& read, int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  for (int k = 0; k < nrhs; ++k) valueOf(prhs[k]);  // a null handle is an internal error
  ValueList out(static_cast<std::size_t>(nlhs > 1 ? nlhs : 1));
  Call call(prhs, static_cast<std::size_t>(nrhs), nlhs, out.data(), out.size());
  read(call);
  if (static_cast<int>(call.given()) < nlhs) raise("Too many output arguments.");
  const std::size_t n = nlhs > 0 ? static_cast<std::size_t>(nlhs) : call.given();
  for (std::size_t k = 0; k < n; ++k) plhs[k] = newHandle(std::move(out[k]), false);
}

}  // namespace kh
