#include "editor/editor_figure.h"

#include <string>

#include "host/context/globals.h"
#include "host/graphics/access.h"
#include "host/graphics/tree.h"
#include "host/values/handle.h"

namespace kh::editor {

double estimateLine() {
  mxArray** slot = findGlobalSlot("ppulse");
  if (!slot || !*slot) return 0;
  const Value& v = valueOf(*slot);
  return v.isDouble() && v.numel() == 1 ? v.at(0) : 0;
}

bool runsLoad(const std::string& callback) {
  const std::string word = "kestrel loadpulse";
  const std::size_t start = callback.find_first_not_of(" \t");
  if (start == std::string::npos || callback.compare(start, word.size(), word) != 0) return false;
  // The statement ends there.
  const std::size_t end = callback.find_first_not_of(" \t", start + word.size());
  return end == std::string::npos || callback[end] == ';' || callback[end] == ',' ||
         callback[end] == '\n';
}

gfx::Object* loadButtonOf(gfx::Object* fig) {
  gfx::Object* button = nullptr;
  gfx::tree().walk(
      fig,
      [&](gfx::Object* o) {
        if (!button && o->type == gfx::Type::Uicontrol &&
            gfx::rawText(o, "Style") == "pushbutton" && runsLoad(gfx::rawText(o, "Callback")))
          button = o;
      },
      true);
  return button;
}

gfx::Object* loadButton() {
  for (gfx::Object* fig : gfx::tree().figures())
    if (gfx::Object* button = loadButtonOf(fig)) return button;
  return nullptr;
}

}  // namespace kh::editor
