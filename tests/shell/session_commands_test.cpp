// The commands a session leans on beside arrays: eval, str2num and input
// through the evaluator; clear, who and whos with name patterns; the
// current folder and its listings; the stopwatch; isvarname. Each case runs
// in a fresh shell and checks the variables it leaves (all must be 1).
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tests/shell/shell_fixture.h"

namespace {

struct Case {
  const char* text;  // leaves ok = 1 when right
};

class Session : public ::testing::TestWithParam<Case> {};

TEST_P(Session, LeavesOk) {
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, GetParam().text);
  ASSERT_TRUE(r.ok) << GetParam().text << "\n" << r.err;
  EXPECT_EQ(kt::numbers(sh, "ok"), std::vector<double>{1}) << GetParam().text << "\n" << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Session,
    ::testing::Values(
        Case{"x = eval('1 + 2'); ok = x == 3;"}, Case{"eval('a = 4; b = a * 2;'); ok = b == 8;"},
        Case{"eval('error(''no'')', 'c = 5;'); ok = c == 5;"},
        Case{"try, eval('1 +'); ok = 0; catch, ok = 1; end"},
        Case{"[v, t] = str2num('1 2; 3 4'); ok = isequal(v, [1 2; 3 4]) && t;"},
        Case{"[v, t] = str2num('[1e3 -Inf pi/2]'); ok = isequal(v, [1000 -Inf pi/2]) && t;"},
        Case{"[v, t] = str2num('two'); ok = isempty(v) && ~t;"},
        Case{"[v, t] = str2num('''text'''); ok = isempty(v) && ~t;"},
        Case{"[v, t] = str2num(['1 2'; '3 4']); ok = isequal(v, [1 2; 3 4]) && t;"},
        Case{"ab1 = 1; ab2 = 2; abcd = 3; b = 4; clear ab?; ok = ~exist('ab1') && "
             "~exist('ab2') && exist('abcd') == 1 && exist('b') == 1;"},
        Case{"x1 = 1; x2 = 2; y = 3; clear x*; w = who; ok = isequal(w, {'y'});"},
        Case{"p1 = 1; q = 2; w = who('p*'); ok = isequal(w, {'p1'});"},
        Case{"ok = isvarname('a_1') && ~isvarname('1a') && ~isvarname('for') && "
             "~isvarname(5) && ~isvarname('a b');"},
        Case{"t = tic; e = toc(t); ok = e >= 0 && e < 10;"},
        Case{"tic; e = toc; ok = e >= 0 && e < 10;"},
        Case{"try, toc(-1); ok = 0; catch, ok = 1; end"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(SessionFolders, CdPwdLsAndDirAgree) {
  namespace fs = std::filesystem;
  const fs::path back = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / ("kestrel-session-" + std::to_string(getpid()));
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "a.mat") << "12345";
  std::ofstream(dir / "b.txt") << "1";
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, "cd('" + dir.string() +
                                      "'); p = pwd; d = dir('*.mat'); n = ls; all = dir; "
                                      "ok = numel(d) == 1 && strcmp(d(1).name, 'a.mat') && "
                                      "d(1).bytes == 5 && ~d(1).isdir && numel(n) == 3 && "
                                      "numel(all) == 3 && all(3).isdir;");
  fs::current_path(back);
  EXPECT_TRUE(r.ok) << r.err;
  EXPECT_EQ(kt::numbers(sh, "ok"), std::vector<double>{1});
  EXPECT_EQ(sh.workspace().get("p")->utf8(), dir.string());
  const kt::Ran shown = kt::runIn(sh, "ls " + dir.string());
  EXPECT_EQ(shown.out, "\na.mat  b.txt  sub/\n\n");
  const kt::Ran bad = kt::runIn(sh, "cd /no/such/folder");
  EXPECT_EQ(bad.err,
            "??? Cannot change to the folder '/no/such/folder': No such file or directory.\n");
  EXPECT_EQ(fs::current_path(), back);
  fs::remove_all(dir);
}

TEST(SessionInput, EvaluatesOrKeepsTheTypedLine) {
  std::istringstream typed("3 * 4\nhello there\n\n");
  std::streambuf* saved = std::cin.rdbuf(typed.rdbuf());
  kh::Shell sh;
  const kt::Ran r = kt::runIn(sh, "a = input('n? '); b = input('s? ', 's'); c = input('');");
  std::cin.rdbuf(saved);
  ASSERT_TRUE(r.ok) << r.err;
  EXPECT_EQ(r.out, "n? s? ");
  EXPECT_EQ(kt::numbers(sh, "a"), std::vector<double>{12});
  EXPECT_EQ(sh.workspace().get("b")->utf8(), "hello there");
  EXPECT_TRUE(sh.workspace().get("c")->isEmpty());
}

}  // namespace
