// The library's data-file load: listed variables present in the file receive
// the file's values, others keep theirs; a failing load changes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/context/context.h"
#include "host/datafile/matfile.h"
#include "host/values/handle.h"
#include "runtime/control.h"
#include "tests/support/temp_dir.h"
#include "tests/support/values.h"

namespace {

using kh::Value;

class LoadConditional : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = kh::liveHandles();
    file_ = dir_.file("ex_pulse.mat");
    kh::saveMatFile(file_, {{"s", Value::column({0.1, 0.2, 0.3})},
                            {"cl", Value::scalar(2)},
                            {"other", Value::str("unused")}});
  }
  void TearDown() override {
    for (mxArray* v : {s_, cl_, keep_}) kh::destroyHandle(v);
    EXPECT_EQ(kh::liveHandles(), live_);
  }
  mxArray* name(const std::string& n) { return kh::newTemp(Value::str(n)); }

  kt::TempDir dir_;
  std::string file_;
  std::size_t live_ = 0;
  mxArray* s_ = nullptr;
  mxArray* cl_ = nullptr;
  mxArray* keep_ = nullptr;
};

TEST_F(LoadConditional, StoresListedVariablesFoundInTheFile) {
  cl_ = kh::newHandle(Value::scalar(-1), false);  // replaced, old value released
  keep_ = kh::newHandle(Value::scalar(42), false);
  mclLoadConditional(name(file_), "cl", &cl_, "keep", &keep_, "s", &s_,
                     static_cast<const char*>(nullptr));
  ASSERT_TRUE(s_ && cl_ && keep_);
  EXPECT_TRUE(kt::sameValue(s_->v, Value::column({0.1, 0.2, 0.3})));
  EXPECT_TRUE(kt::sameValue(cl_->v, Value::scalar(2)));
  EXPECT_TRUE(kt::sameValue(keep_->v, Value::scalar(42)));
  EXPECT_FALSE(s_->temporary);
  EXPECT_FALSE(cl_->temporary);
}

TEST_F(LoadConditional, NameWithoutExtensionFindsTheMatFile) {
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  mclLoadConditional(name("ex_pulse"), "s", &s_, static_cast<const char*>(nullptr));
  std::filesystem::current_path(cwd);
  ASSERT_TRUE(s_);
  EXPECT_EQ(s_->v.numel(), 3u);
}

TEST_F(LoadConditional, RelativeNameIsSearchedAlongTheDataPath) {
  kt::TempDir elsewhere;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  setenv("KESTREL_DATA_PATH", ("/nonexistent:" + dir_.path()).c_str(), 1);
  mclLoadConditional(name("ex_pulse"), "cl", &cl_, static_cast<const char*>(nullptr));
  unsetenv("KESTREL_DATA_PATH");
  std::filesystem::current_path(cwd);
  ASSERT_TRUE(cl_);
  EXPECT_EQ(cl_->v.at(0), 2.0);
}

TEST_F(LoadConditional, FailingLoadChangesNothing) {
  // One listed variable is of a class the host does not hold: nothing is stored.
  const std::string bad = dir_.file("bad.mat");
  ASSERT_EQ(kt::runCommand("cp '" + file_ + "' '" + bad + "'"), 0);
  if (kt::runCommand("/usr/bin/python3 -c 'import scipy.io, scipy.sparse; "
                     "scipy.io.savemat(\"" +
                     bad +
                     "\", {\"s\": 5.0, "
                     "\"cl\": scipy.sparse.eye(2)})'") != 0)
    GTEST_SKIP() << "scipy is not available";

  s_ = kh::newHandle(Value::scalar(-7), false);
  std::string msg;
  const bool ok = kh::protect(
      [&] {
        mclLoadConditional(name(bad), "s", &s_, "cl", &cl_, static_cast<const char*>(nullptr));
      },
      &msg);
  EXPECT_FALSE(ok);
  EXPECT_EQ(msg, "Unable to load 'cl' from '" + bad + "': class sparse is not supported.");
  EXPECT_TRUE(kt::sameValue(s_->v, Value::scalar(-7)));
  EXPECT_EQ(cl_, nullptr);
}

TEST_F(LoadConditional, MissingFileRaisesAndReleasesTheName) {
  std::string msg;
  EXPECT_FALSE(kh::protect(
      [&] {
        mclLoadConditional(name(dir_.file("nothing")), "s", &s_, static_cast<const char*>(nullptr));
      },
      &msg));
  EXPECT_EQ(msg,
            "Unable to read file '" + dir_.file("nothing.mat") + "': No such file or directory.");
  EXPECT_EQ(s_, nullptr);
}

}  // namespace
