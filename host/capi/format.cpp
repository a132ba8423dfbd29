// C entry points of formatted text: sprintf, fprintf, sscanf, char,
// deblank and ismember.
#include <cmath>

#include "host/builtins/formatted_output.h"
#include "host/capi/wrap.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/ismember.h"
#include "host/kernels/display/display.h"
#include "host/kernels/text/text_format.h"
#include "host/kernels/text/text_ops.h"
#include "runtime/builtins.h"

namespace {

std::string formatOf(const kh::Value& f, const char* fn) {
  if (f.isChar()) return f.utf8();
  if (f.isEmpty()) return "";
  kh::raise(std::string(fn) + ": the format must be a text.");
}

}  // namespace

extern "C" {

mxArray* mlfSprintf(mxArray** errmsg, mxArray* format, ...) {
  kh::CallInputs in(format);
  va_list ap;
  va_start(ap, format);
  const auto handles = kh::readList(va_arg(ap, mxArray*), ap, in);
  va_end(ap);
  if (!format) kh::raise("Not enough input arguments.");
  const std::string text =
      kh::formatText(formatOf(kh::valueOf(format), "sprintf"), kh::valuesOf(handles));
  kh::setOutput(errmsg, kh::Value::str(std::string_view("")));
  return kh::newTemp(kh::Value::str(std::string_view(text)));
}

// fprintf(format, args...) and fprintf(fid, format, args...): fid 1 is the
// command window, 2 the error stream, 3 and up a file fopen opened. With an
// output, the count of bytes.
mxArray* mlfNFprintf(int nargout, mxArray* format, ...) {
  kh::CallInputs in(format);
  va_list ap;
  va_start(ap, format);
  auto handles = kh::readList(va_arg(ap, mxArray*), ap, in);
  va_end(ap);
  if (!format) kh::raise("Not enough input arguments.");
  const kh::Value* fmt = &kh::valueOf(format);
  double fid = 1;
  if (!fmt->isChar() && fmt->isDouble() && fmt->isScalar()) {
    fid = fmt->re()[0];
    if (handles.empty()) kh::raise("Not enough input arguments.");
    fmt = &kh::valueOf(handles.front());
    handles.erase(handles.begin());
  }
  const std::string text = kh::formatText(formatOf(*fmt, "fprintf"), kh::valuesOf(handles));
  kh::writeToFile(fid, text);
  if (nargout < 1) return nullptr;
  return kh::newTemp(kh::Value::scalar(static_cast<double>(text.size())));
}

mxArray* mlfSscanf(mxArray** count, mxArray** errmsg, mxArray** next, mxArray* s, mxArray* format,
                   mxArray* size) {
  kh::CallInputs in(s, format, size);
  if (!s || !format) kh::raise("Not enough input arguments.");
  const kh::Value& sv = kh::valueOf(s);
  if (!sv.isChar() && !sv.isEmpty()) kh::raise("Input must be a string.");
  std::size_t limit = static_cast<std::size_t>(-1);
  if (size) {
    const kh::Value& z = kh::valueOf(size);
    if (!z.isDouble() || z.isEmpty()) kh::raise("Size must be numeric.");
    double total = 1;
    for (std::size_t i = 0; i < z.numel(); ++i) total *= z.re()[i];
    if (total >= 0 && total < 0x1p64) limit = static_cast<std::size_t>(total);
  }
  kh::ScanResult r =
      kh::scanNumbers(sv.isChar() ? sv.utf8() : "", formatOf(kh::valueOf(format), "sscanf"), limit);
  kh::setOutput(count, kh::Value::scalar(static_cast<double>(r.count)));
  kh::setOutput(errmsg, kh::Value::str(std::string_view(r.error)));
  kh::setOutput(next, kh::Value::scalar(static_cast<double>(r.next)));
  return kh::newTemp(std::move(r.values));
}

mxArray* mlfChar(mxArray* first, ...) {
  kh::CallInputs in;
  va_list ap;
  va_start(ap, first);
  const auto handles = kh::readList(first, ap, in);
  va_end(ap);
  if (handles.empty()) return kh::newTemp(kh::Value::chars({0, 0}));
  return kh::newTemp(kh::charRows(kh::valuesOf(handles)));
}

mxArray* mlfDeblank(mxArray* s) {
  kh::CallInputs in(s);
  if (!s) kh::raise("Not enough input arguments.");
  return kh::newTemp(kh::deblank(kh::valueOf(s)));
}

mxArray* mlfIsmember(mxArray* a, mxArray* s, mxArray* flag) {
  kh::CallInputs in(a, s, flag);
  if (!a || !s) kh::raise("Not enough input arguments.");
  bool rows = false;
  if (flag) {
    const kh::Value& f = kh::valueOf(flag);
    if (!f.isChar() || f.utf8() != "rows") kh::raise("Unknown flag.");
    rows = true;
  }
  return kh::newTemp(kh::ismember(kh::valueOf(a), kh::valueOf(s), rows));
}

}  // extern "C"

// The run-time's display of a value, as disp(x) at the command window.
extern "C" void mlfDisp(mxArray* x) {
  kh::TempGuard guard(x);
  kh::emit(kh::formatDisp(kh::valueOf(x)));
}
