// C entry points of the graphics system: doors onto the same readers as the
// command window's get, set, findobj, figure, axes, plot and ishandle.
#include "runtime/graphics.h"

#include "host/builtins/graphics/graphics.h"
#include "host/capi/door.h"

namespace {

// A call of read with the input first and then what ap holds up to a null
// handle (a null first ends the list there), or with only what ap holds
// when there is no fixed first input; null when no output is asked for.
template <typename Read>
mxArray* listCall(Read read, int nargout, bool fixedFirst, mxArray* first, va_list ap) {
  kh::ListDoor d;
  if (fixedFirst)
    d.addFixedThenList(first, ap);
  else
    d.addList(va_arg(ap, mxArray*), ap);
  d.run(read, nargout);
  return nargout < 1 ? nullptr : d.result();
}

}  // namespace

#define KH_GRAPHICS_DOOR(last, fixed, first, read, nargout) \
  va_list ap;                                               \
  va_start(ap, last);                                       \
  mxArray* r = listCall(read, nargout, fixed, first, ap);   \
  va_end(ap);                                               \
  return r

extern "C" {

mxArray* mlfNGet(int nargout, mxArray* handle, ...) {
  KH_GRAPHICS_DOOR(handle, true, handle, kh::builtin::get, nargout < 1 ? 1 : nargout);
}

mxArray* mlfNSet(int nargout, mxArray* handle, ...) {
  KH_GRAPHICS_DOOR(handle, true, handle, kh::builtin::set, nargout);
}

mxArray* mlfFindobj(mxArray* first, ...) {
  kh::ListDoor d;
  va_list ap;
  va_start(ap, first);
  d.addList(first, ap);
  va_end(ap);
  return d.run(kh::builtin::findobj, 1).result();
}

mxArray* mlfNFigure(int nargout, ...) {
  KH_GRAPHICS_DOOR(nargout, false, nullptr, kh::builtin::figure, nargout);
}

mxArray* mlfNAxes(int nargout, ...) {
  KH_GRAPHICS_DOOR(nargout, false, nullptr, kh::builtin::axes, nargout);
}

mxArray* mlfNPlot(int nargout, ...) {
  KH_GRAPHICS_DOOR(nargout, false, nullptr, kh::builtin::plot, nargout);
}

mxArray* mlfIshandle(mxArray* handles, ...) {
  KH_GRAPHICS_DOOR(handles, true, handles, kh::builtin::ishandle, 1);
}

}  // extern "C"
