// Puts the host's warning state back when a silenced section is left by an
// error. The normal path restores the state itself, where the algorithm says,
// and dismisses the guard.
#pragma once

#include "runtime/runtime.h"

namespace kpoly {

class WarningStateGuard {
 public:
  // `saved` is the variable that holds the state to put back.
  explicit WarningStateGuard(mxArray** saved) : saved_(saved) {}
  ~WarningStateGuard() {
    if (saved_) mlfNWarning(0, *saved_, nullptr);
  }
  WarningStateGuard(const WarningStateGuard&) = delete;
  WarningStateGuard& operator=(const WarningStateGuard&) = delete;

  void dismiss() { saved_ = nullptr; }

 private:
  mxArray** saved_;
};

}  // namespace kpoly
