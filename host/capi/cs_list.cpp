#include "host/capi/cs_list.h"

#include <unordered_map>

namespace kh {
namespace {

// Marked handles by address, with their serial numbers so that a freed
// handle whose address is reused is never mistaken for a list.
std::unordered_map<const mxArray*, std::uint64_t>& marks() {
  static std::unordered_map<const mxArray*, std::uint64_t> m;
  return m;
}

}  // namespace

mxArray* newListTemp(std::vector<Value> values) {
  Value c = Value::cell({1, values.size()});
  for (std::size_t i = 0; i < values.size(); ++i) c.mutCellAt(i) = std::move(values[i]);
  mxArray* h = newTemp(std::move(c));
  auto& m = marks();
  // Now and then forget the marks of handles that are gone.
  if (m.size() >= 256) {
    std::unordered_map<const mxArray*, std::uint64_t> alive;
    forEachLive([&](const mxArray& a) {
      auto it = m.find(&a);
      if (it != m.end() && it->second == a.serial) alive.emplace(&a, a.serial);
    });
    m.swap(alive);
  }
  m[h] = h->serial;
  return h;
}

bool isListHandle(const mxArray* h) {
  if (!h) return false;
  auto it = marks().find(h);
  return it != marks().end() && it->second == h->serial && h->v.isCell();
}

std::vector<Value> expandArgument(const mxArray* h) {
  if (!isListHandle(h)) return {valueOf(h)};
  const Value& c = h->v;
  std::vector<Value> out;
  for (std::size_t i = 0; i < c.numel(); ++i) out.push_back(c.cellAt(i));
  return out;
}

}  // namespace kh
