// help and lookfor, with the library loaded: every built-in, command, word
// and registered library function has help; help alone lists them all by
// area; lookfor searches without regard to case; names without help say so.
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "host/builtins/registry.h"
#include "host/context/globals.h"
#include "host/language/workspace_commands.h"
#include "host/loader/registry.h"
#include "host/shell/help/help_sources.h"
#include "host/values/names.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/library.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

class Help : public ::testing::Test {
 protected:
  void SetUp() override {
    kh::LoadedLibrary* lib = kt::library();
    ASSERT_NE(lib, nullptr);
    // Other tests of this program install stand-in tables; put the library's back.
    kh::setLibraryFunctionTable(lib->descriptor().file_function_table,
                                lib->descriptor().file_function_table_length);
  }
  void TearDown() override { kh::clearGlobals(); }

  static std::vector<std::string> libraryRows() {
    std::vector<std::string> names;
    int n = 0;
    const mexFunctionTableEntry* rows = kh::libraryFunctionTable(&n);
    for (int i = 0; i < n; ++i) names.emplace_back(rows[i].name);
    return names;
  }
  // Every name the host itself answers to: built-ins, commands and words.
  static std::vector<std::string> hostNames() {
    std::vector<std::string> names = kh::builtinNames();
    for (const std::string& c : kh::workspaceCommandNames()) names.push_back(c);
    for (std::string_view w : kh::keywords()) names.emplace_back(w);
    return names;
  }

  kh::Shell sh;
};

TEST_F(Help, EveryBuiltinCommandWordAndLibraryFunctionHasHelp) {
  const kh::HelpText& host = kh::hostHelp();
  const kh::HelpText lib = kh::loadedLibraryHelp();
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors);
  EXPECT_TRUE(lib.errors.empty()) << ::testing::PrintToString(lib.errors);
  const std::vector<std::string> rows = libraryRows();
  ASSERT_EQ(rows.size(), 28u);

  // The host's own entries cover the host's names, the library's file its rows.
  for (const std::string& n : hostNames())
    EXPECT_NE(kh::findEntry(host.entries, n), nullptr) << "no help for the host's " << n;
  for (const std::string& n : rows)
    EXPECT_NE(kh::findEntry(lib.entries, n), nullptr) << "no help for the library's " << n;

  // And describe nothing else: an entry for a name that went away is stale.
  const std::vector<std::string> known = hostNames();
  for (const kh::HelpEntry& e : host.entries)
    for (const std::string& n : e.names)
      EXPECT_NE(std::find(known.begin(), known.end(), n), known.end()) << "stale help: " << n;
  for (const kh::HelpEntry& e : lib.entries)
    for (const std::string& n : e.names)
      EXPECT_NE(std::find(rows.begin(), rows.end(), n), rows.end()) << "stale help: " << n;

  // Every entry shows how it is called, by one of its own names.
  for (const auto* text : {&host, &lib})
    for (const kh::HelpEntry& e : text->entries) {
      EXPECT_FALSE(e.forms.empty()) << e.names[0] << " has no calling forms";
      for (const std::string& f : e.forms)
        EXPECT_TRUE(
            std::any_of(e.names.begin(), e.names.end(),
                        [&](const std::string& n) { return f.find(n) != std::string::npos; }))
            << e.names[0] << ": form '" << f << "' names none of the entry's names";
    }

  // Every name under "See also" has help of its own.
  for (const auto* text : {&host, &lib})
    for (const kh::HelpEntry& e : text->entries) {
      std::string joined;
      for (const std::string& d : e.description) joined += d + " ";
      for (std::size_t at = joined.find("See also "); at != std::string::npos;
           at = joined.find("See also ", at + 1)) {
        const std::size_t from = at + 9, to = joined.find('.', from);
        std::istringstream refs(joined.substr(from, to - from));
        for (std::string n; std::getline(refs, n, ',');) {
          n.erase(0, n.find_first_not_of(' '));
          n.erase(n.find_last_not_of(' ') + 1);
          EXPECT_TRUE(kh::findEntry(host.entries, n) || kh::findEntry(lib.entries, n))
              << e.names[0] << " refers to '" << n << "', which has no help";
        }
      }
    }

  // Through the command window, for every one of them.
  std::vector<std::string> all = hostNames();
  all.insert(all.end(), rows.begin(), rows.end());
  for (const std::string& n : all) {
    const kt::Ran r = kt::runIn(sh, "help " + n);
    ASSERT_TRUE(r.ok) << n << ": " << r.err;
    EXPECT_FALSE(r.out.starts_with("No help")) << r.out;
    EXPECT_NE(r.out.find(n), std::string::npos) << n;
    for (const std::string& l : lines(r.out)) EXPECT_LE(l.size(), 80u) << n << ": " << l;
  }
}

TEST_F(Help, HelpAloneListsEveryNameOnceUnderItsArea) {
  const kt::Ran r = kt::runIn(sh, "help");
  ASSERT_TRUE(r.ok) << r.err;
  std::vector<std::string> groups;
  std::map<std::string, int> listed;
  std::map<std::string, std::string> groupOf;
  std::string group;
  for (const std::string& l : lines(r.out)) {
    EXPECT_LE(l.size(), 80u) << l;
    if (l.empty() || l.starts_with("help NAME")) continue;
    if (l[0] != ' ') {
      group = l;
      groups.push_back(l);
      continue;
    }
    if (l.starts_with("   ")) continue;  // a summary's continuation
    std::string label = l.substr(2, l.find("  ", 2) - 2);
    std::istringstream names(label);
    for (std::string n; std::getline(names, n, ',');) {
      n.erase(0, n.find_first_not_of(' '));
      ++listed[n];
      groupOf[n] = group;
    }
  }
  for (const char* g :
       {"Command window", "Language", "Arrays and construction", "Arithmetic and elementary math",
        "Reductions and statistics", "Linear algebra", "Polynomials", "Signal processing", "Text",
        "Cells and structures", "Functions and errors", "Files", "Graphics", "The pulse editor"})
    EXPECT_NE(std::find(groups.begin(), groups.end(), g), groups.end()) << "no area " << g;
  EXPECT_EQ(std::set<std::string>(groups.begin(), groups.end()).size(), groups.size());

  std::vector<std::string> all = hostNames();
  for (const std::string& n : libraryRows()) all.push_back(n);
  for (const std::string& n : all) EXPECT_EQ(listed[n], 1) << n;
  EXPECT_EQ(listed.size(), std::set<std::string>(all.begin(), all.end()).size());
  EXPECT_EQ(groupOf["polyfit"], "Polynomials");
  EXPECT_EQ(groupOf["kestrel"], "The pulse editor");
  EXPECT_EQ(groupOf["who"], "Command window");

  // Sorted within an area.
  const std::string out = r.out;
  EXPECT_LT(out.find("\n  polyfit "), out.find("\n  polyval "));
  EXPECT_LT(out.find("\n  abs "), out.find("\n  ceil "));
}

TEST_F(Help, LookforSearchesNamesSummariesAndDescriptionsWithoutCase) {
  const kt::Ran lower = kt::runIn(sh, "lookfor window");
  const kt::Ran upper = kt::runIn(sh, "lookfor WINDOW");
  ASSERT_TRUE(lower.ok) << lower.err;
  EXPECT_EQ(lower.out, upper.out);
  EXPECT_NE(lower.out.find("\n  hanning "), std::string::npos) << lower.out;
  EXPECT_NE(lower.out.find("\n  disp "), std::string::npos) << lower.out;  // "command window"
  EXPECT_EQ(lower.out.find("\n  zeros "), std::string::npos) << lower.out;

  // A phrase of several words, and a word found only in a name.
  const kt::Ran phrase = kt::runIn(sh, "lookfor least squares");
  EXPECT_NE(phrase.out.find("\n  polyfit "), std::string::npos) << phrase.out;
  EXPECT_NE(kt::runIn(sh, "lookfor NORMEST").out.find("\n  normest1 "), std::string::npos);

  EXPECT_EQ(kt::runIn(sh, "lookfor qqzzyx").out, "Nothing found for 'qqzzyx'.\n");
  const kt::Ran none = kt::runIn(sh, "lookfor");
  EXPECT_FALSE(none.ok);
  EXPECT_EQ(none.err, "??? lookfor needs a word to look for.\n");
}

TEST_F(Help, NamesWithoutHelpSayWhatTheyAre) {
  struct Case {
    const char* text;
    const char* out;
  };
  const Case cases[] = {
      {"x = 1; help x", "No help for 'x': it is a variable.\n"},
      {"help no_such_name", "No help for 'no_such_name'.\n"},
      {"help('no_such_name')", "No help for 'no_such_name'.\n"},
      {"help kestrel/pulse_estimate",
       "No help for 'kestrel/pulse_estimate': the library has no help text for it.\n"},
  };
  for (const Case& c : cases) {
    const kt::Ran r = kt::runIn(sh, c.text);
    EXPECT_TRUE(r.ok) << c.text << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.text;
  }
  // A variable that hides a function says so above the function's help.
  const kt::Ran hidden = kt::runIn(sh, "pi = 3; help pi");
  EXPECT_TRUE(hidden.out.starts_with("\n'pi' is a variable here; it hides what follows.\npi"))
      << hidden.out;

  // With an output the text is returned, not shown; arguments must be texts.
  const kt::Ran returned = kt::runIn(sh, "t = help('polyval');");
  EXPECT_TRUE(returned.ok) << returned.err;
  EXPECT_EQ(returned.out, "");
  EXPECT_NE(sh.workspace().get("t")->utf8().find("y = polyval(p, x)"), std::string::npos);
  EXPECT_EQ(kt::runIn(sh, "help(3)").err, "??? Arguments to help must be texts.\n");
}

std::string hostRun(const std::string& library, const std::string& text) {
  std::string out;
  const int status = kt::runCommand(
      std::string(KESTREL_HOST_PATH) + " --library " + library + " --eval \"" + text + "\" 2>&1",
      &out);
  EXPECT_EQ(status, 0) << out;
  return out;
}

TEST(HelpEndToEnd, HelpPolyfitThroughTheHost) {
  const std::string out = hostRun(KESTREL_LIBRARY_PATH, "help polyfit");
  const std::vector<std::string> l = lines(out);
  ASSERT_GE(l.size(), 6u) << out;
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], "polyfit  Fit a polynomial to data by least squares.");
  EXPECT_EQ(l[2], "");
  EXPECT_EQ(l[3], "  p = polyfit(x, y, n)");
  EXPECT_EQ(l[4], "  [p, S] = polyfit(x, y, n)");
  EXPECT_EQ(l[5], "  [p, S, mu] = polyfit(x, y, n)");
  EXPECT_NE(out.find("See also polyval"), std::string::npos) << out;
}

TEST(HelpEndToEnd, ALibraryWithoutAHelpFileHasNoHelpForItsFunctions) {
  // The same library under another name, with no help file beside it.
  kt::TempDir dir;
  const std::string copy = dir.file("other_mex.so");
  std::filesystem::copy_file(KESTREL_LIBRARY_PATH, copy);
  EXPECT_EQ(kh::libraryHelpPath(copy), dir.file("other_mex.help"));
  EXPECT_EQ(hostRun(copy, "help polyfit"),
            "No help for 'polyfit': the library has no help text for it.\n");
  const std::string all = hostRun(copy, "help");
  EXPECT_EQ(all.find("Polynomials"), std::string::npos);
  EXPECT_NE(all.find("\n  zeros "), std::string::npos);
}

}  // namespace
