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

ValueList fevalOf(const Value& f, int nargout, ValueList& args) {
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
}

void feval(Call& c) {
  if (c.nargin() == 0) raise("Not enough input arguments.");
  CallDepthGuard depth;
  // The inputs after the function move on to the callee, so that a chain
  // of fevals passes its arguments along instead of copying them at every
  // step.
  const Value f = c.take(0);
  ValueList args;
  for (std::size_t k = 1; k < c.nargin(); ++k) args.push_back(c.take(k));
  for (Value& v : fevalOf(f, c.nargout(), args)) c.give(std::move(v));
}

const BuiltinRegistrar kFeval("feval", feval);

}  // namespace
}  // namespace kh
