// Where the host finds the files a name refers to (data files, scripts):
// the current folder first, then the folders of $KESTREL_DATA_PATH (a
// colon-separated list), then the folders added here, in order. A record
// alias makes one data-file name mean a given file for the session.
#pragma once

#include <string>
#include <string_view>

namespace kh {

void addDataFolder(const std::string& dir);
// The name (without extension) that means `file` from now on ("ex_pulse").
void setRecordAlias(const std::string& name, const std::string& file);
// The file an alias names, or empty.
std::string recordAlias(std::string_view name);
// The first existing place of a relative file name on the path; the name
// itself when none holds it (so that an error names what was asked for).
std::string findOnDataPath(const std::string& file);
// Whether findOnDataPath found an existing file.
bool onDataPath(const std::string& file);

}  // namespace kh
