// One call of a feval form (nlhs, plhs, nrhs, prhs) from the host, the one
// way every door makes it: the inputs are handles the call owns, there is
// room for the outputs asked for, and every handle is freed when the call
// ends, also when the function raises an error.
#pragma once

#include <boost/container/small_vector.hpp>

#include "host/values/handle.h"
#include "host/values/value.h"
#include "runtime/mx_types.h"

namespace kh {

class FevalCall {
 public:
  // Asks for nargout outputs (room is made for one when nargout is 0).
  explicit FevalCall(int nargout) : nargout_(nargout) {
    out_.assign(static_cast<std::size_t>(nargout > 0 ? nargout : 1), nullptr);
  }
  ~FevalCall() {
    for (mxArray* h : in_) destroyHandle(h);
    for (mxArray* h : out_) destroyHandle(h);
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
    fn(nargout_, out_.data(), static_cast<int>(in_.size()), in_.data());
  }

  // The outputs the function handed over: the first also when nargout is
  // 0 (when it has any), then outputs 2 to nargout, up to the first one
  // missing.
  ValueList results();
  // The first output as a temporary handle (a placeholder when there is
  // none), which the call no longer frees.
  mxArray* firstAsTemp();

 private:
  boost::container::small_vector<mxArray*, 8> in_, out_, extra_;
  int nargout_;
};

}  // namespace kh
