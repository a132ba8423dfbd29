// A text is read once and its names looked up once: the operator table
// read and written back, and a kept parse or name given up exactly when
// what it depended on has changed.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "host/builtins/registry.h"
#include "host/datafile/data_path.h"
#include "host/language/expr_text.h"
#include "host/language/parser.h"
#include "host/language/workspace_commands.h"
#include "tests/shell/shell_fixture.h"

namespace {

std::string textOf(const std::string& expr) {
  const std::string text = "x = " + expr;
  kh::Parser p(text, [](const std::string&) { return false; });
  const kh::StmtPtr s = p.next();
  return kh::exprText(*s->expr);
}

// Every operator of the table, at each binding strength against its
// neighbours: the text written back brackets exactly what binds more
// weakly, and reads back to itself.
TEST(OperatorTable, EveryOperatorReadsAndWritesBack) {
  const std::pair<const char*, const char*> cases[] = {
      {"a||b&&c", "a || b && c"},
      {"(a||b)&&c", "(a || b) && c"},
      {"a|b&c", "a | b & c"},
      {"(a|b)&c", "(a | b) & c"},
      {"a==b~=c", "a == b ~= c"},
      {"a<b<=c>d>=e", "a < b <= c > d >= e"},
      {"a<(b|c)", "a < (b | c)"},
      {"a+b-c", "a + b - c"},
      {"a-(b-c)", "a - (b - c)"},
      {"a*b/c\\d", "a * b / c \\ d"},
      {"a.*b./c.\\d", "a .* b ./ c .\\ d"},
      {"(a+b)*c", "(a + b) * c"},
      {"a^b.^c", "a ^ b .^ c"},
      {"a^(b^c)", "a ^ (b ^ c)"},
      {"-a^b", "-a ^ b"},
      {"(-a)^b", "(-a) ^ b"},
      {"a^-b", "a ^ -b"},
      {"~a+b", "~a + b"},
      {"+a*-b", "+a * -b"},
      {"a'*b.'", "a' * b.'"},
      {"(a+b)'", "(a + b)'"},
      {"1:n+1", "1:n + 1"},
      {"(1:n)+1", "(1:n) + 1"},
      {"a:b:c", "a:b:c"},
      {"a(1)+b{2}.c", "a(1) + b{2}.c"},
      {"@(t) t+1", "@(t) t + 1"},
  };
  for (const auto& [in, want] : cases) {
    EXPECT_EQ(textOf(in), want) << in;
    EXPECT_EQ(textOf(want), want) << want;
  }
}

// `disp -1` is the command disp('-1') while disp is no variable, and
// disp minus one once it is: the kept parse of the text follows.
TEST(KeptParse, FollowsWhatIsAVariable) {
  kh::Shell sh;
  EXPECT_EQ(kt::runIn(sh, "disp -1").out, "-1\n");
  ASSERT_TRUE(kt::runIn(sh, "disp = 10;").ok);
  EXPECT_EQ(kt::runIn(sh, "disp -1").out, "ans =\n\n     9\n\n");
  ASSERT_TRUE(kt::runIn(sh, "clear disp").ok);
  EXPECT_EQ(kt::runIn(sh, "disp -1").out, "-1\n");
  // Within one text, a statement is read after the one before has run.
  const std::string text = "clear y; y = 1; y -1";
  for (int run = 0; run < 2; ++run) {
    const kt::Ran r = kt::runIn(sh, text);
    EXPECT_EQ(r.out, "ans =\n\n     0\n\n") << run;
  }
  // A parse error is raised again at each run, after what runs before it.
  for (int run = 0; run < 2; ++run) {
    const kt::Ran r = kt::runIn(sh, "z = 7; w = (1 +");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(kt::numbers(sh, "z"), std::vector<double>{7});
    sh.workspace().set("z", kh::Value::scalar(0));
  }
}

// A name found once is found again when what the command window's tables
// hold has changed: a command registered later shadows the built-in the
// name meant.
TEST(KeptName, FollowsTheTables) {
  kh::registerBuiltin("kh_probe_name", [](kh::Call& c) { c.give(kh::Value::scalar(1)); });
  kh::Shell sh;
  const std::string text = "r = kh_probe_name;";
  ASSERT_TRUE(kt::runIn(sh, text).ok);
  EXPECT_EQ(kt::numbers(sh, "r"), std::vector<double>{1});
  kh::registerCommand("kh_probe_name", [](kh::Evaluator&, int, kh::ValueList&) {
    return kh::ValueList{kh::Value::scalar(2)};
  });
  ASSERT_TRUE(kt::runIn(sh, text).ok);
  EXPECT_EQ(kt::numbers(sh, "r"), std::vector<double>{2});
  // A variable of that name comes first, whatever the name was found to be.
  ASSERT_TRUE(kt::runIn(sh, "kh_probe_name = 3;").ok);
  ASSERT_TRUE(kt::runIn(sh, text).ok);
  EXPECT_EQ(kt::numbers(sh, "r"), std::vector<double>{3});
}

// A script is read again when its file changes, and not before.
TEST(KeptScript, IsReadAgainWhenItsFileChanges) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kh_scripts_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  kh::addDataFolder(dir.string());
  const auto write = [&](const char* text) { std::ofstream(dir / "kh_kept_script.m") << text; };
  kh::Shell sh;
  write("q = 1;\n");
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(kt::runIn(sh, "kh_kept_script").ok);
    EXPECT_EQ(kt::numbers(sh, "q"), std::vector<double>{1});
  }
  write("q = 22;\n");
  std::filesystem::last_write_time(
      dir / "kh_kept_script.m",
      std::filesystem::file_time_type::clock::now() + std::chrono::seconds(2));
  ASSERT_TRUE(kt::runIn(sh, "kh_kept_script").ok);
  EXPECT_EQ(kt::numbers(sh, "q"), std::vector<double>{22});
  std::filesystem::remove_all(dir);
}

}  // namespace
