#include "host/builtins/registry.h"

#include <map>

#include "host/core/errors.h"
#include "host/kernels/messages.h"

namespace kh {
namespace {
std::map<std::string, Builtin, std::less<>>& table() {
  static std::map<std::string, Builtin, std::less<>> t;
  return t;
}
}  // namespace

void Call::counts(std::size_t minIn, std::size_t maxIn, int maxOut) const {
  if (in_.size() < minIn) raise(msg::kNotEnoughIn);
  if (in_.size() > maxIn) raise(msg::kTooManyIn);
  if (nargout_ > maxOut) raise(msg::kTooManyOut);
}

void registerBuiltin(const std::string& name, BuiltinFn fn) {
  Builtin& b = table()[name];
  b.name = name;
  b.fn = std::move(fn);
}

void registerBuiltin(const std::string& name, ListBuiltinFn fn) {
  registerBuiltin(name, BuiltinFn([fn = std::move(fn)](Call& c) {
                    for (Value& v : fn(c.nargout(), c.args())) c.give(std::move(v));
                  }));
}

const Builtin* findBuiltin(std::string_view name) {
  auto it = table().find(name);
  return it == table().end() ? nullptr : &it->second;
}

ValueList callBuiltin(const Builtin& b, int nargout, ValueList& args) {
  ValueList out;
  Call call(args, nargout, out);
  b.fn(call);
  return out;
}

void checkArgCounts(const ValueList& args, int nargout, std::size_t minIn, std::size_t maxIn,
                    int maxOut) {
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
