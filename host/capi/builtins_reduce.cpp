// C entry points of the reductions, searches and sorting.
#include "host/builtins/arrays/reductions.h"
#include "host/capi/door.h"
#include "runtime/builtins.h"

extern "C" {

mxArray* mlfSum(mxArray* x, mxArray* dim) {
  return kh::Door(x, dim).run(kh::builtin::sum, 1).result();
}
mxArray* mlfProd(mxArray* x, mxArray* dim) {
  return kh::Door(x, dim).run(kh::builtin::prod, 1).result();
}
mxArray* mlfAll(mxArray* x, mxArray* dim) {
  return kh::Door(x, dim).run(kh::builtin::all, 1).result();
}
mxArray* mlfAny(mxArray* x, mxArray* dim) {
  return kh::Door(x, dim).run(kh::builtin::any, 1).result();
}

mxArray* mlfMax(mxArray** index, mxArray* x, mxArray* y, mxArray* dim) {
  kh::Door<3, 2> d(x, y, dim);
  d.run(kh::builtin::max, index ? 2 : 1).output(1, index);
  return d.result();
}
mxArray* mlfMin(mxArray** index, mxArray* x, mxArray* y, mxArray* dim) {
  kh::Door<3, 2> d(x, y, dim);
  d.run(kh::builtin::min, index ? 2 : 1).output(1, index);
  return d.result();
}

mxArray* mlfDiff(mxArray* x, mxArray* n, mxArray* dim) {
  return kh::Door(x, n, dim).run(kh::builtin::diff, 1).result();
}

mxArray* mlfFind(mxArray** cols, mxArray** values, mxArray* x) {
  kh::Door<1, 3> d(x);
  d.run(kh::builtin::find, values ? 3 : cols ? 2 : 1);
  d.output(1, cols);
  d.output(2, values);
  return d.result();
}

mxArray* mlfSort(mxArray** index, mxArray* x, mxArray* dim) {
  kh::Door<2, 2> d(x, dim);
  d.run(kh::builtin::sort, index ? 2 : 1).output(1, index);
  return d.result();
}

}  // extern "C"
