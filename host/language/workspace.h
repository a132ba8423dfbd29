// The command window's variables. A name declared global reads and writes
// the host's global slot of that name, which the loaded library shares.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/values/value.h"

namespace kh {

class Workspace {
 public:
  Workspace() = default;
  ~Workspace() = default;
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  bool has(const std::string& name) const;
  // The value of a variable; nullopt when there is no such variable. A global
  // whose slot is empty reads as [].
  std::optional<Value> get(const std::string& name) const;
  void set(const std::string& name, Value v);
  // Removes a variable (a global keeps its value in the global workspace).
  bool erase(const std::string& name);
  // Removes every variable.
  void clear();
  // Sorted names of the variables.
  std::vector<std::string> names() const;

  // Binds a name to the global of that name; a local variable of the same
  // name gives way to the global's value.
  void declareGlobal(const std::string& name);
  bool isGlobal(const std::string& name) const { return globals_.count(name) != 0; }

 private:
  std::map<std::string, Value> vars_;
  std::set<std::string> globals_;
};

}  // namespace kh
