// Test access to the library, loaded once per test program through the host's
// loader (initializers run on first use, terminators at program exit).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/array/value.h"

namespace kt {

void ensureLibraryLoaded();

// Calls a registered function, or "module/local", by name through its feval
// form at a protected point. The test fails when the call raises an error.
std::vector<kh::Value> call(std::string_view name, int nargout, std::vector<kh::Value> args);
// The same call, expected to fail: returns the error message ("" if none).
std::string callError(std::string_view name, int nargout, std::vector<kh::Value> args);

// Number of live arrays right now (for leak checks around a block of calls).
std::size_t liveArrays();

}  // namespace kt
