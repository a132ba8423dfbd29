// Calls through feval forms, function handles and names.
#include "runtime/calls.h"

#include <cstdarg>
#include <iterator>
#include <string>
#include <vector>

#include "host/builtins/registry.h"
#include "host/capi/cs_list.h"
#include "host/capi/sink.h"
#include "host/context/context.h"
#include "host/core/errors.h"
#include "host/loader/feval_call.h"
#include "host/loader/registry.h"
#include "host/values/handle.h"

namespace {

using kh::HandleList;
using kh::ValueList;

HandleList collectArgs(va_list ap) {
  HandleList args;
  while (mxArray* a = va_arg(ap, mxArray*)) args.push_back(a);
  return args;
}

// The values of the arguments of a call (a list handle stands for its
// elements); temporaries among the handles are released when `g` ends.
ValueList argumentValues(const HandleList& in, kh::TempGuard& g) {
  ValueList values;
  for (mxArray* a : in) {
    g.add(a);
    if (!kh::isListHandle(a)) {
      values.push_back(kh::valueOf(a));
      continue;
    }
    const kh::Value& c = a->v;
    for (std::size_t i = 0; i < c.numel(); ++i) values.push_back(c.cellAt(i));
  }
  return values;
}

const mexFunctionTableEntry* findLocal(const std::string& name) {
  const mexLocalFunctionTable* t = kh::currentLocalFunctionTable();
  if (!t) return nullptr;
  for (int i = 0; i < t->length; ++i)
    if (name == t->entries[i].name) return &t->entries[i];
  return nullptr;
}

// Whether a feval is of a handle to a feval form asking for one value: the
// common case (a function passed to another, called in its loop), which
// fevalFormForValue runs.
mxFunctionPtr fevalFormOf(mlfVarargoutList* sink, const mxArray* f, const HandleList& in) {
  if (sink && !sink->valueOnly) return nullptr;
  if (!f || !f->v.isFunction() || !f->v.functionRef().fn) return nullptr;
  for (mxArray* a : in)
    if (a == f) return nullptr;
  return f->v.functionRef().fn;
}

// The callee gets handles of its own without the values passing through a
// list twice, and its first output is handed on as the call's value.
mxArray* fevalFormForValue(mlfVarargoutList* sink, mxFunctionPtr fn, const HandleList& in) {
  kh::FevalCall call(1);
  for (mxArray* a : in) {
    if (kh::isListHandle(a)) {
      // A list stands for its elements; a temporary one is freed with the
      // call (it may stand later in the list again).
      for (std::size_t k = 0; k < a->v.numel(); ++k) call.add(a->v.cellAt(k));
      if (a->temporary) call.freeAtEnd(a);
    } else if (a->temporary) {
      call.adopt(a);  // ours now; freed with the call
    } else {
      call.add(a->v);
    }
  }
  kh::discardSink(sink);
  call.run(fn);
  return call.firstAsTemp();
}

}  // namespace

extern "C" {

mxArray* mclFeval(mlfVarargoutList* sink, mxFunctionPtr fn, ...) {
  kh::SinkGuard s(sink);
  va_list ap;
  va_start(ap, fn);
  const HandleList in = collectArgs(ap);
  va_end(ap);
  kh::TempGuard g;
  const ValueList args = argumentValues(in, g);
  // The feval form gets handles of its own, so that no body can take over
  // (and free) a temporary the caller passed.
  return s.deliver(kh::callFevalForm(fn, s.count(), args.data(), args.size()));
}

mxArray* mlfFeval(mlfVarargoutList* sink, mxArray* f, ...) {
  va_list ap;
  va_start(ap, f);
  const HandleList in = collectArgs(ap);
  va_end(ap);
  if (mxFunctionPtr fn = fevalFormOf(sink, f, in)) {
    kh::TempGuard g(f);
    return fevalFormForValue(sink, fn, in);
  }
  kh::SinkGuard s(sink);
  kh::TempGuard g(f);
  ValueList args = argumentValues(in, g);

  const kh::Value& fv = kh::valueOf(f);
  mxFunctionPtr fn = nullptr;
  std::string name;
  if (fv.isFunction() && fv.functionRef().callable) {
    // An anonymous function or a function of a file, made in the command window.
    const std::shared_ptr<const kh::Callable> callee = fv.functionRef().callable;
    return s.deliver(callee->call(s.count(), args));
  }
  if (fv.isFunction()) {
    fn = fv.functionRef().fn;
    if (!fn) name = fv.functionRef().name;
  } else if (fv.isChar()) {
    name = fv.utf8();
  } else {
    kh::raise("Argument must contain a string or function_handle.");
  }
  if (!fn) {
    if (const mexFunctionTableEntry* e = findLocal(name)) {
      fn = e->function;
    } else if (const mexFunctionTableEntry* r = kh::findLibraryFunction(name, true)) {
      fn = r->function;
    }
  }
  if (fn) return s.deliver(kh::callFevalForm(fn, s.count(), args.data(), args.size()));
  const kh::Builtin* b = kh::findBuiltin(name);
  if (!b) kh::raise("Undefined function '" + name + "'.");
  return s.deliver(kh::callBuiltin(*b, s.count(), args));
}

mxArray* mclCreateSimpleFunctionHandle(mxFunctionPtr fn, const char* name) {
  return kh::newTemp(kh::Value::function({name ? name : "", fn}));
}

mxArray* mlfFunc2str(mxArray* fh) {
  kh::TempGuard g(fh);
  const kh::Value& v = kh::valueOf(fh);
  if (!v.isFunction()) kh::raise("Input must be a function handle.");
  return kh::newTemp(kh::Value::str(std::string_view(v.functionRef().name)));
}

mexLocalFunctionTablePtr mclSetCurrentLocalFunctionTable(mexLocalFunctionTablePtr table) {
  return kh::setCurrentLocalFunctionTable(table);
}

}  // extern "C"
