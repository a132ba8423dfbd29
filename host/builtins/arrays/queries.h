// Questions about values: size, ndims, numel, length, class, and the
// predicates isempty, isequal, isa, isreal, ischar (isstr), islogical,
// iscell and strcmp, read once for every door.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

// size(x): the size vector, or with several outputs one dimension each (the
// last takes the product of the rest); size(x, dim) the length along dim.
void size(Call& c);
void ndims(Call& c);
void numel(Call& c);
void length(Call& c);
void className(Call& c);  // class(x); a logical array is of class "logical"
void isempty(Call& c);
void isequal(Call& c);  // isequal(a, b, ...): all equal to the first
// isa(x, name): the class, or a category ("numeric", "float"); a logical
// array is neither double nor numeric.
void isa(Call& c);
void isreal(Call& c);
void ischar(Call& c);
void islogical(Call& c);
void iscell(Call& c);
void strcmp(Call& c);

}  // namespace kh::builtin
