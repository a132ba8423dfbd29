// Compiled with -m32: the descriptor and its tables have the 32-bit layout
// that hosts of this library expect.
#include <cstddef>

#include "runtime/mex_library.h"

static_assert(sizeof(void*) == 4, "this check is compiled for 32-bit x86");

static_assert(sizeof(mex_information_struct) == 36);
static_assert(offsetof(mex_information_struct, version) == 0);
static_assert(offsetof(mex_information_struct, file_function_table_length) == 4);
static_assert(offsetof(mex_information_struct, file_function_table) == 8);
static_assert(offsetof(mex_information_struct, global_variable_table_length) == 12);
static_assert(offsetof(mex_information_struct, global_variable_table) == 16);
static_assert(offsetof(mex_information_struct, npaths) == 20);
static_assert(offsetof(mex_information_struct, paths) == 24);
static_assert(offsetof(mex_information_struct, init_fcn_table_length) == 28);
static_assert(offsetof(mex_information_struct, init_fcn_table) == 32);

static_assert(sizeof(mexFunctionTableEntry) == 20);
static_assert(offsetof(mexFunctionTableEntry, name) == 0);
static_assert(offsetof(mexFunctionTableEntry, function) == 4);
static_assert(offsetof(mexFunctionTableEntry, nargin) == 8);
static_assert(offsetof(mexFunctionTableEntry, nargout) == 12);
static_assert(offsetof(mexFunctionTableEntry, local_function_table) == 16);

static_assert(sizeof(mexLocalFunctionTable) == 8);
static_assert(offsetof(mexLocalFunctionTable, length) == 0);
static_assert(offsetof(mexLocalFunctionTable, entries) == 4);

static_assert(sizeof(mexGlobalTableEntry) == 8);
static_assert(offsetof(mexGlobalTableEntry, name) == 0);
static_assert(offsetof(mexGlobalTableEntry, variable) == 4);

static_assert(sizeof(mexInitTermTableEntry) == 8);
static_assert(offsetof(mexInitTermTableEntry, initialize) == 0);
static_assert(offsetof(mexInitTermTableEntry, terminate) == 4);

int main() { return 0; }
