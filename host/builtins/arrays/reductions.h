// Reductions, searches and sorting: sum, prod, all, any, max, min, diff,
// find and sort, read once for every door.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

void sum(Call& c);   // sum(x), sum(x, dim)
void prod(Call& c);  // prod(x), prod(x, dim)
void all(Call& c);   // all(x), all(x, dim)
void any(Call& c);   // any(x), any(x, dim)
// [m, i] = max(x), max(x, [], dim) (max(x, []) is max(x)); max(a, b)
// element-wise, with one output.
void max(Call& c);
void min(Call& c);
void diff(Call& c);  // diff(x), diff(x, n), diff(x, n, dim); n = [] is 1
// find(x), find(x, n), find(x, n, 'first' | 'last'); [r, c, v] = find(...)
void find(Call& c);
// [s, i] = sort(x), sort(x, dim), sort(x, direction), sort(x, dim, direction)
void sort(Call& c);

}  // namespace kh::builtin
