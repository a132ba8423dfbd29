// Calls through feval forms, function handles and names.
#include "runtime/calls.h"

#include <cstdarg>
#include <string>
#include <vector>

#include "host/array/handle.h"
#include "host/capi/sink.h"
#include "host/context/context.h"
#include "host/context/errors.h"
#include "host/loader/registry.h"
#include "host/ops/builtin_registry.h"

namespace {

std::vector<mxArray*> collectArgs(va_list ap) {
  std::vector<mxArray*> args;
  while (mxArray* a = va_arg(ap, mxArray*)) args.push_back(a);
  return args;
}

// Runs a feval form with the given inputs and returns what it handed over:
// the first output also when nlhs is 0, then outputs 2 to nlhs.
std::vector<kh::Value> runFevalForm(mxFunctionPtr fn, int nlhs, std::vector<mxArray*>& in) {
  struct Outputs {
    std::vector<mxArray*> h;
    ~Outputs() {
      for (mxArray* a : h) kh::destroyHandle(a);
    }
  } out;
  out.h.assign(static_cast<std::size_t>(nlhs > 0 ? nlhs : 1), nullptr);
  fn(nlhs, out.h.data(), static_cast<int>(in.size()), in.data());
  std::vector<kh::Value> results;
  for (mxArray* a : out.h) {
    if (!a) break;
    results.push_back(a->v);
  }
  return results;
}

const mexFunctionTableEntry* findLocal(const std::string& name) {
  const mexLocalFunctionTable* t = kh::currentLocalFunctionTable();
  if (!t) return nullptr;
  for (int i = 0; i < t->length; ++i)
    if (name == t->entries[i].name) return &t->entries[i];
  return nullptr;
}

}  // namespace

extern "C" {

mxArray* mclFeval(mlfVarargoutList* sink, mxFunctionPtr fn, ...) {
  kh::SinkGuard s(sink);
  va_list ap;
  va_start(ap, fn);
  std::vector<mxArray*> in = collectArgs(ap);
  va_end(ap);
  kh::TempGuard g;
  for (mxArray* a : in) g.add(a);
  std::vector<kh::Value> results = runFevalForm(fn, s.count(), in);
  return s.deliver(std::move(results));
}

mxArray* mlfFeval(mlfVarargoutList* sink, mxArray* f, ...) {
  kh::SinkGuard s(sink);
  va_list ap;
  va_start(ap, f);
  std::vector<mxArray*> in = collectArgs(ap);
  va_end(ap);
  kh::TempGuard g(f);
  for (mxArray* a : in) g.add(a);

  const kh::Value& fv = kh::valueOf(f);
  mxFunctionPtr fn = nullptr;
  std::string name;
  if (fv.isFunction()) {
    fn = fv.functionRef().fn;
    name = fv.functionRef().name;
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
  if (fn) return s.deliver(runFevalForm(fn, s.count(), in));
  const kh::BuiltinFn* b = kh::findBuiltin(name);
  if (!b) kh::raise("Undefined function '" + name + "'.");
  std::vector<kh::Value> args;
  for (mxArray* a : in) args.push_back(kh::valueOf(a));
  return s.deliver((*b)(s.count(), args));
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
