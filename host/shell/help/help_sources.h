// Where the command window's help entries come from: the host's own,
// compiled into it, and the loaded library's, read from the text file that
// ships beside it (kestrel_mex.help next to kestrel_mex.so). The host knows
// nothing of a library's functions beyond that file.
#pragma once

#include <string>

#include "host/shell/help/help_entries.h"

namespace kh {

// The host's entries, parsed once.
const HelpText& hostHelp();

// The help file of the library at libraryPath: the path with ".so" replaced
// by ".help" (".help" appended when it does not end in ".so").
std::string libraryHelpPath(const std::string& libraryPath);

// The loaded library's entries, read from its help file now. Empty when no
// library is loaded or it has no help file.
HelpText loadedLibraryHelp();

// Entries of what a product built on the host adds (its own commands), in
// the help file format; help lists them with the host's.
void addHelpText(std::string_view text, const std::string& source);
const HelpText& addedHelp();

}  // namespace kh
