// C entry points of the predicates and queries.
#include <string_view>

#include "host/capi/sink.h"
#include "host/capi/wrap.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/query.h"
#include "runtime/builtins.h"

namespace {

mxArray* boolTemp(bool b) { return kh::newTemp(kh::Value::logicalScalar(b)); }

// Whether a character value holds exactly the ASCII text t.
bool textIs(const kh::Value& c, std::string_view t) {
  if (c.numel() != t.size()) return false;
  const char16_t* p = c.chr();
  for (std::size_t i = 0; i < t.size(); ++i)
    if (p[i] != static_cast<char16_t>(t[i])) return false;
  return true;
}

}  // namespace

extern "C" {

mxArray* mlfIsa(mxArray* x, mxArray* class_name) {
  kh::CallInputs in(x, class_name);
  const kh::Value& c = kh::valueOf(class_name);
  if (!c.isChar()) kh::raise("Second argument must be a class name.");
  const kh::Value& v = kh::valueOf(x);
  // The class names asked most often are compared in place. A logical
  // array is its own class, as isA says.
  if (textIs(c, "double")) return boolTemp(v.isDouble() && !v.isLogical());
  if (textIs(c, "function_handle")) return boolTemp(v.isFunction());
  return boolTemp(kh::isA(v, c.utf8()));
}

mxArray* mlfIsempty(mxArray* x) {
  kh::CallInputs in(x);
  return boolTemp(kh::valueOf(x).isEmpty());
}

mxArray* mlfIsequal(mxArray* a, mxArray* b, ...) {
  kh::CallInputs in(a, b);
  kh::HandleList rest;
  if (b) {
    va_list ap;
    va_start(ap, b);
    rest = kh::readList(va_arg(ap, mxArray*), ap, in);
    va_end(ap);
  }
  if (!a || !b) kh::raise("Not enough input arguments.");
  bool eq = kh::isEqual(kh::valueOf(a), kh::valueOf(b));
  for (mxArray* h : rest) eq = eq && kh::isEqual(kh::valueOf(a), kh::valueOf(h));
  return boolTemp(eq);
}

mxArray* mlfIsreal(mxArray* x) {
  kh::CallInputs in(x);
  return boolTemp(kh::isReal(kh::valueOf(x)));
}

mxArray* mlfIsstr(mxArray* x) {
  kh::CallInputs in(x);
  return boolTemp(kh::valueOf(x).isChar());
}

mxArray* mlfNdims(mxArray* x) {
  kh::CallInputs in(x);
  return kh::newTemp(kh::Value::scalar(static_cast<double>(kh::valueOf(x).ndims())));
}

mxArray* mlfSize(mlfVarargoutList* sink, mxArray* x, mxArray* dim) {
  kh::SinkGuard out(sink);
  kh::CallInputs in(x, dim);
  const kh::Value& v = kh::valueOf(x);
  if (dim) {
    const std::size_t d = kh::dimArg(kh::valueOf(dim));
    return out.deliverOne(kh::Value::scalar(static_cast<double>(kh::sizeAlong(v, d))));
  }
  const int n = out.count();
  if (n <= 1) return out.deliverOne(kh::sizeVector(v));
  return out.deliver(kh::sizeOutputs(v, static_cast<std::size_t>(n)));
}

mxArray* mlfStrcmp(mxArray* a, mxArray* b) {
  kh::CallInputs in(a, b);
  return kh::newTemp(kh::strcmpValue(kh::valueOf(a), kh::valueOf(b)));
}

}  // extern "C"
