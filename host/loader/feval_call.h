// One call of a feval form (nlhs, plhs, nrhs, prhs) from the host, the one
// way every door makes it: the inputs are handles the call owns, there is
// room for the outputs asked for, and every handle is freed when the call
// ends, also when the function raises an error.
#pragma once

#include <boost/container/small_vector.hpp>
#include <cstddef>
#include <memory>

#include "host/values/handle.h"
#include "host/values/value.h"
#include "runtime/mx_types.h"

namespace kh {

class FevalCall {
 public:
  // Asks for nargout outputs (room is made for one when nargout is 0).
  explicit FevalCall(int nargout)
      : nout_(static_cast<std::size_t>(nargout > 1 ? nargout : 1)), nargout_(nargout) {
    if (nout_ > kInlineOut) {
      moreOut_ = std::make_unique<mxArray*[]>(nout_);  // nulls
      out_ = moreOut_.get();
    }
  }
  ~FevalCall() {
    for (mxArray* h : in_) destroyHandle(h);
    for (std::size_t k = 0; k < nout_; ++k) destroyHandle(out_[k]);
    for (mxArray* h : extra_) destroyHandle(h);
  }
  FevalCall(const FevalCall&) = delete;
  FevalCall& operator=(const FevalCall&) = delete;

  // The next input: a handle of its own sharing v's data, so that no body
  // can take over (and free) a value the caller still holds.
  void add(const Value& v) { in_.push_back(newHandle(v, false)); }
  // The next input: handle h, which becomes the call's (a temporary the
  // caller would have freed), passed as it is.
  void adopt(mxArray* h) {
    h->temporary = false;
    in_.push_back(h);
  }
  // Handle h is freed when the call ends.
  void freeAtEnd(mxArray* h) {
    h->temporary = false;
    extra_.push_back(h);
  }

  void run(mxFunctionPtr fn) {
    fn(nargout_, out_, static_cast<int>(in_.size()), in_.data());
  }

  // The outputs the function handed over: the first also when nargout is
  // 0 (when it has any), then outputs 2 to nargout, up to the first one
  // missing.
  ValueList results();
  // The first output as a temporary handle (a placeholder when there is
  // none), which the call no longer frees.
  mxArray* firstAsTemp() {
    mxArray* r = out_[0];
    out_[0] = nullptr;
    if (!r) r = newHandle(Value(), false);
    r->temporary = true;
    return r;
  }

 private:
  // Room for the outputs: inline for the few nearly every call asks for.
  static constexpr std::size_t kInlineOut = 4;
  boost::container::small_vector<mxArray*, 8> in_, extra_;
  mxArray* inlineOut_[kInlineOut] = {};
  std::unique_ptr<mxArray*[]> moreOut_;
  mxArray** out_ = inlineOut_;
  std::size_t nout_;
  int nargout_;
};

}  // namespace kh
