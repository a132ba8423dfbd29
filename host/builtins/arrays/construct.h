// Building arrays: zeros, ones, eye, cell, reshape, diag and the joins
// horzcat and vertcat, read once for every door.
#pragma once

#include <cstdint>

#include "host/builtins/arguments.h"
#include "host/builtins/call.h"
#include "host/kernels/arrays/construct.h"

namespace kh::builtin {

// zeros(n), zeros(m, n, ...), zeros(sizevec), zeros(..., 'double'); ones,
// eye and cell likewise. Inline: the library makes its work arrays so.
inline void zeros(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::zeros(sizeArgs(c, 0, "zeros")));
}
inline void ones(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::ones(sizeArgs(c, 0, "ones")));
}
inline void eye(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::eye(sizeArgs(c, 0, "eye")));
}
inline void cell(Call& c) {
  c.counts(0, SIZE_MAX);
  c.give(kh::cellArray(sizeArgs(c, 0, "cell")));
}
// reshape(x, m, n, ...) with one [] count inferred, reshape(x, sizevec)
void reshape(Call& c);
void diag(Call& c);  // diag(x), diag(x, k)
// The values side by side, and one above the other ([a, b] and [a; b]).
void horzcat(Call& c);
void vertcat(Call& c);

}  // namespace kh::builtin
