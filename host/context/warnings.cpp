#include "host/context/warnings.h"

#include "host/context/output.h"

namespace kh {
namespace {
bool g_on = true;
std::string g_last;
}  // namespace

void warn(const std::string& text) {
  g_last = text;
  if (g_on) emit("Warning: " + text + "\n");
}

bool warningsOn() { return g_on; }
void setWarningsOn(bool on) { g_on = on; }
const std::string& lastWarning() { return g_last; }
void clearLastWarning() { g_last.clear(); }

}  // namespace kh
