#include "host/builtins/arrays/queries.h"

#include "host/builtins/registry.h"

namespace kh::builtin {

namespace {
const bool kRegistered = [] {
  registerBuiltin("size", size);
  registerBuiltin("ndims", ndims);
  registerBuiltin("numel", numel);
  registerBuiltin("length", length);
  registerBuiltin("class", className);
  registerBuiltin("isempty", isempty);
  registerBuiltin("isequal", isequal);
  registerBuiltin("isa", isa);
  registerBuiltin("isreal", isreal);
  registerBuiltin("ischar", ischar);
  registerBuiltin("isstr", ischar);
  registerBuiltin("islogical", islogical);
  registerBuiltin("iscell", iscell);
  registerBuiltin("strcmp", strcmp);
  return true;
}();
}  // namespace

}  // namespace kh::builtin
