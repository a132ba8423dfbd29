// Puts a graphics property back to the value saved in a variable when an
// error leaves the section that changed it ("ShowHiddenHandles" in allchild,
// "Units" in the axis operations). The normal path writes the value back
// itself, where the algorithm does, and dismisses the guard first.
#pragma once

#include "runtime/runtime.h"

namespace kgfx {

class RestoreOnError {
 public:
  RestoreOnError(mxArray* object, mxArray* name, mxArray** saved)
      : object_(object), name_(name), saved_(saved) {}
  ~RestoreOnError() {
    if (!saved_) return;
    // An error is already unwinding: a failure of this write must not end the
    // process, so it runs in a try context of its own and is dropped.
    mclEnterTryCatchContext();
    try {
      mlfNSet(0, object_, name_, *saved_, nullptr);
      mclExitTryCatchContext();
    } catch (...) {
      mclExitTryCatchContext();
    }
  }
  RestoreOnError(const RestoreOnError&) = delete;
  RestoreOnError& operator=(const RestoreOnError&) = delete;

  void dismiss() { saved_ = nullptr; }

 private:
  mxArray* object_;
  mxArray* name_;
  mxArray** saved_;
};

}  // namespace kgfx
