// C entry points of the predicates and queries.
#include "host/builtins/arrays/queries.h"
#include "host/capi/door.h"
#include "runtime/builtins.h"

extern "C" {

mxArray* mlfIsa(mxArray* x, mxArray* class_name) {
  return kh::Door(x, class_name).run(kh::builtin::isa, 1).result();
}

mxArray* mlfIsempty(mxArray* x) { return kh::Door(x).run(kh::builtin::isempty, 1).result(); }

mxArray* mlfIsequal(mxArray* a, mxArray* b, ...) {
  va_list ap;
  va_start(ap, b);
  mxArray* c = b ? va_arg(ap, mxArray*) : nullptr;
  if (a && !c) [[likely]] {
    va_end(ap);
    // Two values, nearly always.
    return kh::Door(a, b).run(kh::builtin::isequal, 1).result();
  }
  kh::ListDoor d;
  if (a) d.add(a);
  if (b) d.add(b);
  if (c) d.addList(c, ap);
  va_end(ap);
  if (!a) kh::raise("Not enough input arguments.");
  return d.run(kh::builtin::isequal, 1).result();
}

mxArray* mlfIsreal(mxArray* x) { return kh::Door(x).run(kh::builtin::isreal, 1).result(); }

mxArray* mlfIsstr(mxArray* x) { return kh::Door(x).run(kh::builtin::ischar, 1).result(); }

mxArray* mlfNdims(mxArray* x) { return kh::Door(x).run(kh::builtin::ndims, 1).result(); }

mxArray* mlfSize(mlfVarargoutList* sink, mxArray* x, mxArray* dim) {
  return kh::Door(x, dim).deliverTo(kh::builtin::size, sink);
}

mxArray* mlfStrcmp(mxArray* a, mxArray* b) {
  return kh::Door(a, b).run(kh::builtin::strcmp, 1).result();
}

}  // extern "C"
