#include "host/loader/descriptor_check.h"

#include <string>

namespace kh {
namespace {

std::string rowFault(const char* table, int row, const char* what) {
  return std::string("row ") + std::to_string(row) + " of the " + table + " table " + what;
}

std::string functionRowFault(const mexFunctionTableEntry& e, const char* table, int row) {
  if (!e.name) return rowFault(table, row, "has no name");
  if (!e.function) return rowFault(table, row, "has no entry point");
  return "";
}

}  // namespace

std::string descriptorFault(const mex_information_struct& d) {
  if (d.version != 1)
    return "unknown descriptor format " + std::to_string(d.version) + " (expected 1)";
  if (d.file_function_table_length < 0) return "negative function count";
  if (d.global_variable_table_length < 0) return "negative global count";
  if (d.npaths < 0) return "negative path count";
  if (d.init_fcn_table_length < 0) return "negative init/term count";
  if (d.file_function_table_length > 0 && !d.file_function_table)
    return "the function table is missing";
  if (d.global_variable_table_length > 0 && !d.global_variable_table)
    return "the global table is missing";
  if (d.npaths > 0 && !d.paths) return "the path table is missing";
  if (d.init_fcn_table_length > 0 && !d.init_fcn_table) return "the init/term table is missing";

  for (int i = 0; i < d.file_function_table_length; ++i) {
    const mexFunctionTableEntry& e = d.file_function_table[i];
    if (std::string f = functionRowFault(e, "function", i); !f.empty()) return f;
    const mexLocalFunctionTable* lt = e.local_function_table;
    if (!lt) continue;
    if (lt->length < 0 || (lt->length > 0 && !lt->entries))
      return rowFault("function", i, "has a malformed local function table");
    for (int k = 0; k < lt->length; ++k) {
      const std::string table = std::string("local function (") + e.name + ")";
      if (std::string f = functionRowFault(lt->entries[k], table.c_str(), k); !f.empty()) return f;
    }
  }
  for (int i = 0; i < d.global_variable_table_length; ++i) {
    const mexGlobalTableEntry& g = d.global_variable_table[i];
    if (!g.name || !*g.name) return rowFault("global", i, "has no name");
    if (!g.variable) return rowFault("global", i, "has no slot");
  }
  return "";
}

}  // namespace kh
