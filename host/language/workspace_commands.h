// Commands of the command window that work on its workspace or its
// evaluator: who, whos, clear, load, save, exist, exit, quit, eval,
// str2num and input, and those a layer above adds (help, lookfor).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/values/value.h"

namespace kh {

class Evaluator;

using Command = std::function<ValueList(Evaluator&, int nargout, ValueList& args)>;

// Adds a command, or replaces one of the same name.
void registerCommand(const std::string& name, Command fn);

// Runs the command `name` when it is one of these; returns false otherwise.
bool workspaceCommand(Evaluator& ev, const std::string& name, int nargout, ValueList& args,
                      ValueList& results);
// The names of these commands.
std::vector<std::string> workspaceCommandNames();

}  // namespace kh
