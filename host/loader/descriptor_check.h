// Sanity checks of a library descriptor before the host trusts its tables.
#pragma once

#include <string>

#include "runtime/mex_library.h"

namespace kh {

// The first fault found in the descriptor ("" when it is sound): negative
// counts, missing tables, rows without a name or an entry point.
std::string descriptorFault(const mex_information_struct& d);

}  // namespace kh
