#include "host/language/workspace.h"

#include "host/context/globals.h"
#include "host/context/warnings.h"
#include "host/values/handle.h"

namespace kh {

bool Workspace::has(const std::string& name) const {
  return globals_.count(name) != 0 || vars_.count(name) != 0;
}

std::optional<Value> Workspace::get(const std::string& name) const {
  if (globals_.count(name)) {
    mxArray** slot = globalSlot(name);
    if (!*slot || (*slot)->v.isPlaceholder()) return Value::empty();
    return (*slot)->v;
  }
  auto it = vars_.find(name);
  if (it == vars_.end()) return std::nullopt;
  return it->second;
}

void Workspace::set(const std::string& name, Value v) {
  if (globals_.count(name)) {
    mxArray** slot = globalSlot(name);
    mxArray* old = *slot;
    *slot = newHandle(std::move(v), false);
    destroyHandle(old);
    return;
  }
  vars_[name] = std::move(v);
}

bool Workspace::erase(const std::string& name) {
  const bool wasGlobal = globals_.erase(name) != 0;
  return vars_.erase(name) != 0 || wasGlobal;
}

void Workspace::clear() {
  vars_.clear();
  globals_.clear();
}

std::vector<std::string> Workspace::names() const {
  std::set<std::string> all(globals_.begin(), globals_.end());
  for (const auto& [n, v] : vars_) all.insert(n);
  return {all.begin(), all.end()};
}

void Workspace::declareGlobal(const std::string& name) {
  if (globals_.count(name)) return;
  auto it = vars_.find(name);
  if (it != vars_.end()) {
    warn("The value of local variables may have been changed to match the globals.");
    vars_.erase(it);
  }
  globals_.insert(name);
  globalSlot(name);
}

}  // namespace kh
