#include "editor/editor_snapshot.h"

#include "host/context/globals.h"
#include "host/graphics/properties.h"
#include "host/graphics/store.h"
#include "host/graphics/tree.h"
#include "host/kernels/arrays/query.h"
#include "host/values/handle.h"

namespace kh::editor {
namespace {

// Whether two stored values are the same: cheap when they share storage,
// as unchanged ones do.
bool same(const Value& a, const Value& b) {
  if (a.sharesStorageWith(b)) return true;
  return a.isLogical() == b.isLogical() && className(a) == className(b) && isEqual(a, b);
}

}  // namespace

EditorSnapshot::EditorSnapshot(gfx::Object* fig, const std::vector<std::string>& globals)
    : figure_(fig->handle) {
  gfx::tree().walk(
      fig, [&](gfx::Object* o) { objects_.emplace(o->handle, o->values); }, true);
  for (const std::string& name : globals) {
    mxArray** slot = findGlobalSlot(name);
    if (!slot) continue;
    globals_.emplace_back(name, *slot ? std::optional<Value>(valueOf(*slot)) : std::nullopt);
  }
}

bool EditorSnapshot::restore() {
  bool whole = true;
  if (gfx::Object* fig = gfx::tree().find(figure_)) {
    // Made since: the ones whose parent was there go, with all under them.
    std::vector<double> made;
    gfx::tree().walk(
        fig,
        [&](gfx::Object* o) {
          if (!objects_.count(o->handle) && o->parent && objects_.count(o->parent->handle))
            made.push_back(o->handle);
        },
        true);
    for (double h : made)
      if (gfx::Object* o = gfx::tree().find(h)) gfx::tree().destroy(o);
    for (const auto& [handle, values] : objects_) {
      gfx::Object* o = gfx::tree().find(handle);
      if (!o) {
        whole = false;
        continue;
      }
      const gfx::TypeTable& table = gfx::table(o->type);
      for (std::size_t p = 0; p < values.size() && p < o->values.size(); ++p) {
        const gfx::PropSpec& spec = table.props[p];
        // The tree keeps parents and children itself.
        if (spec.kind == gfx::Kind::Handles || std::string_view(spec.name) == "Parent") continue;
        // A handle to an object gone since stays as the tree left it.
        if (spec.kind == gfx::Kind::Handle && values[p].numel() == 1 &&
            !gfx::tree().find(values[p].at(0)))
          continue;
        if (!same(o->values[p], values[p])) gfx::store(o, static_cast<int>(p), values[p]);
      }
    }
  } else {
    whole = false;
  }
  for (const auto& [name, value] : globals_) {
    mxArray** slot = findGlobalSlot(name);
    if (!slot) continue;
    if (!value) {
      destroyHandle(*slot);
      *slot = nullptr;
    } else if (!*slot || !same(valueOf(*slot), *value)) {
      mxArray* old = *slot;
      *slot = newHandle(*value, false);
      destroyHandle(old);
    }
  }
  return whole;
}

}  // namespace kh::editor
