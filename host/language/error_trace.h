// Where an error raised in a script or function file happened: as the
// error unwinds, each file it passes through adds one place ("myfun.m",
// line 4), innermost first; the prompt shows them under the message.
// Places belong to one raised error (the exception object itself), so an
// error caught on the way by try/catch leaves nothing behind for the next.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/core/errors.h"

namespace kh {

// Adds a place to the trace of the error being unwound.
void noteErrorPlace(const MError& e, const std::string& file, std::size_t line);
// The lines "Error in ==> FILE at line N" of that error, innermost first
// (a run of the same place, as in a deep recursion, shown once), and
// forgets them.
std::vector<std::string> takeErrorTrace(const MError& e);
// Forgets any places noted so far (an error was caught).
void clearErrorTrace();

}  // namespace kh
