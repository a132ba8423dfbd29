/* Reads of variables, nargin and varargin, results and displayed values. */
#ifndef KESTREL_RUNTIME_VARIABLES_H
#define KESTREL_RUNTIME_VARIABLES_H

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The handle to use for the result of a call used as a value. */
mxArray* mclVe(mxArray* a);
/* Undefined-variable error: kind 0 for an input, 1 for a local. Never returns. */
void mclValidateError(int kind, const char* name);
/* Warns that a placeholder is read; returns nonzero when an empty array
 * should stand in for it. */
int mclUninitWarning(const char* name);
/* Warns that a requested output was never assigned. */
void mclValidateOutputWarning(const char* output_name, const char* function_path);

/* Number of supplied inputs: |code| handles follow (for a varargin code the
 * last is the varargin cell), then a null terminator. */
int mclNargin(int code, ...);
/* Collects variable inputs into a new cell stored in *cell. When
 * include_anchor is nonzero, anchor is the first variable input; the rest
 * come from the list, which ends with a null handle. */
void mclVarargin(mxArray** cell, mxArray* anchor, int include_anchor, va_list rest);
/* A 1-by-n cell of copies of args; an empty cell when n <= 0. */
mxArray* mclCreateVararginCell(int n, mxArray** args);

/* Result sinks for calls with several results. mlfVarargout takes
 * the addresses of the receiving variables, ended by a null address. */
mlfVarargoutList* mlfVarargout(mxArray** first, ...);
mlfVarargoutList* mclValueVarargout(void);

/* Stores a statement's value in ans; mclPrintAns also displays it. A null
 * value (a call that gives none) stores and shows nothing. */
void mclAssignAns(mxArray** ans, mxArray* value);
void mclPrintAns(mxArray** ans, mxArray* value);

#ifdef __cplusplus
}
#endif

#endif
