// Host built-in functions callable by name (from the command window, feval
// and function handles). Each built-in registers itself at load time.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/values/value.h"

namespace kh {

// A built-in receives the number of outputs asked for (0 when the result is
// only displayed or discarded) and its arguments; it returns its outputs.
using BuiltinFn = std::function<std::vector<Value>(int nargout, std::vector<Value>& args)>;

void registerBuiltin(const std::string& name, BuiltinFn fn);
const BuiltinFn* findBuiltin(std::string_view name);
std::vector<std::string> builtinNames();

// Raises the host's argument-count errors when a built-in gets fewer than
// minIn or more than maxIn inputs, or is asked for more than maxOut outputs.
void checkArgCounts(const std::vector<Value>& args, int nargout, std::size_t minIn,
                    std::size_t maxIn, int maxOut = 1);

struct BuiltinRegistrar {
  BuiltinRegistrar(const std::string& name, BuiltinFn fn) { registerBuiltin(name, std::move(fn)); }
};

}  // namespace kh
