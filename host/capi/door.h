// The C door of a built-in: a C entry point hands the handles it was given
// to the built-in's reader as one Call, exactly as the command window does
// with the values of a call by name, and hands the outputs back through
// its result and out-pointers. A null handle before one that follows is an
// absent input; nulls at the end are not part of the call.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "host/builtins/call.h"
#include "host/capi/cs_list.h"
#include "host/capi/wrap.h"
#include "host/core/errors.h"

namespace kh {

class Door {
 public:
  template <typename... H>
  explicit Door(H*... in) {
    (add(in), ...);
  }
  Door(const Door&) = delete;
  Door& operator=(const Door&) = delete;

  // Adds one input; null leaves a gap (filled only if an input follows).
  void add(mxArray* h) {
    guard_.add(h);
    if (!h) {
      ++gap_;
      return;
    }
    for (; gap_ > 0; --gap_) {
      if (in_.size() < 32) absent_ |= std::uint32_t{1} << in_.size();
      in_.push_back(Value::empty());
    }
    in_.push_back(valueOf(h));
  }
  // Adds the inputs of a list ending with a null handle: first, then what
  // ap holds. A list handle stands for its elements.
  void addList(mxArray* first, va_list ap) {
    for (mxArray* a = first; a; a = va_arg(ap, mxArray*)) {
      guard_.add(a);
      appendArgument(a, in_);
    }
  }

  // Runs the built-in asking for nargout outputs.
  template <typename Read>
  Door& run(Read&& read, int nargout) {
    Call call(in_, nargout, out_, absent_);
    read(call);
    return *this;
  }

  // Output k (0-based) into *slot when the caller wants it (slot not null).
  Door& output(std::size_t k, mxArray** slot) {
    if (slot) setOutput(slot, k < out_.size() ? std::move(out_[k]) : Value());
    return *this;
  }
  // The first output as the call's temporary result (one of the inputs'
  // handles when one is a temporary), a placeholder when there is none.
  mxArray* result() { return guard_.result(out_.empty() ? Value() : std::move(out_[0])); }
  ValueList& outputs() { return out_; }

 private:
  CallInputs guard_;
  ValueList in_, out_;
  std::uint32_t absent_ = 0;
  unsigned gap_ = 0;
};

// A feval form (nlhs, plhs, nrhs, prhs) of a built-in: its inputs are the
// handles in prhs, and plhs gets new handles for the outputs asked for (the
// first also when nlhs is 0, when there is one).
template <typename Read>
void fevalDoor(Read&& read, int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  ValueList in, out;
  for (int k = 0; k < nrhs; ++k) in.push_back(valueOf(prhs[k]));
  Call call(in, nlhs, out);
  read(call);
  if (static_cast<int>(out.size()) < nlhs) raise("Too many output arguments.");
  const int n = nlhs > 0 ? nlhs : (out.empty() ? 0 : 1);
  for (int k = 0; k < n; ++k) plhs[k] = newHandle(std::move(out[k]), false);
}

}  // namespace kh
