// Structures: struct, fieldnames, isfield and rmfield.
#pragma once

#include "host/builtins/call.h"

namespace kh::builtin {

// struct(), struct(s), struct(name, value, ...)
void structure(Call& c);
void fieldnames(Call& c);  // fieldnames(s)
void isfield(Call& c);     // isfield(s, name), isfield(s, names)
void rmfield(Call& c);     // rmfield(s, name), rmfield(s, names)

}  // namespace kh::builtin
