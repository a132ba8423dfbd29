// What belongs to the command window: disp, error, warning, lasterr and
// format, read once for every door (the named constants pi, Inf, NaN, eps,
// i, j, true and false are registered beside them).
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

void disp(Call& c);  // disp(x)
// error(message), error(format, values...), error(identifier, format,
// values...), error(s)
void error(Call& c);
// warning(message), warning(identifier, format, values...), warning('on' |
// 'off'), warning(state, identifier), warning(s), s = warning(...)
void warning(Call& c);
void lasterr(Call& c);  // lasterr, lasterr(text)
void format(Call& c);   // format short | long | short g | long g | compact | loose

}  // namespace kh::builtin
