/* Calls through feval forms and function handles. */
#ifndef KESTREL_RUNTIME_CALLS_H
#define KESTREL_RUNTIME_CALLS_H

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Calls a feval form: the arguments end with a null handle. */
mxArray* mclFeval(mlfVarargoutList* sink, mxFunctionPtr fn, ...);
/* Calls a function handle or a function named by a text. */
mxArray* mlfFeval(mlfVarargoutList* sink, mxArray* fn, ...);
mxArray* mclCreateSimpleFunctionHandle(mxFunctionPtr fn, const char* name);
mxArray* mlfFunc2str(mxArray* fh);

/* The current local function table, set by every body on entry. */
mexLocalFunctionTablePtr mclSetCurrentLocalFunctionTable(mexLocalFunctionTablePtr table);

/* Feval forms of host built-ins, passed as values. */
void mlxLower(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxIsempty(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxDiff(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxIshandle(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxMax(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxPlus(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxMin(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);
void mlxSize(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);

#ifdef __cplusplus
}
#endif

#endif
