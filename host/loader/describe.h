// A readable account of a loaded library: version, counts, functions with
// their local functions, globals and initialize/terminate rows.
#pragma once

#include <string>

#include "host/loader/library.h"

namespace kh {

std::string describeLibrary(const LoadedLibrary& lib);

}  // namespace kh
