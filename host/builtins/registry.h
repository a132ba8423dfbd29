// The host's built-in functions by name: what the command window, feval and
// function handles reach. Each built-in registers itself at load time; the
// table does not change after start-up except by a later registration
// under a name already taken, which replaces the function in place, so a
// Builtin found once stays valid.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/builtins/call.h"
#include "host/values/value.h"

namespace kh {

using BuiltinFn = std::function<void(Call& call)>;

struct Builtin {
  std::string name;
  BuiltinFn fn;
};

void registerBuiltin(const std::string& name, BuiltinFn fn);
const Builtin* findBuiltin(std::string_view name);
std::vector<std::string> builtinNames();

// A call by name: the built-in reads args (which it may take from) and
// nargout; the outputs it gave are returned.
ValueList callBuiltin(const Builtin& b, int nargout, ValueList& args);

struct BuiltinRegistrar {
  BuiltinRegistrar(const std::string& name, BuiltinFn fn) { registerBuiltin(name, std::move(fn)); }
};

}  // namespace kh
