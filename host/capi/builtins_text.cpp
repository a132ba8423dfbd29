// C entry points of the text built-ins: search, formatted text, character
// arrays, and the display of a value.
#include "host/builtins/arrays/sequences.h"
#include "host/builtins/files/formatted_output.h"
#include "host/builtins/session/command_window.h"
#include "host/builtins/text/text.h"
#include "host/capi/door.h"
#include "runtime/builtins.h"

extern "C" {

mxArray* mlfStrmatch(mxArray* str, mxArray* strs, mxArray* flag) {
  return kh::Door(str, strs, flag).run(kh::builtin::strmatch, 1).result();
}

mxArray* mlfSprintf(mxArray** errmsg, mxArray* format, ...) {
  kh::ListDoor d;
  va_list ap;
  va_start(ap, format);
  d.addFixedThenList(format, ap);
  va_end(ap);
  d.run(kh::builtin::sprintf, errmsg ? 2 : 1).output(1, errmsg);
  return d.result();
}

// fprintf(format, args...) and fprintf(fid, format, args...); with an
// output, the count of bytes.
mxArray* mlfNFprintf(int nargout, mxArray* format, ...) {
  kh::ListDoor d;
  va_list ap;
  va_start(ap, format);
  d.addFixedThenList(format, ap);
  va_end(ap);
  d.run(kh::builtin::fprintf, nargout);
  return nargout < 1 ? nullptr : d.result();
}

mxArray* mlfSscanf(mxArray** count, mxArray** errmsg, mxArray** next, mxArray* s, mxArray* format,
                   mxArray* size) {
  kh::Door<3, 4> d(s, format, size);
  d.run(kh::builtin::sscanf, next ? 4 : errmsg ? 3 : count ? 2 : 1);
  d.output(1, count).output(2, errmsg).output(3, next);
  return d.result();
}

mxArray* mlfChar(mxArray* first, ...) {
  kh::ListDoor d;
  va_list ap;
  va_start(ap, first);
  d.addList(first, ap);
  va_end(ap);
  return d.run(kh::builtin::chars, 1).result();
}

mxArray* mlfDeblank(mxArray* s) { return kh::Door(s).run(kh::builtin::deblank, 1).result(); }

mxArray* mlfIsmember(mxArray* a, mxArray* s, mxArray* flag) {
  return kh::Door(a, s, flag).run(kh::builtin::ismember, 1).result();
}

// The run-time's display of a value, as disp(x) at the command window.
void mlfDisp(mxArray* x) { kh::Door(x).run(kh::builtin::disp, 0); }

}  // extern "C"
