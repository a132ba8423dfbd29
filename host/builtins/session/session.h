// The session rather than arrays: the stopwatch (tic, toc), the current
// folder (pwd, cd), folder listings (ls, dir) and isvarname.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

void tic(Call& c);        // tic, t = tic
void toc(Call& c);        // toc, toc(t), s = toc(...)
void pwd(Call& c);        // pwd
void cd(Call& c);         // cd, cd DIR
void ls(Call& c);         // ls, ls PATTERN, names = ls(...)
void dir(Call& c);        // dir, dir PATTERN, entries = dir(...)
void isvarname(Call& c);  // isvarname(s)

}  // namespace kh::builtin
