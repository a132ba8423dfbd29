// The editor's state as a load could change it, kept to be put back when
// the load fails: every object of the editor's figure with all its property
// values, and the globals the load reads into or sets.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/graphics/object.h"
#include "host/values/value.h"

namespace kh::editor {

class EditorSnapshot {
 public:
  EditorSnapshot(gfx::Object* fig, const std::vector<std::string>& globals);

  // Whether the object was there when the snapshot was taken.
  bool had(const gfx::Object* o) const { return objects_.count(o->handle) != 0; }
  // Puts everything back: the objects made since are deleted, the values
  // changed since written back (through the journal, so that pages follow)
  // and the globals given their values again. False when an object of the
  // snapshot is gone, so that the figure could not be put back whole.
  bool restore();

 private:
  double figure_;
  std::unordered_map<double, std::vector<Value>> objects_;
  std::vector<std::pair<std::string, std::optional<Value>>> globals_;
};

}  // namespace kh::editor
