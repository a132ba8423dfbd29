// The loaded library's functions, found by name, and calls of feval forms
// with host values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/values/value.h"
#include "runtime/mx_types.h"

namespace kh {

// The function table of the loaded library (set by the loader).
void setLibraryFunctionTable(const mexFunctionTableEntry* rows, int n);
void clearLibraryFunctionTable();
const mexFunctionTableEntry* libraryFunctionTable(int* n);
// Changes whenever the table is set or cleared.
std::uint64_t libraryTableGeneration();

// A registered function by name. With allowLocal, "module/local" also finds
// the local function `local` through the local function table of the row
// whose module is `module` (the row name with '/' turned into '_' for
// "signal/private/check_order", or the row name itself).
const mexFunctionTableEntry* findLibraryFunction(std::string_view name, bool allowLocal);

// Calls a feval form. The arguments are passed as handles the host owns;
// nargout outputs are asked for. Returns the outputs the function handed over:
// the first one also when nargout is 0 (when it has any), then outputs 2 to
// nargout. Every handle is released, also when the call raises an error.
ValueList callFevalForm(mxFunctionPtr fn, int nargout, const Value* args, std::size_t n);
inline ValueList callFevalForm(mxFunctionPtr fn, int nargout, const ValueList& args) {
  return callFevalForm(fn, nargout, args.data(), args.size());
}

}  // namespace kh
