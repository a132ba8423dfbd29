#include "host/loader/feval_call.h"

namespace kh {

ValueList FevalCall::results() {
  ValueList r;
  r.reserve(nout_);
  for (std::size_t k = 0; k < nout_ && out_[k]; ++k)
    r.push_back(std::move(out_[k]->v));  // the handle is freed with the call
  return r;
}

}  // namespace kh
