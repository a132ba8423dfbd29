// The loader against small libraries built here with deliberate faults: a
// wrong version, a missing entry, a bad descriptor, a failing initializer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "host/context/context.h"
#include "host/context/globals.h"
#include "host/loader/library.h"
#include "host/loader/registry.h"
#include "host/values/handle.h"
#include "tests/support/library.h"
#include "tests/support/temp_dir.h"

namespace {

class FakeLibrary : public ::testing::Test {
 protected:
  void SetUp() override { kt::unloadLibrary(); }

  // Builds the fake library with extra compiler definitions; returns its path.
  std::string build(const std::string& name, const std::string& defines) {
    const std::string out = dir_.file(name + ".so");
    std::string log;
    const int rc =
        kt::runCommand("c++ -std=c++20 -shared -fPIC -fvisibility=hidden -I'" +
                           std::string(KESTREL_SOURCE_DIR) + "' " + defines + " -o '" + out +
                           "' '" + KESTREL_SOURCE_DIR + "/tests/loader/fake/fake_library.cpp'",
                       &log);
    EXPECT_EQ(rc, 0) << log;
    return out;
  }

  // The fake's log of initializer and terminator calls.
  static std::string logOf(const std::string& path) {
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return "(not loaded)";
    auto fn = reinterpret_cast<const char* (*)()>(dlsym(h, "fakeLog"));
    std::string log = fn ? fn() : "(no log)";
    dlclose(h);
    return log;
  }

  static std::string openError(kh::LoadedLibrary& lib, const std::string& path) {
    std::string msg;
    if (kh::protect([&] { lib.open(path); }, &msg)) return "";
    return msg;
  }

  kt::TempDir dir_;
};

TEST_F(FakeLibrary, RunsInitializersInOrderAndTerminatorsInReverse) {
  const std::string path = build("good", "");
  const std::size_t live = kh::liveHandles();
  {
    kh::LoadedLibrary lib;
    ASSERT_EQ(openError(lib, path), "");
    EXPECT_EQ(logOf(path), "I0 I1 I2 ");
    EXPECT_NE(kh::findLibraryFunction("one", false), nullptr);
    mxArray** slot = kh::findGlobalSlot("fake_global");
    ASSERT_NE(slot, nullptr);
    *slot = kh::newHandle(kh::Value::scalar(3), false);

    // Keep the object mapped after close so its log can still be read.
    void* keep = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_TRUE(lib.close().empty());
    EXPECT_EQ(logOf(path), "I0 I1 I2 T2 T1 T0 ");
    dlclose(keep);
  }
  EXPECT_EQ(kh::findGlobalSlot("fake_global"), nullptr);
  EXPECT_EQ(kh::findLibraryFunction("one", false), nullptr);
  EXPECT_EQ(kh::liveHandles(), live);
}

TEST_F(FakeLibrary, FailingInitializerIsReportedAndUndone) {
  const std::string path = build("fails", "-DFAKE_FAIL_ROW=2");
  // Keep the object mapped after the failed open so its log can be read.
  void* keep = dlopen(path.c_str(), RTLD_NOW);
  ASSERT_NE(keep, nullptr);
  kh::LoadedLibrary lib;
  const std::string msg = openError(lib, path);
  EXPECT_EQ(msg, "Cannot load library '" + path + "': initializer of row 2 failed: boom");
  EXPECT_FALSE(lib.isOpen());
  EXPECT_EQ(kh::currentLibrary(), nullptr);
  EXPECT_EQ(logOf(path), "I0 I1 I2 T1 T0 ");
  EXPECT_EQ(kh::findGlobalSlot("fake_global"), nullptr);
  EXPECT_EQ(kh::findLibraryFunction("one", false), nullptr);
  dlclose(keep);
}

// The host's leak check finds an array that a library function leaves
// behind, and describes it.
TEST_F(FakeLibrary, CheckLeaksReportsAnArrayLeftBehind) {
  for (const bool leaks : {false, true}) {
    const std::string path = build(leaks ? "leaks" : "clean", leaks ? "-DFAKE_LEAK" : "");
    std::string out;
    const int rc = kt::runCommand(
        std::string(KESTREL_HOST_PATH) + " --library '" + path + "' --check-leaks --eval 'one'",
        &out);
    if (!leaks) {
      EXPECT_EQ(rc, 0) << out;
      continue;
    }
    EXPECT_EQ(rc, 3) << out;
    EXPECT_NE(out.find("1 array(s) leaked"), std::string::npos) << out;
    EXPECT_NE(out.find("char 1x4"), std::string::npos) << out;
  }
}

struct Refusal {
  const char* label;
  const char* defines;
  const char* reason;
};

class FakeRefusal : public FakeLibrary, public ::testing::WithParamInterface<Refusal> {};

TEST_P(FakeRefusal, IsRefusedWithoutRunningAnything) {
  const std::string path = build(GetParam().label, GetParam().defines);
  void* keep = dlopen(path.c_str(), RTLD_NOW);
  ASSERT_NE(keep, nullptr);
  kh::LoadedLibrary lib;
  EXPECT_EQ(openError(lib, path), "Cannot load library '" + path + "': " + GetParam().reason);
  EXPECT_FALSE(lib.isOpen());
  EXPECT_EQ(logOf(path), "");
  dlclose(keep);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FakeRefusal,
    ::testing::Values(Refusal{"version", "-DFAKE_VERSION='\"MATLAB R11\"'",
                              "its version is 'MATLAB R11', expected 'MATLAB R12 native'."},
                      Refusal{"no_library", "-DFAKE_NO_LIBRARY", "it has no entry 'mexLibrary'."},
                      Refusal{"format", "-DFAKE_FORMAT=7",
                              "bad descriptor: unknown descriptor format 7 (expected 1)."}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
