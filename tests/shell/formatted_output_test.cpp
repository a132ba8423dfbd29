// Formatted output to files through the command window: fopen, fprintf to a
// file identifier, fclose, the identifiers given out and refused, what
// happens to a file left open at exit, and the library's fprintf writing to
// a file the command window opened.
#include <fstream>
#include <sstream>

#include "host/core/errors.h"
#include "host/values/handle.h"
#include "runtime/builtins.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string quotedPath(const kt::TempDir& dir, const std::string& name) {
  return "'" + dir.file(name) + "'";
}

class FormattedOutput : public ::testing::Test {
 protected:
  void TearDown() override { kt::runIn(sh, "fclose('all');"); }
  kh::Shell sh;
  kt::TempDir dir;
};

TEST_F(FormattedOutput, WritesFormattedTextToAFile) {
  const kt::Ran r = kt::runIn(sh, "fid = fopen(" + quotedPath(dir, "out.txt") +
                                      ", 'w');\n"
                                      "n = fprintf(fid, '%d,%s\\n', 5, 'ab');\n"
                                      "fprintf(fid, 'x=%g\\n', [1.5 2]);\n"
                                      "st = fclose(fid);");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out, "");  // nothing on the screen
  EXPECT_EQ(kt::numbers(sh, "fid"), std::vector<double>{3});
  EXPECT_EQ(kt::numbers(sh, "n"), std::vector<double>{5});
  EXPECT_EQ(kt::numbers(sh, "st"), std::vector<double>{0});
  EXPECT_EQ(contents(dir.file("out.txt")), "5,ab\nx=1.5\nx=2\n");
  // Appending keeps what is there; 'w' starts over.
  ASSERT_TRUE(kt::runIn(sh, "f = fopen(" + quotedPath(dir, "out.txt") +
                                ", 'at'); fprintf(f, 'more'); fclose(f);")
                  .ok);
  EXPECT_EQ(contents(dir.file("out.txt")), "5,ab\nx=1.5\nx=2\nmore");
  ASSERT_TRUE(kt::runIn(sh, "f = fopen(" + quotedPath(dir, "out.txt") + ", 'w+'); fclose(f);").ok);
  EXPECT_EQ(contents(dir.file("out.txt")), "");
}

TEST_F(FormattedOutput, IdentifiersStartAtThreeAndAreReused) {
  const kt::Ran r = kt::runIn(sh, "a = fopen(" + quotedPath(dir, "a") + ", 'w'); b = fopen(" +
                                      quotedPath(dir, "b") +
                                      ", 'w');\n"
                                      "fclose(a); c = fopen(" +
                                      quotedPath(dir, "c") +
                                      ", 'w'); open = fopen('all');\n"
                                      "[name, mode] = fopen(b);\n"
                                      "st = fclose('all'); after = fopen('all');");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(kt::numbers(sh, "a"), std::vector<double>{3});
  EXPECT_EQ(kt::numbers(sh, "b"), std::vector<double>{4});
  EXPECT_EQ(kt::numbers(sh, "c"), std::vector<double>{3});
  EXPECT_EQ(kt::numbers(sh, "open"), (std::vector<double>{3, 4}));
  EXPECT_EQ(sh.workspace().get("name")->utf8(), dir.file("b"));
  EXPECT_EQ(sh.workspace().get("mode")->utf8(), "w");
  EXPECT_EQ(kt::numbers(sh, "st"), std::vector<double>{0});
  EXPECT_EQ(sh.workspace().get("after")->dims(), (kh::Dims{1, 0}));
}

TEST_F(FormattedOutput, AFileThatCannotBeOpenedGivesMinusOneAndTheReason) {
  ASSERT_TRUE(kt::runIn(sh, "[fid, msg] = fopen(" + quotedPath(dir, "no/such/file") +
                                ", 'r');\n"
                                "[dfid, dmsg] = fopen('" +
                                dir.path() + "');\n[efid, emsg] = fopen('');")
                  .ok);
  EXPECT_EQ(kt::numbers(sh, "fid"), std::vector<double>{-1});
  EXPECT_EQ(sh.workspace().get("msg")->utf8(), "No such file or directory");
  // A folder opens for reading on this system; it is refused all the same.
  EXPECT_EQ(kt::numbers(sh, "dfid"), std::vector<double>{-1});
  EXPECT_EQ(sh.workspace().get("dmsg")->utf8(), "Is a directory");
  EXPECT_EQ(kt::numbers(sh, "efid"), std::vector<double>{-1});
  EXPECT_EQ(sh.workspace().get("emsg")->utf8(), "The file name is empty.");
  // Nothing was opened by the failures.
  ASSERT_TRUE(kt::runIn(sh, "open = fopen('all');").ok);
  EXPECT_TRUE(sh.workspace().get("open")->isEmpty());
}

TEST_F(FormattedOutput, RefusedIdentifiersAndWrites) {
  struct Case {
    std::string code, message;
  };
  std::ofstream(dir.file("in.txt")) << "text";
  const Case cases[] = {
      {"fprintf(7, 'x')", "Invalid file identifier."},
      {"fprintf(0, 'x')", "Invalid file identifier."},
      {"fclose(7)", "Invalid file identifier."},
      {"fclose(2)", "Invalid file identifier."},
      {"fclose('some')", "Invalid file identifier."},
      {"f = fopen(" + quotedPath(dir, "x") + ", 'w'); fclose(f); fprintf(f, 'late')",
       "Invalid file identifier."},
      {"f = fopen(" + quotedPath(dir, "in.txt") + "); fprintf(f, 'x')",
       "Could not write to the file '" + dir.file("in.txt") + "', which is open for reading only."},
      {"fopen(" + quotedPath(dir, "x") + ", 'q')", "Invalid permission 'q'."},
      {"fopen(5, 'w')", "The argument of fopen must be a text."},
      {"fprintf(1, 5)", "The argument of fprintf must be a text."},
  };
  for (const Case& c : cases) {
    const kt::Ran r = kt::runIn(sh, c.code);
    EXPECT_FALSE(r.ok) << c.code;
    EXPECT_EQ(r.err, "??? " + c.message + "\n") << c.code;
  }
  EXPECT_EQ(contents(dir.file("in.txt")), "text");  // the refused write changed nothing
}

TEST_F(FormattedOutput, TheScreenAndTheErrorStreamStayOneAndTwo) {
  const kt::Ran r = kt::runIn(sh,
                              "fprintf('a%d\\n', 1); fprintf(1, 'b\\n'); fprintf(2, 'c\\n'); "
                              "s = sprintf('%d-%d', 1, 2); [t, e] = sprintf('%s', 'x');");
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out, "a1\nb\n");
  EXPECT_EQ(r.err, "c\n");
  EXPECT_EQ(sh.workspace().get("s")->utf8(), "1-2");
  EXPECT_TRUE(sh.workspace().get("e")->isEmpty());
}

TEST_F(FormattedOutput, AFileLeftOpenIsClosedAtExit) {
  const std::string path = dir.file("left.txt");
  std::string out;
  const int status = kt::runCommand(std::string(KESTREL_HOST_PATH) + " --library " +
                                        KESTREL_LIBRARY_PATH + " --eval \"fid = fopen('" + path +
                                        "', 'w'); fprintf(fid, 'kept %d', 42);\"",
                                    &out);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(contents(path), "kept 42");
}

TEST_F(FormattedOutput, TheLibrarysFprintfWritesToTheSameFiles) {
  ASSERT_TRUE(kt::runIn(sh, "fid = fopen(" + quotedPath(dir, "lib.txt") + ", 'w');").ok);
  const double fid = kt::numbers(sh, "fid").at(0);
  mxArray* id = kh::newHandle(kh::Value::scalar(fid), true);
  mxArray* fmt = kh::newHandle(kh::Value::str("from the library %d"), true);
  mxArray* arg = kh::newHandle(kh::Value::scalar(7), true);
  EXPECT_EQ(mlfNFprintf(0, id, fmt, arg, nullptr), nullptr);
  ASSERT_TRUE(kt::runIn(sh, "fclose(fid);").ok);
  EXPECT_EQ(contents(dir.file("lib.txt")), "from the library 7");
  mxArray* closed = kh::newHandle(kh::Value::scalar(fid), true);
  mxArray* fmt2 = kh::newHandle(kh::Value::str("x"), true);
  EXPECT_THROW(mlfNFprintf(0, closed, fmt2, nullptr), kh::MError);
}

}  // namespace
