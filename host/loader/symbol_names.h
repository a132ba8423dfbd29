// Names of code addresses inside loaded shared objects, for reports. Hidden
// symbols are not in the dynamic symbol table, so the object's full symbol
// table is read from its file when dladdr cannot name an address.
#pragma once

#include <string>

namespace kh {

// "InitializeModule_kestrel", or "kestrel_mex.so+0x1a2b0" when the object
// carries no symbol for the address, or "0x..." outside any object.
std::string symbolNameOf(const void* address);

}  // namespace kh
