// Test access to the library, loaded once per test program through the host's
// loader (initializers run on first use, terminators at program exit).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/loader/library.h"
#include "host/values/value.h"

namespace kt {

void ensureLibraryLoaded();
// Unloads the library now (terminators run, globals freed); the next call
// loads it again. Done automatically after the last test.
void unloadLibrary();
// The loaded library (loading it first); null when it cannot be loaded.
kh::LoadedLibrary* library();

// Calls a registered function, or "module/local", by name through its feval
// form at a protected point. The test fails when the call raises an error.
kh::ValueList call(std::string_view name, int nargout, kh::ValueList args);
// The same call, expected to fail: returns the error message ("" if none).
std::string callError(std::string_view name, int nargout, kh::ValueList args);

// Number of live arrays right now, with the library loaded (for leak checks
// around a block of calls).
std::size_t liveArrays();

}  // namespace kt
