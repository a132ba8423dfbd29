/* Everything the library may call on the host run-time. */
#ifndef KESTREL_RUNTIME_RUNTIME_H
#define KESTREL_RUNTIME_RUNTIME_H

#include "mx_types.h"
#include "mex_library.h"
#include "lifetime.h"
#include "constants.h"
#include "variables.h"
#include "control.h"
#include "operators.h"
#include "indexing.h"
#include "calls.h"
#include "builtins.h"
#include "graphics.h"

#endif
