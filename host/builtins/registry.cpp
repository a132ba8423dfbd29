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

void Call::countError(std::size_t nargin, std::size_t minIn, std::size_t maxIn) {
  if (nargin < minIn) raise(msg::kNotEnoughIn);
  if (nargin > maxIn) raise(msg::kTooManyIn);
  raise(msg::kTooManyOut);
}

void registerBuiltin(const std::string& name, BuiltinFn fn) {
  Builtin& b = table()[name];
  b.name = name;
  b.fn = std::move(fn);
}

const Builtin* findBuiltin(std::string_view name) {
  auto it = table().find(name);
  return it == table().end() ? nullptr : &it->second;
}

void Call::valuesFromHandles() {
  copies_ = std::make_unique<ValueList>();
  for (std::size_t k = 0; k < nargin_; ++k) {
    copies_->push_back(arg(k));
    if (!handles_[k] && k < 32) absent_ |= std::uint32_t{1} << k;
  }
  values_ = copies_->data();
  handles_ = nullptr;
}

ValueList callBuiltin(const Builtin& b, int nargout, ValueList& args) {
  ValueList out(static_cast<std::size_t>(nargout > 1 ? nargout : 1));
  Call call(args.data(), args.size(), nargout, out.data(), out.size());
  b.fn(call);
  out.resize(call.given());
  return out;
}

std::vector<std::string> builtinNames() {
  std::vector<std::string> names;
  for (const auto& [n, f] : table()) names.push_back(n);
  return names;
}

}  // namespace kh
