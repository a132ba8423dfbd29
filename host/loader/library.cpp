#include "host/loader/library.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include "host/context/context.h"
#include "host/context/globals.h"
#include "host/core/errors.h"
#include "host/loader/descriptor_check.h"
#include "host/loader/registry.h"

namespace kh {
namespace {

LoadedLibrary* g_current = nullptr;

std::string dlText() {
  const char* e = dlerror();
  return e ? e : "unknown error";
}

// Runs one initializer or terminator at a protected point.
bool runRow(void (*fn)(), std::string* msg) {
  if (!fn) return true;
  return protect([&] { fn(); }, msg);
}

}  // namespace

LoadedLibrary* currentLibrary() { return g_current; }

LoadedLibrary::~LoadedLibrary() {
  if (isOpen()) close();
}

void LoadedLibrary::open(const std::string& path) {
  if (isOpen()) raise("Library '" + path_ + "' is already open.");
  if (g_current)
    raise("Cannot load '" + path + "': library '" + g_current->path() + "' is already loaded.");

  // A name without a slash would be looked up on the system's library path;
  // one that names a file here means that file.
  std::string file = path;
  std::error_code ec;
  if (path.find('/') == std::string::npos && std::filesystem::is_regular_file(path, ec))
    file = "./" + path;
  dlerror();
  void* h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) raise("Cannot load library '" + path + "': " + dlText());

  // Until the library is fully set up, any failure unloads it again.
  struct Unloader {
    void* h;
    ~Unloader() {
      if (h) dlclose(h);
    }
  } unloader{h};
  auto fail = [&](const std::string& why) { raise("Cannot load library '" + path + "': " + why); };

  dlerror();
  auto versionFn = reinterpret_cast<mexVersionFn>(dlsym(h, "mexVersion"));
  if (!versionFn) fail("it has no entry 'mexVersion'.");
  auto libraryFn = reinterpret_cast<mexLibraryFn>(dlsym(h, "mexLibrary"));
  if (!libraryFn) fail("it has no entry 'mexLibrary'.");

  const char* version = versionFn();
  if (!version || std::string(version) != kLibraryVersionText)
    fail(std::string("its version is '") + (version ? version : "(null)") + "', expected '" +
         kLibraryVersionText + "'.");

  mex_information info = libraryFn();
  if (!info) fail("mexLibrary returned no descriptor.");
  if (std::string f = descriptorFault(*info); !f.empty()) fail("bad descriptor: " + f + ".");

  handle_ = h;
  info_ = info;
  path_ = path;
  version_ = version;
  initialized_ = 0;
  g_current = this;
  unloader.h = nullptr;

  for (int i = 0; i < info->init_fcn_table_length; ++i) {
    std::string msg;
    if (!runRow(info->init_fcn_table[i].initialize, &msg)) {
      // Undo what ran, then report.
      std::vector<std::string> ignored;
      runTerminators(ignored);
      setCurrentLocalFunctionTable(nullptr);
      dlclose(handle_);
      handle_ = nullptr;
      info_ = nullptr;
      g_current = nullptr;
      raise("Cannot load library '" + path + "': initializer of row " + std::to_string(i) +
            " failed: " + msg);
    }
    initialized_ = i + 1;
  }

  for (int i = 0; i < info->global_variable_table_length; ++i) {
    const mexGlobalTableEntry& g = info->global_variable_table[i];
    bindGlobalSlot(g.name, g.variable);
  }
  setLibraryFunctionTable(info->file_function_table, info->file_function_table_length);
}

void LoadedLibrary::runTerminators(std::vector<std::string>& errors) {
  for (int i = initialized_ - 1; i >= 0; --i) {
    std::string msg;
    if (!runRow(info_->init_fcn_table[i].terminate, &msg))
      errors.push_back("terminator of row " + std::to_string(i) + " failed: " + msg);
  }
  initialized_ = 0;
}

std::vector<std::string> LoadedLibrary::close() {
  std::vector<std::string> errors;
  if (!isOpen()) return errors;
  runTerminators(errors);
  unbindLibrarySlots();
  clearLibraryFunctionTable();
  setCurrentLocalFunctionTable(nullptr);
  dlclose(handle_);
  handle_ = nullptr;
  info_ = nullptr;
  if (g_current == this) g_current = nullptr;
  return errors;
}

}  // namespace kh
