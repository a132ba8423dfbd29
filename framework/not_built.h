// Raises "<path> is not built yet." for a function whose body is still to be
// written. The text is made at the call, outside the module's pool.
#pragma once

#include "framework/function.h"

namespace kf {

[[noreturn]] void notBuilt(const Function& f);

}  // namespace kf
