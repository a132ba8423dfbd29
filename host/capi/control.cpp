// Truth values, switch comparison, errors and warnings.
#include "runtime/control.h"

#include <cmath>
#include <cstdarg>

#include "host/builtins/session/command_window.h"
#include "host/capi/door.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/query.h"
#include "host/values/handle.h"

namespace {

bool sameScalar(const kh::Value& a, const kh::Value& b) {
  if (!a.isDouble() || !b.isDouble() || a.numel() != 1 || b.numel() != 1) return false;
  return a.cat(0) == b.cat(0);
}

bool sameText(const kh::Value& a, const kh::Value& b) {
  if (!a.isChar() || !b.isChar()) return false;
  if (a.isEmpty() && b.isEmpty()) return true;
  return a.dims() == b.dims() && a.u16() == b.u16();
}

bool caseMatches(const kh::Value& sw, const kh::Value& c) {
  if (c.isCell()) {
    for (std::size_t i = 0; i < c.numel(); ++i)
      if (caseMatches(sw, c.cellAt(i))) return true;
    return false;
  }
  if (sw.isChar() || c.isChar()) return sameText(sw, c);
  return sameScalar(sw, c);
}

}  // namespace

extern "C" {

int mlfTobool(mxArray* a) {
  // A real scalar, nearly every condition a body tests: no guard needed.
  if (a && !a->list && a->v.isRealScalar()) [[likely]] {
    const double x = a->v.scalarValue();
    if (!std::isnan(x)) {
      kh::releaseIfTemp(a);
      return x != 0 ? 1 : 0;
    }
  }
  kh::TempGuard g(a);
  return kh::truthValue(kh::valueOf(a)) ? 1 : 0;
}

int mclSwitchCompare(mxArray* switch_value, mxArray* case_value) {
  kh::TempGuard g(switch_value, case_value);
  return caseMatches(kh::valueOf(switch_value), kh::valueOf(case_value)) ? 1 : 0;
}

mxArray* mclInitialize(mxArray* a) {
  kh::TempGuard g(a);
  return kh::newHandle(kh::valueOf(a), false);
}

void mlfError(mxArray* msg) { kh::Door(msg).run(kh::builtin::error, 0); }

mxArray* mlfNWarning(int nargout, mxArray* arg, ...) {
  va_list ap;
  va_start(ap, arg);
  mxArray* second = arg ? va_arg(ap, mxArray*) : nullptr;
  if (!second) [[likely]] {
    va_end(ap);
    // One input, nearly always 'on' or 'off', or none: the state of all
    // warnings.
    kh::Door<1> d(arg);
    d.run(kh::builtin::warning, nargout);
    return nargout < 1 ? nullptr : d.result();
  }
  kh::ListDoor d;
  d.add(arg);
  d.addList(second, ap);
  va_end(ap);
  d.run(kh::builtin::warning, nargout);
  return nargout < 1 ? nullptr : d.result();
}

mxArray* mlfLasterr(mxArray* text) { return kh::Door(text).run(kh::builtin::lasterr, 1).result(); }

jmp_buf* mclGetSetjmpData(void) {
  static jmp_buf buffer;
  return &buffer;
}

}  // extern "C"
