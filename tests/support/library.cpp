#include "tests/support/library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "host/context/context.h"
#include "host/loader/library.h"
#include "host/loader/registry.h"
#include "host/values/handle.h"

namespace kt {
namespace {

std::unique_ptr<kh::LoadedLibrary>& loaded() {
  static std::unique_ptr<kh::LoadedLibrary> lib;
  return lib;
}
std::string& loadError() {
  static std::string e;
  return e;
}

std::string libraryPath() {
  if (const char* env = std::getenv("KESTREL_LIBRARY"); env && *env) return env;
  return KESTREL_LIBRARY_PATH;
}

// Unloads the library after the last test, while the host's state is intact.
class LibraryEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { unloadLibrary(); }
};
[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);

}  // namespace

void ensureLibraryLoaded() {
  if (loaded()) return;
  if (!loadError().empty()) {
    ADD_FAILURE() << loadError();
    return;
  }
  auto lib = std::make_unique<kh::LoadedLibrary>();
  std::string msg;
  if (!kh::protect([&] { lib->open(libraryPath()); }, &msg)) {
    loadError() = msg.empty() ? "cannot load the library" : msg;
    ADD_FAILURE() << loadError();
    return;
  }
  loaded() = std::move(lib);
}

void unloadLibrary() {
  if (!loaded()) return;
  for (const std::string& e : loaded()->close()) ADD_FAILURE() << e;
  loaded().reset();
}

kh::LoadedLibrary* library() {
  ensureLibraryLoaded();
  return loaded().get();
}

namespace {

// Runs the call; false with the message when it raised an error. A name the
// library does not register fails the test (and counts as no error).
bool tryCall(std::string_view name, int nargout, const kh::ValueList& args, kh::ValueList* out,
             std::string* msg) {
  ensureLibraryLoaded();
  const mexFunctionTableEntry* row = kh::findLibraryFunction(name, true);
  if (!row) {
    ADD_FAILURE() << "no library function named '" << name << "'";
    return true;
  }
  return kh::protect([&] { *out = kh::callFevalForm(row->function, nargout, args); }, msg);
}

}  // namespace

kh::ValueList call(std::string_view name, int nargout, kh::ValueList args) {
  kh::ValueList out;
  std::string msg;
  if (!tryCall(name, nargout, args, &out, &msg))
    ADD_FAILURE() << "call of " << name << " raised: " << msg;
  return out;
}

std::string callError(std::string_view name, int nargout, kh::ValueList args) {
  kh::ValueList out;
  std::string msg;
  if (tryCall(name, nargout, args, &out, &msg)) return "";
  return msg;
}

std::size_t liveArrays() {
  // Counted with the library loaded, so that its constants are in every count.
  ensureLibraryLoaded();
  return kh::liveHandles();
}

}  // namespace kt
