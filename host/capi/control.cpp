// Truth values, switch comparison, errors and warnings.
#include "runtime/control.h"

#include <cmath>
#include <cstdarg>
#include <string_view>
#include <vector>

#include "host/context/warnings.h"
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

void mlfError(mxArray* msg) {
  std::string text;
  {
    kh::TempGuard g(msg);
    const kh::Value& v = kh::valueOf(msg);
    if (v.isEmpty()) return;
    text = v.isChar() ? v.utf8() : "Error.";
  }
  kh::raise(text);
}

// The state is the text "on" or "off"; warning(state) puts it back exactly.
mxArray* mlfNWarning(int nargout, mxArray* arg, ...) {
  kh::HandleList extra;
  va_list ap;
  va_start(ap, arg);
  if (arg)
    while (mxArray* a = va_arg(ap, mxArray*)) extra.push_back(a);
  va_end(ap);
  kh::TempGuard g(arg);
  for (mxArray* a : extra) g.add(a);

  const bool wasOn = kh::warningsOn();
  if (arg) {
    const kh::Value& v = kh::valueOf(arg);
    // The state words are told apart without building a text: a body turns
    // warnings off and on around its steps at a high rate.
    const std::u16string_view chars =
        v.isChar() ? std::u16string_view(v.chr(), v.numel()) : std::u16string_view();
    if (chars == u"on" || chars == u"off") {
      kh::setWarningsOn(chars == u"on");
    } else if (!v.isEmpty()) {
      kh::warn(v.isChar() ? v.utf8() : "");
    }
  }
  if (nargout < 1) return nullptr;
  // Every saved state shares the data of one of these.
  static const kh::Value on = kh::Value::str(std::string_view("on"));
  static const kh::Value off = kh::Value::str(std::string_view("off"));
  return kh::newTemp(wasOn ? on : off);
}

mxArray* mlfLasterr(mxArray* unused) {
  kh::TempGuard g(unused);
  return kh::newTemp(kh::Value::str(std::string_view(kh::lastError())));
}

jmp_buf* mclGetSetjmpData(void) {
  static jmp_buf buffer;
  return &buffer;
}

}  // extern "C"
