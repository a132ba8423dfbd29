#include "host/loader/feval_call.h"

namespace kh {

ValueList FevalCall::results() {
  ValueList r;
  r.reserve(out_.size());
  for (mxArray* o : out_) {
    if (!o) break;
    r.push_back(std::move(o->v));  // the handle is freed with the call
  }
  return r;
}

mxArray* FevalCall::firstAsTemp() {
  mxArray* r = out_[0];
  out_[0] = nullptr;
  if (!r) r = newHandle(Value(), false);
  r->temporary = true;
  return r;
}

}  // namespace kh
