#include "host/context/globals.h"

#include <map>
#include <memory>

#include "host/values/handle.h"

namespace kh {
namespace {

struct Entry {
  mxArray** slot;
  std::unique_ptr<mxArray*> owned;  // set for host-owned slots
};

std::map<std::string, Entry>& table() {
  static std::map<std::string, Entry> t;
  return t;
}
std::size_t g_initCalls = 0;

}  // namespace

void bindGlobalSlot(const std::string& name, mxArray** slot) {
  auto& t = table();
  auto it = t.find(name);
  if (it != t.end() && it->second.owned) {
    // A command-window global of the same name came first: hand its value
    // over to the library's slot.
    if (*it->second.owned) {
      if (!*slot)
        *slot = *it->second.owned;
      else
        destroyHandle(*it->second.owned);
    }
    t.erase(it);
  }
  t[name] = Entry{slot, nullptr};
}

mxArray** globalSlot(const std::string& name) {
  auto& t = table();
  auto it = t.find(name);
  if (it != t.end()) return it->second.slot;
  auto owned = std::make_unique<mxArray*>(nullptr);
  mxArray** slot = owned.get();
  t[name] = Entry{slot, std::move(owned)};
  return slot;
}

mxArray** findGlobalSlot(const std::string& name) {
  auto& t = table();
  auto it = t.find(name);
  return it == t.end() ? nullptr : it->second.slot;
}

std::string globalNameOf(mxArray** slot) {
  for (const auto& [name, e] : table())
    if (e.slot == slot) return name;
  return "";
}

std::vector<std::string> globalNames() {
  std::vector<std::string> names;
  for (const auto& [name, e] : table()) names.push_back(name);
  return names;
}

std::size_t initGlobalCalls() { return g_initCalls; }
void countInitGlobal() { ++g_initCalls; }

void clearGlobals() {
  for (auto& [name, e] : table()) {
    destroyHandle(*e.slot);
    *e.slot = nullptr;
  }
  table().clear();
}

void unbindLibrarySlots() {
  auto& t = table();
  for (auto it = t.begin(); it != t.end();) {
    if (!it->second.owned) {
      destroyHandle(*it->second.slot);
      *it->second.slot = nullptr;
      it = t.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace kh
