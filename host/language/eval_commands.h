// Commands that run text through the command window's evaluator: eval,
// str2num and input.
#pragma once

#include <vector>

#include "host/values/value.h"

namespace kh {

class Evaluator;

// eval(text) runs text as statements in the workspace; eval(text, fallback)
// runs fallback when text fails. A single expression with an output gives
// its value: x = eval('1 + 2').
ValueList evalCommand(Evaluator& ev, int nargout, ValueList& args);
// [x, ok] = str2num(text): the numbers a text writes as a matrix ("1 2; 3
// 4", "[1e3 -Inf]", "pi/2"); [] and false when it is not one.
ValueList str2numCommand(Evaluator& ev, int nargout, ValueList& args);
// input(prompt) shows the prompt and evaluates the line typed; input(prompt,
// 's') gives the line as text.
ValueList inputCommand(Evaluator& ev, int nargout, ValueList& args);

}  // namespace kh
