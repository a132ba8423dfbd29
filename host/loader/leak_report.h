// What is still alive after shut-down: every live array with its class and
// size, for the host's exit check.
#pragma once

#include <string>

namespace kh {

// One line per live array ("double 1x5000"), oldest first; "" when none.
std::string liveArrayReport();

}  // namespace kh
