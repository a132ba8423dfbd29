// The library as the loader sees it: its descriptor, initialization of every
// module, global slots bound to the workspace, and a clean unload.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/context/context.h"
#include "host/context/globals.h"
#include "host/loader/describe.h"
#include "host/loader/library.h"
#include "host/loader/registry.h"
#include "host/loader/symbol_names.h"
#include "host/values/handle.h"
#include "tests/support/library.h"

namespace {

const std::vector<std::string> kModules = {"kestrel",
                                           "axis",
                                           "filter2",
                                           "flipud",
                                           "gca",
                                           "gcbf",
                                           "hanning",
                                           "hold",
                                           "mod",
                                           "num2str",
                                           "polyfit",
                                           "polyval",
                                           "allchild",
                                           "ishold",
                                           "isnumeric",
                                           "nargchk",
                                           "rot90",
                                           "gcf",
                                           "signal_private_check_order",
                                           "int2str",
                                           "log10",
                                           "strvcat",
                                           "condest",
                                           "mean",
                                           "std",
                                           "isstruct",
                                           "repmat",
                                           "normest1"};

const std::vector<std::string> kGlobals = {"Lpoly", "Nlarge", "Nmedium", "Nsmall", "T1",
                                           "T2",    "T3",     "pf",      "ppulse", "pseg",
                                           "psp1",  "psp2",   "psp3",    "seg"};

class LoadedLibraryTest : public ::testing::Test {
 protected:
  // Every test starts from a freshly loaded library.
  void SetUp() override {
    kt::unloadLibrary();
    lib_ = kt::library();
    ASSERT_NE(lib_, nullptr);
  }
  kh::LoadedLibrary* lib_ = nullptr;
};

TEST_F(LoadedLibraryTest, DescriptorCountsAndVersion) {
  const mex_information_struct& d = lib_->descriptor();
  EXPECT_EQ(lib_->versionText(), "MATLAB R12 native");
  EXPECT_EQ(d.version, 1);
  EXPECT_EQ(d.file_function_table_length, 28);
  EXPECT_EQ(d.global_variable_table_length, 14);
  EXPECT_EQ(d.npaths, 0);
  EXPECT_EQ(d.paths, nullptr);
  EXPECT_EQ(d.init_fcn_table_length, 29);
  int n = 0;
  EXPECT_EQ(kh::libraryFunctionTable(&n), d.file_function_table);
  EXPECT_EQ(n, 28);
}

TEST_F(LoadedLibraryTest, FunctionRowsNameTheirModulesInOrder) {
  const mex_information_struct& d = lib_->descriptor();
  ASSERT_EQ(d.file_function_table_length, static_cast<int>(kModules.size()));
  for (int i = 0; i < d.file_function_table_length; ++i) {
    std::string name = d.file_function_table[i].name;
    for (char& c : name)
      if (c == '/') c = '_';
    EXPECT_EQ(name, kModules[i]) << "row " << i;
  }
  struct Code {
    const char* name;
    int nargin, nargout;
  };
  for (const Code& c : {Code{"normest1", -4, 4}, Code{"axis", -1, 3}, Code{"hanning", -1, 1},
                        Code{"strvcat", -1, 1}, Code{"kestrel", 1, 0}, Code{"polyfit", 3, 3}}) {
    const mexFunctionTableEntry* e = kh::findLibraryFunction(c.name, false);
    ASSERT_NE(e, nullptr) << c.name;
    EXPECT_EQ(e->nargin, c.nargin) << c.name;
    EXPECT_EQ(e->nargout, c.nargout) << c.name;
  }
}

TEST_F(LoadedLibraryTest, LocalFunctionsAreFoundThroughTheirModule) {
  EXPECT_NE(kh::findLibraryFunction("kestrel/loadpulse", true), nullptr);
  EXPECT_EQ(kh::findLibraryFunction("kestrel/loadpulse", false), nullptr);
  EXPECT_EQ(kh::findLibraryFunction("kestrel/no_such_local", true), nullptr);
  EXPECT_EQ(kh::findLibraryFunction("no_such_function", true), nullptr);
}

TEST_F(LoadedLibraryTest, GlobalsAreBoundInTableOrderAndStartUnset) {
  const mex_information_struct& d = lib_->descriptor();
  ASSERT_EQ(d.global_variable_table_length, static_cast<int>(kGlobals.size()));
  for (int i = 0; i < d.global_variable_table_length; ++i) {
    const mexGlobalTableEntry& g = d.global_variable_table[i];
    EXPECT_EQ(std::string(g.name), kGlobals[i]);
    EXPECT_EQ(*g.variable, nullptr) << g.name;
    EXPECT_EQ(kh::findGlobalSlot(g.name), g.variable) << g.name;
  }
}

TEST_F(LoadedLibraryTest, EveryInitializerRanInTableOrder) {
  const mex_information_struct& d = lib_->descriptor();
  EXPECT_EQ(lib_->initializedRows(), 29);
  ASSERT_EQ(d.init_fcn_table_length, 29);
  EXPECT_EQ(reinterpret_cast<void*>(d.init_fcn_table[0].initialize),
            reinterpret_cast<void*>(&libmatlbmxInitialize));
  EXPECT_EQ(reinterpret_cast<void*>(d.init_fcn_table[0].terminate),
            reinterpret_cast<void*>(&libmatlbmxTerminate));
  for (int i = 1; i < 29; ++i) {
    EXPECT_EQ(kh::symbolNameOf(reinterpret_cast<const void*>(d.init_fcn_table[i].initialize)),
              "InitializeModule_" + kModules[i - 1]);
    EXPECT_EQ(kh::symbolNameOf(reinterpret_cast<const void*>(d.init_fcn_table[i].terminate)),
              "TerminateModule_" + kModules[i - 1]);
  }
}

TEST_F(LoadedLibraryTest, UnloadFreesConstantsAndGlobals) {
  kt::unloadLibrary();
  const std::size_t before = kh::liveHandles();
  kt::ensureLibraryLoaded();
  EXPECT_GT(kh::liveHandles(), before) << "the modules' constants are alive while loaded";

  // A global the library holds is freed with it, and its name is forgotten.
  mxArray** seg = kh::findGlobalSlot("seg");
  ASSERT_NE(seg, nullptr);
  *seg = kh::newHandle(kh::Value::row({1, 2, 3}), false);

  kt::unloadLibrary();
  EXPECT_EQ(kh::liveHandles(), before);
  EXPECT_EQ(kh::findGlobalSlot("seg"), nullptr);
  int n = -1;
  EXPECT_EQ(kh::libraryFunctionTable(&n), nullptr);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(kh::currentLibrary(), nullptr);
}

TEST_F(LoadedLibraryTest, CommandWindowGlobalIsHandedToTheLibrary) {
  kt::unloadLibrary();
  // Declared at the command window before the library came.
  *kh::globalSlot("T1") = kh::newHandle(kh::Value::scalar(1200), false);
  kt::ensureLibraryLoaded();
  const mex_information_struct& d = kt::library()->descriptor();
  mxArray** slot = nullptr;
  for (int i = 0; i < d.global_variable_table_length; ++i)
    if (std::string(d.global_variable_table[i].name) == "T1")
      slot = d.global_variable_table[i].variable;
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(kh::findGlobalSlot("T1"), slot);
  ASSERT_NE(*slot, nullptr);
  EXPECT_EQ(kh::valueOf(*slot).at(0), 1200.0);
}

TEST_F(LoadedLibraryTest, SecondLibraryIsRefused) {
  kh::LoadedLibrary other;
  std::string msg;
  EXPECT_FALSE(kh::protect([&] { other.open(lib_->path()); }, &msg));
  EXPECT_NE(msg.find("is already loaded"), std::string::npos) << msg;
  EXPECT_FALSE(other.isOpen());
  EXPECT_EQ(kh::currentLibrary(), lib_);
}

TEST_F(LoadedLibraryTest, DescriptionListsRowsGlobalsAndRoutines) {
  const std::string text = kh::describeLibrary(*lib_);
  for (const char* piece :
       {"Version: MATLAB R12 native\n", "Functions: 28\n", "Globals: 14\n", "Paths: 0\n",
        "Init/term rows: 29\n", "libmatlbmxInitialize / libmatlbmxTerminate",
        "InitializeModule_normest1 / TerminateModule_normest1", "-4 (3 named + varargin)",
        "signal/private/check_order", " 14 seg\n", "loadpulse"})
    EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
}

struct BadPath {
  const char* label;
  std::string path;
  const char* expected;  // part of the message
};

class OpenFailure : public ::testing::TestWithParam<BadPath> {};

TEST_P(OpenFailure, NamesTheFileAndLeavesNothingLoaded) {
  kt::unloadLibrary();
  kh::LoadedLibrary lib;
  std::string msg;
  EXPECT_FALSE(kh::protect([&] { lib.open(GetParam().path); }, &msg));
  EXPECT_NE(msg.find("'" + GetParam().path + "'"), std::string::npos) << msg;
  EXPECT_NE(msg.find(GetParam().expected), std::string::npos) << msg;
  EXPECT_FALSE(lib.isOpen());
  EXPECT_EQ(kh::currentLibrary(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OpenFailure,
    ::testing::Values(BadPath{"missing", "/nonexistent/kestrel_mex.so", "No such file"},
                      BadPath{"not_a_library", KESTREL_SOURCE_DIR "/data/ex_pulse.mat",
                              "Cannot load library"},
                      BadPath{"no_entries", "libm.so.6", "has no entry 'mexVersion'"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
