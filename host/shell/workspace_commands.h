// Commands of the command window that work on its workspace: who, whos,
// clear, load, save, exist, exit and quit.
#pragma once

#include <string>
#include <vector>

#include "host/array/value.h"

namespace kh {

class Evaluator;

// Runs the command `name` when it is one of these; returns false otherwise.
bool workspaceCommand(Evaluator& ev, const std::string& name, int nargout, std::vector<Value>& args,
                      std::vector<Value>& results);
// The names of these commands.
std::vector<std::string> workspaceCommandNames();

}  // namespace kh
