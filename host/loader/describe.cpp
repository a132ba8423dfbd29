#include "host/loader/describe.h"

#include <cstdio>
#include <string>

#include "host/loader/symbol_names.h"

namespace kh {
namespace {

// "1", "-1 (varargin)", "-4 (3 named + varargin)".
std::string inputCodeText(int code) {
  std::string t = std::to_string(code);
  if (code == -1) return t + " (varargin)";
  if (code < -1) return t + " (" + std::to_string(-code - 1) + " named + varargin)";
  return t;
}

std::string padded(const std::string& s, std::size_t width) {
  return s.size() >= width ? s + " " : s + std::string(width - s.size(), ' ');
}

void functionRow(std::string& out, const std::string& indent, const mexFunctionTableEntry& e) {
  out += indent + padded(e.name, 32 - indent.size()) + "in " + padded(inputCodeText(e.nargin), 28) +
         "out " + std::to_string(e.nargout) + "\n";
}

std::string routineName(void (*fn)()) {
  return fn ? symbolNameOf(reinterpret_cast<const void*>(fn)) : "(none)";
}

}  // namespace

std::string describeLibrary(const LoadedLibrary& lib) {
  const mex_information_struct& d = lib.descriptor();
  std::string out;
  out += "Library: " + lib.path() + "\n";
  out += "Version: " + lib.versionText() + "\n";
  out += "Descriptor format: " + std::to_string(d.version) + "\n";
  out += "Functions: " + std::to_string(d.file_function_table_length) + "\n";
  out += "Globals: " + std::to_string(d.global_variable_table_length) + "\n";
  out += "Paths: " + std::to_string(d.npaths) + "\n";
  out += "Init/term rows: " + std::to_string(d.init_fcn_table_length) + "\n";

  out += "\nFunctions (name, input code, outputs; local functions indented):\n";
  for (int i = 0; i < d.file_function_table_length; ++i) {
    const mexFunctionTableEntry& e = d.file_function_table[i];
    char num[16];
    std::snprintf(num, sizeof num, "%3d ", i + 1);
    functionRow(out, num, e);
    if (const mexLocalFunctionTable* lt = e.local_function_table)
      for (int k = 0; k < lt->length; ++k) functionRow(out, "       ", lt->entries[k]);
  }

  out += "\nGlobals (in table order):\n";
  for (int i = 0; i < d.global_variable_table_length; ++i) {
    char num[16];
    std::snprintf(num, sizeof num, "%3d ", i + 1);
    out += std::string(num) + d.global_variable_table[i].name + "\n";
  }

  out += "\nInit/term rows (initializer / terminator):\n";
  for (int i = 0; i < d.init_fcn_table_length; ++i) {
    const mexInitTermTableEntry& r = d.init_fcn_table[i];
    char num[16];
    std::snprintf(num, sizeof num, "%3d ", i);
    out += std::string(num) + routineName(r.initialize) + " / " + routineName(r.terminate);
    // Row 0 is the host's run-time; the others follow the function table's
    // modules when the counts line up.
    if (i == 0)
      out += "  [host run-time]";
    else if (d.init_fcn_table_length == d.file_function_table_length + 1)
      out += std::string("  [module ") + d.file_function_table[i - 1].name + "]";
    out += "\n";
  }
  return out;
}

}  // namespace kh
