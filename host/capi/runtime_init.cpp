// The run-time's own initialize/terminate pair, row 0 of every library's
// init/term table.
#include "runtime/mex_library.h"

extern "C" {

// The run-time holds no state that needs setting up before the modules build
// their constants, nor anything to tear down after they free them.
void libmatlbmxInitialize(void) {}
void libmatlbmxTerminate(void) {}

}  // extern "C"
