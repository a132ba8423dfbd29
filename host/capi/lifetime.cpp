// Lifetime of values and the context bracket around every call.
#include "runtime/lifetime.h"

#include <cstdarg>

#include "host/capi/destroy_observer.h"
#include "host/context/context.h"
#include "host/core/interrupt.h"
#include "host/values/handle.h"

namespace kh {
namespace {
DestroyObserver& observer() {
  static DestroyObserver fn;
  return fn;
}
// Whether an observer is set: mxDestroyArray runs at nearly every step, and
// only tests set one.
bool g_observed = false;
}  // namespace

DestroyObserver setDestroyObserver(DestroyObserver fn) {
  DestroyObserver old = std::move(observer());
  observer() = std::move(fn);
  g_observed = static_cast<bool>(observer());
  return old;
}

}  // namespace kh

extern "C" {

void mxDestroyArray(mxArray* a) {
  if (!a) return;
  if (kh::g_observed) kh::observer()(a);
  kh::destroyHandle(a);
}

mxClassID mxGetClassID(const mxArray* a) { return kh::valueOf(a).cls(); }

// The variable part (slot addresses and input handles) only documents what
// the bracket covers; the host keeps the counts to check that enter and
// restore match. A function of the library starting is also where a Ctrl-C
// (or a spent statement budget) stops a long call, before its bracket opens.
void mlfEnterNewContext(int nout, int nin, ...) {
  kh::pollInterrupt();
  kh::pushContext(nout, nin);
}

void mlfRestorePreviousContext(int nout, int nin, ...) { kh::popContext(nout, nin); }

mxArray* mlfReturnValue(mxArray* a) {
  if (a) a->temporary = true;
  return a;
}

void mlfAssign(mxArray** dest, mxArray* src) {
  if (!dest) return;
  if (src == *dest) {
    if (src) src->temporary = false;
    return;
  }
  mxArray* fresh = nullptr;
  if (src) {
    if (src->temporary) {
      src->temporary = false;
      fresh = src;
    } else {
      fresh = kh::newHandle(src->v, false);
    }
  }
  mxArray* old = *dest;
  *dest = fresh;
  mxDestroyArray(old);
}

void mclCopyArray(mxArray** pa) {
  if (!pa || !*pa) return;
  if ((*pa)->temporary) {
    (*pa)->temporary = false;
  } else {
    *pa = kh::newHandle((*pa)->v, false);
  }
}

int mclBorrowInput(mxArray** pa) {
  mxArray* a = *pa;
  if (!a) return 0;
  if (a->temporary) {
    a->temporary = false;
    return 0;
  }
  kh::borrowHandle(a);
  return 1;
}

void mclEndBorrow(mxArray* a) { kh::endBorrow(a); }

void mclOwnBorrowed(mxArray** pa) {
  mxArray* a = *pa;
  *pa = kh::newHandle(a->v, false);
  kh::endBorrow(a);
}

void mclCopyInputArg(mxArray** dest, mxArray* src) {
  if (!dest) return;
  mxArray* old = *dest;
  if (!src) {
    *dest = nullptr;
  } else if (src->temporary) {
    src->temporary = false;
    *dest = src;
  } else {
    *dest = kh::newHandle(src->v, false);
  }
  mxDestroyArray(old);
}

void mclCopyOutputArg(mxArray** dest, mxArray* src) {
  if (!dest) {
    mxDestroyArray(src);
    return;
  }
  if (*dest == src) return;
  mxArray* old = *dest;
  if (src) src->temporary = false;
  *dest = src;
  mxDestroyArray(old);
}

mxArray* mclGetUninitializedArray(void) { return kh::newHandle(kh::Value(), false); }

mxArray* mclCreateEmptyArray(void) { return kh::newTemp(kh::Value::empty()); }

// Errors unwind as exceptions; the protected point that catches one frees
// what was left behind, so nothing is held here.
void mclCleanupProtectedItems(void) {}

mxArray* mclCopyArrayValue(mxArray* a) {
  kh::TempGuard g(a);
  return kh::newTemp(kh::valueOf(a));
}

}  // extern "C"
