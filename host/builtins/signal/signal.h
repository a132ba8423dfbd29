// Convolution and filtering: conv2 and filter, read once for every door.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

// conv2(a, k), conv2(a, k, shape), conv2(hcol, hrow, a), conv2(hcol, hrow,
// a, shape): a text third input is the shape of the plain form, a numeric
// one makes the separable form.
void conv2(Call& c);
// [y, zf] = filter(b, a, x), filter(b, a, x, zi), filter(b, a, x, zi, dim)
void filter(Call& c);

}  // namespace kh::builtin
