/* Lifetime of values and the context bracket around every call. */
#ifndef KESTREL_RUNTIME_LIFETIME_H
#define KESTREL_RUNTIME_LIFETIME_H

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Frees a value; a null handle is ignored. */
void mxDestroyArray(mxArray* a);
mxClassID mxGetClassID(const mxArray* a);

/* Context bracket. The variable part holds nout output slot addresses
 * (mxArray**), then |nin| input handles (for a varargin code the last one is
 * the varargin cell). */
void mlfEnterNewContext(int nout, int nin, ...);
void mlfRestorePreviousContext(int nout, int nin, ...);

/* Marks a value as a temporary handed to the caller and returns it. */
mxArray* mlfReturnValue(mxArray* a);
/* Stores a value in a variable, releasing the old one. A temporary is taken
 * over; any other value is copied. */
void mlfAssign(mxArray** dest, mxArray* src);
/* Makes the parameter *pa the body's own value (a copy unless a temporary). */
void mclCopyArray(mxArray** pa);
/* Makes the parameter *pa readable by the body for the length of the call
 * without a copy: a temporary is taken over (returns 0, the body owns it);
 * any other handle is borrowed (returns 1) and must be given back with
 * mclEndBorrow. A borrowed handle that its owner frees or writes meanwhile
 * keeps the value the body was given. */
int mclBorrowInput(mxArray** pa);
/* Gives back a handle borrowed by mclBorrowInput. */
void mclEndBorrow(mxArray* a);
/* Replaces a borrowed *pa by a copy of the body's own, ending the borrow. */
void mclOwnBorrowed(mxArray** pa);
/* Copies an input into an output variable (same M-level name). */
void mclCopyInputArg(mxArray** dest, mxArray* src);
/* Hands an output value to the caller's slot, releasing what was there. */
void mclCopyOutputArg(mxArray** dest, mxArray* src);
/* A new placeholder: a value never assigned (class id 0). */
mxArray* mclGetUninitializedArray(void);
/* A new 0-by-0 double temporary. */
mxArray* mclCreateEmptyArray(void);
/* Releases what the run-time protects for the module exception functions. */
void mclCleanupProtectedItems(void);
/* A copy of a value, as a temporary. */
mxArray* mclCopyArrayValue(mxArray* a);

#ifdef __cplusplus
}
#endif

#endif
