// Each module's exception function: frees what the run-time protects and
// jumps back to the run-time's buffer. Nothing in the library calls it.
#pragma once

#include <setjmp.h>

#include "runtime/runtime.h"

#define KF_EXCEPTION_FUNCTION()                                           \
  [[maybe_unused]] __attribute__((used)) static void _mclExceptionFcn() { \
    mclCleanupProtectedItems();                                           \
    longjmp(*mclGetSetjmpData(), -1);                                     \
  }
