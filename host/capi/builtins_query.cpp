// C entry points of the predicates and queries.
#include "host/builtins/arrays/queries.h"
#include "host/capi/door.h"
#include "host/capi/sink.h"
#include "runtime/builtins.h"

extern "C" {

mxArray* mlfIsa(mxArray* x, mxArray* class_name) {
  return kh::Door(x, class_name).run(kh::builtin::isa, 1).result();
}

mxArray* mlfIsempty(mxArray* x) { return kh::Door(x).run(kh::builtin::isempty, 1).result(); }

mxArray* mlfIsequal(mxArray* a, mxArray* b, ...) {
  kh::Door d(a);
  if (a) {
    va_list ap;
    va_start(ap, b);
    d.addList(b, ap);
    va_end(ap);
  }
  return d.run(kh::builtin::isequal, 1).result();
}

mxArray* mlfIsreal(mxArray* x) { return kh::Door(x).run(kh::builtin::isreal, 1).result(); }

mxArray* mlfIsstr(mxArray* x) { return kh::Door(x).run(kh::builtin::ischar, 1).result(); }

mxArray* mlfNdims(mxArray* x) { return kh::Door(x).run(kh::builtin::ndims, 1).result(); }

mxArray* mlfSize(mlfVarargoutList* sink, mxArray* x, mxArray* dim) {
  kh::SinkGuard out(sink);
  kh::Door d(x, dim);
  d.run(kh::builtin::size, out.count());
  return out.deliver(std::move(d.outputs()));
}

mxArray* mlfStrcmp(mxArray* a, mxArray* b) {
  return kh::Door(a, b).run(kh::builtin::strcmp, 1).result();
}

}  // extern "C"
