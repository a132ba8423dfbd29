// Random numbers: rand and randn, read once for every door.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

// rand(n), rand(m, n, ...), rand(sizevec): uniform in (0, 1);
// rand('seed' | 'state' | 'twister', s) restarts the generator.
void rand(Call& c);
void randn(Call& c);  // randn likewise, normally distributed

}  // namespace kh::builtin
