// Scripts: a name that is no variable, library function or built-in runs
// the file NAME.m found on the data path, statement by statement, in the
// workspace of the caller (as `kestrel_figure` builds the editor's figure).
#pragma once

#include <string>
#include <vector>

#include "host/values/value.h"

namespace kh {

class Evaluator;

// Runs the script of that name when there is one; false when there is none.
bool runScriptNamed(Evaluator& ev, const std::string& name, int nargout, const ValueList& args);

}  // namespace kh
