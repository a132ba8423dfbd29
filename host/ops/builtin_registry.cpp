#include "host/ops/builtin_registry.h"

#include <map>

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

std::vector<std::string> builtinNames() {
  std::vector<std::string> names;
  for (const auto& [n, f] : table()) names.push_back(n);
  return names;
}

}  // namespace kh
