/* Module constants and global variables. */
#ifndef KESTREL_RUNTIME_CONSTANTS_H
#define KESTREL_RUNTIME_CONSTANTS_H

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Constant builders: the result belongs to the module until it destroys it. */
mxArray* mclInitializeString(int length, const mxChar* chars);
mxArray* mclInitializeDouble(double value);
mxArray* mclInitializeDoubleVector(int rows, int cols, const double* data);
mxArray* mclInitializeCharVector(int rows, int cols, const mxChar* chars);
mxArray* mclInitializeCellVector(int rows, int cols, mxArray** elements);

/* A real double scalar temporary. */
mxArray* mlfScalar(double value);
double mclGetInf(void);
double mclGetNaN(void);

/* Binds a library global slot to the host's global workspace and returns the
 * address to assign through. */
mxArray** mclInitGlobal(mxArray** slot);
/* Current value of a global; an empty array when it was never assigned. */
mxArray* mclVg(mxArray** slot, const char* name);

#ifdef __cplusplus
}
#endif

#endif
