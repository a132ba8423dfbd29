/* The library descriptor: what a host obtains from mexLibrary() and how it
 * finds the library's functions, globals and initialize/terminate routines.
 * Field order and widths follow the 32-bit layout: 32-bit counts and
 * addresses; on a 64-bit build the addresses are pointer-sized. */
#ifndef KESTREL_RUNTIME_MEX_LIBRARY_H
#define KESTREL_RUNTIME_MEX_LIBRARY_H

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mexGlobalTableEntry_tag {
  const char* name;
  mxArray** variable;
} mexGlobalTableEntry;

typedef struct mexInitTermTableEntry_tag {
  void (*initialize)(void);
  void (*terminate)(void);
} mexInitTermTableEntry;

typedef struct mex_information_tag {
  int version;                    /* fixed value 1 */
  int file_function_table_length; /* rows of the function table */
  mexFunctionTableEntry* file_function_table;
  int global_variable_table_length; /* rows of the global table */
  mexGlobalTableEntry* global_variable_table;
  int npaths;                /* a further table, unused: 0 */
  const char** paths;        /* absent: null */
  int init_fcn_table_length; /* rows of the init/term table */
  mexInitTermTableEntry* init_fcn_table;
} mex_information_struct;

typedef mex_information_struct* mex_information;

/* The two exported entries of a library. */
typedef mex_information (*mexLibraryFn)(void);
typedef const char* (*mexVersionFn)(void);

/* The host's own run-time pair, which row 0 of every init/term table names. */
void libmatlbmxInitialize(void);
void libmatlbmxTerminate(void);

#ifdef __cplusplus
}
#endif

#endif
