// C entry points of the graphics system: thin doors onto the same code as
// the command window's get, set, findobj, figure, axes, plot and ishandle.
#include "runtime/graphics.h"

#include <vector>

#include "host/capi/wrap.h"
#include "host/core/errors.h"
#include "host/graphics/access.h"
#include "host/graphics/commands.h"
#include "host/graphics/plot.h"

namespace {

// The values of a null-terminated list that starts after `last`.
template <typename T>
kh::ValueList rest(kh::CallInputs& in, T last, va_list ap, mxArray* first = nullptr) {
  (void)last;
  kh::HandleList hs;
  if (first) {
    in.add(first);
    hs.push_back(first);
  }
  for (mxArray* a = va_arg(ap, mxArray*); a; a = va_arg(ap, mxArray*)) {
    in.add(a);
    hs.push_back(a);
  }
  return kh::valuesOf(hs);
}

mxArray* handleResult(int nargout, double h) {
  if (nargout < 1) return nullptr;
  return kh::newTemp(kh::Value::scalar(h));
}

}  // namespace

extern "C" {

mxArray* mlfNGet(int nargout, mxArray* handle, ...) {
  (void)nargout;
  kh::CallInputs in(handle);
  va_list ap;
  va_start(ap, handle);
  kh::ValueList names = rest(in, handle, ap);
  va_end(ap);
  if (!handle) kh::raise("Not enough input arguments.");
  if (names.size() > 1) kh::raise("Too many input arguments.");
  return kh::newTemp(kh::gfx::get(kh::valueOf(handle), names.empty() ? nullptr : &names[0]));
}

mxArray* mlfNSet(int nargout, mxArray* handle, ...) {
  kh::CallInputs in(handle);
  va_list ap;
  va_start(ap, handle);
  kh::ValueList pairs = rest(in, handle, ap);
  va_end(ap);
  if (!handle || pairs.size() < 2) kh::raise("Not enough input arguments.");
  kh::gfx::set(kh::valueOf(handle), kh::Values(pairs.data(), pairs.size()));
  if (nargout < 1) return nullptr;
  return kh::newTemp(kh::Value::empty());
}

mxArray* mlfFindobj(mxArray* first, ...) {
  kh::CallInputs in;
  va_list ap;
  va_start(ap, first);
  kh::ValueList args = first ? rest(in, first, ap, first) : kh::ValueList{};
  va_end(ap);
  return kh::newTemp(kh::gfx::findobj(kh::Values(args.data(), args.size())));
}

mxArray* mlfNFigure(int nargout, ...) {
  kh::CallInputs in;
  va_list ap;
  va_start(ap, nargout);
  kh::ValueList args = rest(in, nargout, ap);
  va_end(ap);
  kh::gfx::Object* f = kh::gfx::figureCommand(kh::Values(args.data(), args.size()));
  return handleResult(nargout, f->handle);
}

mxArray* mlfNAxes(int nargout, ...) {
  kh::CallInputs in;
  va_list ap;
  va_start(ap, nargout);
  kh::ValueList args = rest(in, nargout, ap);
  va_end(ap);
  kh::gfx::Object* a = kh::gfx::axesCommand(kh::Values(args.data(), args.size()));
  return handleResult(nargout, a->handle);
}

mxArray* mlfNPlot(int nargout, ...) {
  kh::CallInputs in;
  va_list ap;
  va_start(ap, nargout);
  kh::ValueList args = rest(in, nargout, ap);
  va_end(ap);
  kh::Value h = kh::gfx::plot(kh::Values(args.data(), args.size()));
  if (nargout < 1) return nullptr;
  return kh::newTemp(std::move(h));
}

mxArray* mlfIshandle(mxArray* handles, ...) {
  kh::CallInputs in(handles);
  if (!handles) kh::raise("Not enough input arguments.");
  return kh::newTemp(kh::gfx::ishandle(kh::valueOf(handles)));
}

}  // extern "C"
