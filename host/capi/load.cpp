// mclLoadConditional: the library's way of reading variables from a data file.
#include <cstdarg>
#include <string>
#include <utility>
#include <vector>

#include "host/core/errors.h"
#include "host/datafile/matfile.h"
#include "host/values/handle.h"
#include "runtime/control.h"

extern "C" void mclLoadConditional(mxArray* filename, ...) {
  kh::TempGuard guard(filename);

  // The variables the caller offers, in its order.
  std::vector<std::pair<std::string, mxArray**>> targets;
  va_list ap;
  va_start(ap, filename);
  while (const char* name = va_arg(ap, const char*)) {
    mxArray** address = va_arg(ap, mxArray**);
    targets.emplace_back(name, address);
  }
  va_end(ap);

  const kh::Value& fv = kh::valueOf(filename);
  if (!fv.isChar() || fv.isEmpty()) kh::raise("The file name must be a non-empty text.");
  const std::string file = kh::locateMatFile(fv.utf8());

  std::vector<std::string> names;
  for (const auto& t : targets) names.push_back(t.first);
  // Everything is read before any variable changes: a failing load leaves
  // them all as they were.
  kh::NamedValues loaded = kh::loadMatFile(file, names);

  for (auto& [name, value] : loaded)
    for (const auto& [target, address] : targets) {
      if (target != name || !address) continue;
      mxArray* old = *address;
      *address = kh::newHandle(value, false);
      kh::destroyHandle(old);
    }
}
