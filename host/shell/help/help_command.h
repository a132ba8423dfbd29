// The command window's help and lookfor commands, over the host's help
// entries and those of the loaded library.
//
//   help            every name with its summary, grouped by area
//   help NAME       the summary, calling forms and description of NAME
//   lookfor WORD    the names whose name, summary or description holds WORD
//
// With an output (t = help('polyfit')) the text is returned instead of shown.
#pragma once

#include <vector>

#include "host/array/value.h"

namespace kh {

class Evaluator;

std::vector<Value> helpCommand(Evaluator& ev, int nargout, std::vector<Value>& args);
std::vector<Value> lookforCommand(Evaluator& ev, int nargout, std::vector<Value>& args);

}  // namespace kh
