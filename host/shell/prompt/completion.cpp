#include "host/shell/prompt/completion.h"

#include <algorithm>
#include <array>

#include "host/builtins/registry.h"
#include "host/language/workspace.h"
#include "host/language/workspace_commands.h"
#include "host/loader/registry.h"
#include "host/values/names.h"

namespace kh {
namespace {

// Commands whose words are file or folder names.
constexpr std::array<std::string_view, 8> kFileCommands = {"load", "save", "cd",  "run",
                                                           "type", "ls",   "dir", "exist"};

bool wantsFileName(std::string_view line, std::size_t start) {
  // Inside a quoted text: an odd number of quotes before the word.
  if (std::count(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(start), '\'') % 2 == 1)
    return true;
  // A later word of a command such as "load":
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos || first >= start) return false;
  const std::size_t firstEnd = line.find_first_of(" \t(", first);
  if (firstEnd == std::string_view::npos || firstEnd >= start || line[firstEnd] == '(')
    return false;
  const std::string_view command = line.substr(first, firstEnd - first);
  return std::find(kFileCommands.begin(), kFileCommands.end(), command) != kFileCommands.end();
}

}  // namespace

std::optional<std::vector<std::string>> completionsFor(std::string_view line, std::size_t start,
                                                       std::string_view word, const Workspace& ws) {
  if (start > line.size()) start = line.size();
  if (wantsFileName(line, start)) return std::nullopt;
  std::vector<std::string> all = ws.names();
  int rows = 0;
  if (const mexFunctionTableEntry* table = libraryFunctionTable(&rows))
    for (int i = 0; i < rows; ++i) all.emplace_back(table[i].name);
  for (std::string& n : builtinNames()) all.push_back(std::move(n));
  for (std::string& n : workspaceCommandNames()) all.push_back(std::move(n));
  for (std::string_view k : keywords()) all.emplace_back(k);
  std::vector<std::string> out;
  for (std::string& n : all)
    if (n.starts_with(word)) out.push_back(std::move(n));
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace kh
