// MAT data files (version 5), read and written through libmatio.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/values/value.h"

namespace kh {

using NamedValues = std::vector<std::pair<std::string, Value>>;

// The file a name refers to: NAME.mat when the name has no extension.
std::string resolveMatFileName(std::string_view name);
// The file to read for a name: the file a record alias gives it, else the
// resolved name found on the data path (see data_path.h).
std::string locateMatFile(std::string_view name);
// Reads the named variables (every variable when names is empty), in file
// order; requested names the file lacks are left out. Numbers of every
// numeric class (integers, single, double) load as their double values, and
// logical arrays as logical; a 64-bit whole number that no double holds
// exactly (beyond 2^53 in magnitude) is refused. A missing or unreadable
// file, or a variable of a class the host does not hold, raises an error
// naming the file (as `shownAs` when given: the name a person knows a
// private copy by) and the variable; nothing is returned in part.
NamedValues loadMatFile(const std::string& file, const std::vector<std::string>& names,
                        const std::string& shownAs = {});
// Writes the variables as a version 5 MAT file, replacing the file.
void saveMatFile(const std::string& file, const NamedValues& vars);

}  // namespace kh
