#include "host/loader/registry.h"

#include <boost/container/small_vector.hpp>
#include <string>

#include "host/loader/feval_call.h"
#include "host/values/handle.h"

namespace kh {
namespace {
const mexFunctionTableEntry* g_rows = nullptr;
int g_n = 0;
std::uint64_t g_generation = 1;

std::string moduleNameOf(const char* rowName) {
  std::string m(rowName);
  for (char& c : m)
    if (c == '/') c = '_';
  return m;
}
}  // namespace

void setLibraryFunctionTable(const mexFunctionTableEntry* rows, int n) {
  g_rows = rows;
  g_n = n;
  ++g_generation;
}

void clearLibraryFunctionTable() {
  g_rows = nullptr;
  g_n = 0;
  ++g_generation;
}

std::uint64_t libraryTableGeneration() { return g_generation; }

const mexFunctionTableEntry* libraryFunctionTable(int* n) {
  if (n) *n = g_n;
  return g_rows;
}

const mexFunctionTableEntry* findLibraryFunction(std::string_view name, bool allowLocal) {
  for (int i = 0; i < g_n; ++i)
    if (name == g_rows[i].name) return &g_rows[i];
  if (!allowLocal) return nullptr;
  const auto slash = name.rfind('/');
  if (slash == std::string_view::npos) return nullptr;
  const std::string_view module = name.substr(0, slash);
  const std::string_view local = name.substr(slash + 1);
  for (int i = 0; i < g_n; ++i) {
    if (module != g_rows[i].name && module != moduleNameOf(g_rows[i].name)) continue;
    const mexLocalFunctionTable* t = g_rows[i].local_function_table;
    if (!t) return nullptr;
    for (int k = 0; k < t->length; ++k)
      if (local == t->entries[k].name) return &t->entries[k];
    return nullptr;
  }
  return nullptr;
}

ValueList callFevalForm(mxFunctionPtr fn, int nargout, const Value* args, std::size_t n) {
  FevalCall call(nargout);
  for (std::size_t k = 0; k < n; ++k) call.add(args[k]);
  call.run(fn);
  return call.results();
}

}  // namespace kh
