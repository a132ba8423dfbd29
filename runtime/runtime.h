/* Everything the library may call on the host run-time. */
#ifndef KESTREL_RUNTIME_RUNTIME_H
#define KESTREL_RUNTIME_RUNTIME_H

#include "builtins.h"
#include "calls.h"
#include "constants.h"
#include "control.h"
#include "graphics.h"
#include "indexing.h"
#include "lifetime.h"
#include "mex_library.h"
#include "mx_types.h"
#include "operators.h"
#include "variables.h"

#endif
