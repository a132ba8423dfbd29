// What Tab offers at the prompt: the names of variables, of the library's
// functions, of host built-ins and commands, and the language's words; file
// names after a command that takes one (load, save, cd, ...) or inside a
// quoted text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kh {

class Workspace;

// The sorted names that start with `word` (which starts at `start` in
// `line`); nullopt when file names are wanted there.
std::optional<std::vector<std::string>> completionsFor(std::string_view line, std::size_t start,
                                                       std::string_view word, const Workspace& ws);

}  // namespace kh
