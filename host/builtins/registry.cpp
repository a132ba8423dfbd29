#include "host/builtins/registry.h"

#include <map>

#include "host/core/errors.h"
#include "host/kernels/messages.h"

namespace kh {
namespace {
std::map<std::string, BuiltinFn, std::less<>>& table() {
  static std::map<std::string, BuiltinFn, std::less<>> t;
  return t;
}
}  // namespace

void registerBuiltin(const std::string& name, BuiltinFn fn) { table()[name] = std::move(fn); }

const BuiltinFn* findBuiltin(std::string_view name) {
  auto it = table().find(name);
  return it == table().end() ? nullptr : &it->second;
}

void checkArgCounts(const std::vector<Value>& args, int nargout, std::size_t minIn,
                    std::size_t maxIn, int maxOut) {
  if (args.size() < minIn) raise(msg::kNotEnoughIn);
  if (args.size() > maxIn) raise(msg::kTooManyIn);
  if (nargout > maxOut) raise(msg::kTooManyOut);
}

std::vector<std::string> builtinNames() {
  std::vector<std::string> names;
  for (const auto& [n, f] : table()) names.push_back(n);
  return names;
}

}  // namespace kh
