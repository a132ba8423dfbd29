#include "framework/frame.h"

namespace kf {
namespace {

void checkOutput(const Frame& frame, int nargout, int j, mxArray** h) {
  // An output slot the body never assigned is empty (or holds a placeholder).
  if (!*h) *h = mclGetUninitializedArray();
  if (nargout >= j && mxGetClassID(*h) == mxUNKNOWN_CLASS) {
    const Function& f = frame.function();
    mclValidateOutputWarning(f.outputs[static_cast<std::size_t>(j - 1)], f.path);
  }
}

}  // namespace

mxArray* Var::readChecked() const {
  placeholderIfUnassigned();
  if (!h_) mclValidateError(kind_, name_);
  if (mxGetClassID(h_) == mxUNKNOWN_CLASS) {
    if (mclUninitWarning(name_)) return mclCreateEmptyArray();
  } else if (!lent_) {
    known_ = true;
  }
  return h_;
}

mxArray* Var::refChecked() const {
  placeholderIfUnassigned();
  if (!h_) mclValidateError(kind_, name_);
  if (mxGetClassID(h_) == mxUNKNOWN_CLASS)
    mclUninitWarning(name_);
  else if (!lent_)
    known_ = true;
  return h_;
}

mxArray* finish(const Frame& frame, int nargout, Var& first,
                std::initializer_list<mxArray**> rest) {
  first.handle();  // an unassigned local has its placeholder now, and warns below
  checkOutput(frame, nargout, 1, first.slot());
  int j = 2;
  for (mxArray** s : rest) checkOutput(frame, nargout, j++, s);
  return first.release();
}

void finishSlots(const Frame& frame, int nargout, std::initializer_list<mxArray**> slots) {
  int j = 1;
  for (mxArray** s : slots) checkOutput(frame, nargout, j++, s);
}

mxArray** globalTarget(mxArray** slot) { return *slot ? slot : mclInitGlobal(slot); }

void assignGlobal(mxArray** slot, mxArray* value) { mlfAssign(globalTarget(slot), value); }

}  // namespace kf
