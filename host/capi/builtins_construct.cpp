// C entry points of the built-ins that build arrays.
#include "host/capi/wrap.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/concat.h"
#include "host/kernels/arrays/construct.h"
#include "host/kernels/arrays/convert.h"
#include "runtime/builtins.h"

#define KH_LIST_CALL(first, fn)                     \
  kh::CallInputs in;                                \
  va_list ap;                                       \
  va_start(ap, first);                              \
  const auto handles = kh::readList(first, ap, in); \
  va_end(ap);                                       \
  return kh::newTemp(fn(kh::valuesOf(handles)))

extern "C" {

mxArray* mlfZeros(mxArray* first, ...) { KH_LIST_CALL(first, kh::zeros); }
mxArray* mlfOnes(mxArray* first, ...) { KH_LIST_CALL(first, kh::ones); }
mxArray* mlfEye(mxArray* first, ...) { KH_LIST_CALL(first, kh::eye); }
mxArray* mlfCell(mxArray* first, ...) { KH_LIST_CALL(first, kh::cellArray); }
mxArray* mlfHorzcat(mxArray* first, ...) { KH_LIST_CALL(first, kh::horzcat); }
mxArray* mlfVertcat(mxArray* first, ...) { KH_LIST_CALL(first, kh::vertcat); }

mxArray* mlfReshape(mxArray* x, ...) {
  kh::CallInputs in(x);
  va_list ap;
  va_start(ap, x);
  const auto handles = kh::readList(va_arg(ap, mxArray*), ap, in);
  va_end(ap);
  return in.result(kh::reshape(kh::valueOf(x), kh::valuesOf(handles)));
}

mxArray* mlfDiag(mxArray* x, mxArray* k) {
  kh::CallInputs in(x, k);
  double off = 0;
  if (k) off = kh::scalarArg(kh::valueOf(k), "Diagonal offset");
  return in.result(kh::diag(kh::valueOf(x), off));
}

}  // extern "C"
