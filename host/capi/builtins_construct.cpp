// C entry points of the built-ins that build arrays.
#include "host/builtins/arrays/construct.h"
#include "host/capi/door.h"
#include "runtime/builtins.h"

namespace {

template <typename Read>
mxArray* listCall(Read read, mxArray* first, va_list ap) {
  kh::ListDoor d;
  d.addList(first, ap);
  return d.run(read, 1).result();
}

}  // namespace

#define KH_LIST_DOOR(first, read)         \
  va_list ap;                             \
  va_start(ap, first);                    \
  mxArray* r = listCall(read, first, ap); \
  va_end(ap);                             \
  return r

extern "C" {

mxArray* mlfZeros(mxArray* first, ...) { KH_LIST_DOOR(first, kh::builtin::zeros); }
mxArray* mlfOnes(mxArray* first, ...) { KH_LIST_DOOR(first, kh::builtin::ones); }
mxArray* mlfEye(mxArray* first, ...) { KH_LIST_DOOR(first, kh::builtin::eye); }
mxArray* mlfCell(mxArray* first, ...) { KH_LIST_DOOR(first, kh::builtin::cell); }
mxArray* mlfHorzcat(mxArray* first, ...) { KH_LIST_DOOR(first, kh::builtin::horzcat); }
mxArray* mlfVertcat(mxArray* first, ...) { KH_LIST_DOOR(first, kh::builtin::vertcat); }

mxArray* mlfReshape(mxArray* x, ...) {
  kh::ListDoor d;
  va_list ap;
  va_start(ap, x);
  d.addFixedThenList(x, ap);
  va_end(ap);
  return d.run(kh::builtin::reshape, 1).result();
}

mxArray* mlfDiag(mxArray* x, mxArray* k) {
  return kh::Door(x, k).run(kh::builtin::diag, 1).result();
}

}  // extern "C"
