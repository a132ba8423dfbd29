/* Control flow helpers, errors, warnings and the data-file load. */
#ifndef KESTREL_RUNTIME_CONTROL_H
#define KESTREL_RUNTIME_CONTROL_H

#include <setjmp.h>

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Truth of an array: non-empty and every element non-zero. */
int mlfTobool(mxArray* a);
/* True when the switch value equals the case value (a text, a number, or any
 * element of a cell of them). */
int mclSwitchCompare(mxArray* switch_value, mxArray* case_value);
/* A switch value made from an expression. */
mxArray* mclInitialize(mxArray* a);

/* Raises msg as an error unless it is empty. Returns only for an empty msg. */
void mlfError(mxArray* msg);

/* Warnings: mlfNWarning(nargout, message or state or "on"/"off", null).
 * With nargout 1 and a null argument it returns the current state. */
mxArray* mlfNWarning(int nargout, mxArray* arg, ...);
mxArray* mlfLasterr(mxArray* unused);

/* A try context: mclEnterTryCatchContext() before the protected statements;
 * mclExitTryCatchContext() after them on the normal path, and also as the
 * first thing in the handler that catches an error (catch (...)), where it
 * puts the run-time back as it was at the enter and records the error's text
 * for mlfLasterr. */
void mclEnterTryCatchContext(void);
void mclExitTryCatchContext(void);

/* For the modules' exception functions. */
jmp_buf* mclGetSetjmpData(void);

/* Loads variables from a data file: the file name, then pairs of a variable
 * name and the address to assign, ended by a null name. */
void mclLoadConditional(mxArray* filename, ...);

#ifdef __cplusplus
}
#endif

#endif
