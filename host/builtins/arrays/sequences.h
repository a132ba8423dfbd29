// Sequences, running totals and sets: linspace, cumsum, cumprod, fliplr,
// unique and ismember.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

void linspace(Call& c);  // linspace(a, b), linspace(a, b, n)
void cumsum(Call& c);    // cumsum(x), cumsum(x, dim)
void cumprod(Call& c);   // cumprod(x), cumprod(x, dim)
void fliplr(Call& c);    // fliplr(x)
// [u, i, j] = unique(x, 'sorted' | 'stable', 'first' | 'last')
void unique(Call& c);
void ismember(Call& c);  // ismember(a, s), ismember(a, s, 'rows')

}  // namespace kh::builtin
