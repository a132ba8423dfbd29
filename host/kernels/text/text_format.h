// Formatted text as sprintf/fprintf write it: the format is applied to the
// elements of the arguments in order, and reused while elements remain.
#pragma once

#include <string>
#include <vector>

#include "host/values/value.h"

namespace kh {

// Conversions %d %i %u %f %e %E %g %G %x %X %o %c %s and %%, with flags,
// width and precision; escapes \n \t \\ \r \a \b \f \v and %% in the format.
std::string formatText(const std::string& format, Values args);

}  // namespace kh
