/* Basic types shared by the library and the host run-time.
 *
 * An mxArray is an opaque handle to a host value. The library never looks
 * inside one; it passes handles to run-time operations, which return new
 * temporaries. Everything here has C linkage so that a library built by any
 * compiler can load into the host. */
#ifndef KESTREL_RUNTIME_MX_TYPES_H
#define KESTREL_RUNTIME_MX_TYPES_H

#include <stdarg.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mxArray_tag mxArray;

/* Text is held as 16-bit character units. */
typedef uint16_t mxChar;

/* Class ids. 0 marks a value that was never assigned (a placeholder). */
typedef enum {
  mxUNKNOWN_CLASS = 0,
  mxCELL_CLASS = 1,
  mxSTRUCT_CLASS = 2,
  mxOBJECT_CLASS = 3,
  mxCHAR_CLASS = 4,
  mxSPARSE_CLASS = 5,
  mxDOUBLE_CLASS = 6,
  mxSINGLE_CLASS = 7,
  mxINT8_CLASS = 8,
  mxUINT8_CLASS = 9,
  mxINT16_CLASS = 10,
  mxUINT16_CLASS = 11,
  mxINT32_CLASS = 12,
  mxUINT32_CLASS = 13,
  mxFUNCTION_CLASS = 14
} mxClassID;

/* The feval form of a function: outputs are written to plhs[0..], inputs are
 * read from prhs[0..nrhs-1]. */
typedef void (*mxFunctionPtr)(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]);

/* A result sink: where a run-time call with several results puts them. */
typedef struct mlfVarargoutList_tag mlfVarargoutList;

/* One row of a function table or a local function table. */
typedef struct mexFunctionTableEntry_tag {
  const char* name;
  mxFunctionPtr function;
  int nargin; /* k named inputs; -1 varargin alone; -(k+1) k named then varargin */
  int nargout;
  struct mexLocalFunctionTable_tag* local_function_table;
} mexFunctionTableEntry;

typedef struct mexLocalFunctionTable_tag {
  int length;
  mexFunctionTableEntry* entries;
} mexLocalFunctionTable;

typedef mexLocalFunctionTable* mexLocalFunctionTablePtr;

#ifdef __cplusplus
}
#endif

#endif
