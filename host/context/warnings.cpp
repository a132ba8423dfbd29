#include "host/context/warnings.h"

#include <set>

#include "host/context/output.h"

namespace kh {
namespace {
bool g_on = true;
std::string g_last;
std::set<std::string, std::less<>> g_offIds;
}  // namespace

void warn(const std::string& text) {
  g_last = text;
  if (g_on) emit("Warning: " + text + "\n");
}

void warn(const std::string& text, const std::string& identifier) {
  if (identifier.empty() || !g_offIds.contains(identifier)) warn(text);
}

bool warningsOn() { return g_on; }
void setWarningsOn(bool on) { g_on = on; }

void setWarningOn(const std::string& identifier, bool on) {
  if (on)
    g_offIds.erase(identifier);
  else
    g_offIds.insert(identifier);
}

void setAllWarningIdsOn() { g_offIds.clear(); }

std::vector<std::string> warningIdsOff() { return {g_offIds.begin(), g_offIds.end()}; }

bool warningOn(const std::string& identifier) { return g_on && !g_offIds.contains(identifier); }
const std::string& lastWarning() { return g_last; }
void clearLastWarning() { g_last.clear(); }

}  // namespace kh
