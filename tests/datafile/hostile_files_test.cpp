// Damaged, truncated and hostile files (made by make_hostile_files.py) are
// refused with an error that names the file and the variable; nothing of
// them is loaded, through the loader, `load` and the library's load alike.
// Saving never leaves a half-written file or reports a failed write as done.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/context/context.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/datafile/matfile.h"
#include "host/language/workspace.h"
#include "host/shell/shell.h"
#include "host/values/handle.h"
#include "runtime/control.h"
#include "tests/support/temp_dir.h"
#include "tests/support/values.h"

namespace {

using kh::Value;

// The files are made once for the whole suite.
class HostileFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new kt::TempDir;
    std::string out;
    const int rc =
        kt::runCommand(std::string("/usr/bin/python3 '") + KESTREL_SOURCE_DIR +
                           "/tests/datafile/make_hostile_files.py' '" + dir_->path() + "'",
                       &out);
    ASSERT_EQ(rc, 0) << out;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static std::string file(const std::string& name) { return dir_->file(name); }
  // The message of the error loading the file raises ("" when it loads).
  static std::string loadError(const std::string& name) {
    std::string msg;
    kh::protect([&] { kh::loadMatFile(file(name), {}); }, &msg);
    return msg;
  }
  static kt::TempDir* dir_;
};

kt::TempDir* HostileFiles::dir_ = nullptr;

struct Case {
  const char* file;
  const char* variable;  // "" when the fault is not in one variable
  const char* what;
};

TEST_F(HostileFiles, EachIsRefusedWithTheFileAndTheVariableNamed) {
  const Case cases[] = {
      {"text_overread_utf8.mat", "t", "its text holds 4 characters where its size declares 100"},
      {"text_overread_uint8.mat", "t", "its text holds 4 characters where its size declares 100"},
      {"text_overread_uint16.mat", "t", "its text holds 4 characters where its size declares 100"},
      {"text_overread_uint32.mat", "t", "its text holds 4 characters where its size declares 100"},
      {"huge_text.mat", "t", "its text holds 1 character where its size declares 10000000000"},
      {"huge_dims.mat", "x", "its dimensions are too large"},
      {"huge_cell.mat", "c", "it declares 1000000000 cells, more than its data can hold"},
      {"negative_dims.mat", "x", "it declares a negative dimension (-1)"},
      {"complex_no_imag.mat", "z", "it is marked complex but its imaginary part is missing"},
      {"short_data.mat", "x", "its real part holds 3 elements where its size declares 100"},
      {"bad_name_keyword.mat", "", "it holds a variable with the invalid name 'end'"},
      {"bad_name_digit.mat", "", "it holds a variable with the invalid name '1x'"},
      {"bad_name_blank.mat", "", "it holds a variable with the invalid name 'a b'"},
      {"bad_name_empty.mat", "", "it holds a variable with the invalid name ''"},
      {"struct_duplicate_field.mat", "s", "it has the field 'a' twice"},
      {"struct_blank_field.mat", "s", "it has a field with the invalid name 'a b'"},
      {"nested_cells.mat", "c", "it nests cells or structures more than 256 levels deep"},
      {"compressed_short.mat", "x",
       "its real part holds 10 elements where its size declares 1000000"},
      {"compressed_bomb.mat", "x", "its compressed data holds more than the variable it declares"},
      {"unwanted_bomb.mat", "x", "its compressed data is damaged"},
      {"compressed_cut.mat", "x",
       "the file ends early: the variable declares 335 bytes, 315 are present"},
      {"truncated_3000.mat", "e",
       "the file ends early: the variable declares 20048 bytes, 17048 are present"},
      {"truncated_half.mat", "e",
       "the file ends early: the variable declares 20048 bytes, 5900 are present"},
      {"truncated_v4.mat", "e",
       "the file ends early: it declares 50-by-50 elements, and 19900 bytes are present"},
      {"unknown_class_v73.mat", "x", "class 'quaternion' is not supported"},
      {"empty.mat", "", "it is empty"},
      {"folder.mat", "", "it is a folder"},
  };
  for (const Case& c : cases) {
    const std::string expected =
        *c.variable ? "Unable to load '" + std::string(c.variable) + "' from '" + file(c.file) +
                          "': " + c.what + "."
                    : "Unable to read file '" + file(c.file) + "': " + c.what + ".";
    EXPECT_EQ(loadError(c.file), expected) << c.file;
  }
}

TEST_F(HostileFiles, AValidBigEndianFileLoadsItsValues) {
  const kh::NamedValues vars = kh::loadMatFile(file("big_endian.mat"), {});
  ASSERT_EQ(vars.size(), 2u);
  EXPECT_EQ(vars[0].first, "x");
  EXPECT_EQ(kt::valueDifference(vars[0].second, Value::row({1.5, -2, 3e10})), "");
  EXPECT_EQ(vars[1].first, "t");
  EXPECT_EQ(kt::valueDifference(vars[1].second, Value::str("hi")), "");
  // A structure of 2^36 elements without fields holds nothing to read.
  const kh::NamedValues s = kh::loadMatFile(file("struct_no_fields_huge.mat"), {});
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].second.dims(), (kh::Dims{std::size_t{1} << 28, 256}));
  EXPECT_TRUE(s[0].second.fieldNames().empty());
  // The untouched originals of the truncated files load whole.
  EXPECT_EQ(kh::loadMatFile(file("whole.mat"), {}).size(), 3u);
  EXPECT_EQ(kh::loadMatFile(file("whole_v4.mat"), {}).size(), 1u);
}

TEST_F(HostileFiles, AVariableNotAskedForIsNotInflated) {
  // Its stream is damaged past its start: reading the record's two
  // variables must not touch it (it would inflate to 48 MB).
  const kh::NamedValues vars = kh::loadMatFile(file("unwanted_bomb.mat"), {"s", "cl"});
  ASSERT_EQ(vars.size(), 2u);
  EXPECT_EQ(vars[0].first, "s");
  EXPECT_EQ(vars[0].second.numel(), 5000u);
  EXPECT_EQ(vars[1].first, "cl");
  // A variable asked for inflates only up to the memory bound.
  const std::size_t saved = kh::maxArrayBytes();
  kh::setMaxArrayBytes(1 << 20);
  std::string msg;
  kh::protect([&] { kh::loadMatFile(file("unwanted_bomb.mat"), {"x"}); }, &msg);
  kh::setMaxArrayBytes(saved);
  EXPECT_EQ(msg, "Out of memory.");
}

TEST_F(HostileFiles, LoadAtThePromptChangesNothingAndSaysWhy) {
  kh::Shell sh;
  kh::OutputCapture cap;
  sh.run("a = 1; e = 'mine';");
  EXPECT_FALSE(sh.run("load('" + file("truncated_3000.mat") + "')"));
  EXPECT_NE(cap.errors().find("??? Unable to load 'e' from"), std::string::npos) << cap.errors();
  EXPECT_FALSE(sh.workspace().has("c"));
  EXPECT_EQ(kt::valueDifference(*sh.workspace().get("e"), Value::str("mine")), "");
}

TEST_F(HostileFiles, TheLibrarysLoadLeavesItsVariablesAsTheyWere) {
  const std::size_t live = kh::liveHandles();
  mxArray* e = kh::newHandle(Value::scalar(42), false);
  std::string msg;
  const bool ok = kh::protect(
      [&] {
        mclLoadConditional(kh::newTemp(Value::str(file("truncated_half.mat"))), "e", &e,
                           static_cast<const char*>(nullptr));
      },
      &msg);
  EXPECT_FALSE(ok);
  EXPECT_NE(msg.find("Unable to load 'e'"), std::string::npos) << msg;
  EXPECT_TRUE(kt::sameValue(e->v, Value::scalar(42)));
  kh::destroyHandle(e);
  EXPECT_EQ(kh::liveHandles(), live);
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::size_t entries(const std::string& dir) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

TEST(SaveFailures, AFullDeviceIsAnErrorAndNothingIsLeftBehind) {
  kt::TempDir dir;
  std::filesystem::create_symlink("/dev/full", dir.file("full.mat"));
  std::string msg;
  EXPECT_FALSE(kh::protect(
      [&] {
        kh::saveMatFile(dir.file("full.mat"), {{"a", Value::scalar(1)}});
      },
      &msg));
  EXPECT_EQ(msg, "Unable to write file '" + dir.file("full.mat") + "': No space left on device.");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("full.mat")));
  EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(SaveFailures, AWriteThatRunsOutOfRoomLeavesTheOldFileWhole) {
  kt::TempDir dir;
  const std::string f = dir.file("keep.mat");
  kh::saveMatFile(f, {{"a", Value::scalar(1)}});
  const std::string before = contents(f);
  // Files of this process may grow to 4 KiB only, and going past that is an
  // error of the write rather than a signal.
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  auto* previous = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  std::string msg;
  const bool ok = kh::protect(
      [&] {
        kh::saveMatFile(f, {{"a", Value::numeric({100, 100})}});
      },
      &msg);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(ok);
  EXPECT_EQ(msg.rfind("Unable to write file '" + f + "'", 0), 0u) << msg;
  EXPECT_EQ(contents(f), before);
  EXPECT_EQ(entries(dir.path()), 1u);  // no temporary file left
}

TEST(SaveFailures, ALinkToAFileStaysALinkAndThePermissionsStay) {
  kt::TempDir dir;
  const std::string target = dir.file("real.mat"), link = dir.file("link.mat");
  kh::saveMatFile(target, {{"a", Value::scalar(1)}});
  std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
  std::filesystem::create_symlink("real.mat", link);
  kh::saveMatFile(link, {{"b", Value::scalar(2)}});
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  const kh::NamedValues back = kh::loadMatFile(target, {});
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].first, "b");
  EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
}

}  // namespace
