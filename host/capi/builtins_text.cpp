// C entry points of text searches.
#include "host/capi/wrap.h"
#include "host/core/errors.h"
#include "host/kernels/text/strmatch.h"
#include "runtime/builtins.h"

extern "C" {

// strmatch(str, strs) and strmatch(str, strs, 'exact').
mxArray* mlfStrmatch(mxArray* str, mxArray* strs, mxArray* flag) {
  kh::CallInputs in(str, strs, flag);
  if (!str || !strs) kh::raise("Not enough input arguments.");
  bool exact = false;
  if (flag) {
    if (kh::valueOf(flag).utf8() != "exact") kh::raise("Invalid flag.");
    exact = true;
  }
  return kh::newTemp(kh::strmatch(kh::valueOf(str), kh::valueOf(strs), exact));
}

}  // extern "C"
