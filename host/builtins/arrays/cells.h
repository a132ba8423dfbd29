// Cells to and from arrays: num2cell and cell2mat.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

void num2cell(Call& c);  // num2cell(x): each element in a cell of its own
void cell2mat(Call& c);  // cell2mat(c): the blocks of a cell joined

}  // namespace kh::builtin
