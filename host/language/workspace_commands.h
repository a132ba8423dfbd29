// Commands of the command window that work on its workspace or its
// evaluator: who, whos, clear, load, save, exist, exit, quit, eval,
// str2num and input, and those a layer above adds (help, lookfor).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/values/value.h"

namespace kh {

class Evaluator;

using Command = std::function<ValueList(Evaluator&, int nargout, ValueList& args)>;

struct CommandEntry {
  Command fn;
};

// Adds a command, or replaces one of the same name.
void registerCommand(const std::string& name, Command fn);

// The command `name`; null when it is not one of these.
const CommandEntry* findCommand(std::string_view name);
// Changes whenever a command is registered.
std::uint64_t commandGeneration();
// The names of these commands.
std::vector<std::string> workspaceCommandNames();

}  // namespace kh
