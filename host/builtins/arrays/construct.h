// Building arrays: zeros, ones, eye, cell, reshape, diag and the joins
// horzcat and vertcat, read once for every door.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

// zeros(n), zeros(m, n, ...), zeros(sizevec), zeros(..., 'double'); ones,
// eye and cell likewise.
void zeros(Call& c);
void ones(Call& c);
void eye(Call& c);
void cell(Call& c);
// reshape(x, m, n, ...) with one [] count inferred, reshape(x, sizevec)
void reshape(Call& c);
void diag(Call& c);  // diag(x), diag(x, k)
// The values side by side, and one above the other ([a, b] and [a; b]).
void horzcat(Call& c);
void vertcat(Call& c);

}  // namespace kh::builtin
