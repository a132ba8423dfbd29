// A hook that sees every handle mxDestroyArray frees, for tests that check
// the order in which the library releases its values.
#pragma once

#include <functional>

#include "runtime/mx_types.h"

namespace kh {

// Called with each handle just before mxDestroyArray frees it; an empty
// function removes the observer. Returns the previous observer.
using DestroyObserver = std::function<void(const mxArray*)>;
DestroyObserver setDestroyObserver(DestroyObserver fn);

}  // namespace kh
