// The host's global workspace: global names bound to handle slots. A
// library's globals are its own slots, registered by the loader from the
// library's global table; globals declared only at the command window live in
// slots the host owns. Both sides read and write the same slot.
#pragma once

#include <string>
#include <vector>

#include "runtime/mx_types.h"

namespace kh {

// Registers a library slot under a name (done by the loader).
void bindGlobalSlot(const std::string& name, mxArray** slot);
// The slot of a global, creating a host-owned one when the name is new.
mxArray** globalSlot(const std::string& name);
// The slot if the name is known, else null.
mxArray** findGlobalSlot(const std::string& name);
// Name of a registered slot ("" when unknown).
std::string globalNameOf(mxArray** slot);
std::vector<std::string> globalNames();
// Number of mclInitGlobal calls so far (tests check the binding rule).
std::size_t initGlobalCalls();
void countInitGlobal();
// Frees every global value and forgets every name (host shut-down, or
// `clear global`). Library slots are set back to null.
void clearGlobals();
// Forgets the slots of one library before it is unloaded.
void unbindLibrarySlots();

}  // namespace kh
