// feval by name or handle: a function of the loaded library (a
// "module/local" name reaches a local function), a host built-in or a
// function file.
#include <string>
#include <vector>

#include "host/builtins/registry.h"
#include "host/context/depth.h"
#include "host/core/errors.h"
#include "host/language/function_files.h"
#include "host/loader/registry.h"

namespace kh {
namespace {

const ListBuiltinRegistrar kFeval("feval", [](int nargout, ValueList& args) {
  if (args.empty()) raise("Not enough input arguments.");
  CallDepthGuard depth;
  // The call's own list becomes the callee's: the function goes out of it
  // in place, so a chain of fevals shares one list instead of copying the
  // remaining arguments at every step.
  const Value f = std::move(args.front());
  args.erase(args.begin());
  std::string name;
  if (f.isFunction()) {
    const FunctionRef& ref = f.functionRef();
    if (ref.callable) return ref.callable->call(nargout, args);
    if (ref.fn) return callFevalForm(ref.fn, nargout, args);
    name = ref.name;
  } else {
    if (!f.isChar()) raise("The argument of feval must be a text.");
    name = f.utf8();
  }
  // Registered functions, and "module/local" names of local functions.
  if (const mexFunctionTableEntry* e = findLibraryFunction(name, true))
    return callFevalForm(e->function, nargout, args);
  if (const Builtin* b = findBuiltin(name)) return callBuiltin(*b, nargout, args);
  ValueList out;
  if (callFunctionFileNamed(name, nargout, args, out)) return out;
  raise("Undefined function '" + name + "'.");
});

}  // namespace
}  // namespace kh
