// The command window's help and lookfor commands, over the host's help
// entries and those of the loaded library.
//
//   help            every name with its summary, grouped by area
//   help NAME       the summary, calling forms and description of NAME
//   lookfor WORD    the names whose name, summary or description holds WORD
//
// With an output (t = help('polyfit')) the text is returned instead of shown.
// Both are commands of the language, registered here.
#include <algorithm>
#include <array>
#include <cctype>
#include <map>

#include "host/builtins/registry.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/language/evaluator.h"
#include "host/language/workspace_commands.h"
#include "host/loader/registry.h"
#include "host/shell/help/help_sources.h"

namespace kh {
namespace {

constexpr std::size_t kWidth = 80;

// The areas in the order `help` lists them; an area not named here comes
// after these, in alphabetical order.
constexpr std::array<std::string_view, 15> kGroupOrder = {
    "Command window",
    "Language",
    "Arrays and construction",
    "Arithmetic and elementary math",
    "Reductions and statistics",
    "Linear algebra",
    "Polynomials",
    "Signal processing",
    "Text",
    "Cells and structures",
    "Functions and errors",
    "Files",
    "Graphics",
    "Figure events",
    "The pulse editor",
};

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Every entry that help knows: the loaded library's first, then the host's.
// A name both have is the library's (it is the one a call reaches), so the
// host's entry loses it.
std::vector<HelpEntry> knownEntries() {
  std::vector<HelpEntry> all = loadedLibraryHelp().entries;
  const std::size_t fromLibrary = all.size();
  std::vector<HelpEntry> host = hostHelp().entries;
  host.insert(host.end(), addedHelp().entries.begin(), addedHelp().entries.end());
  for (HelpEntry e : host) {
    std::erase_if(e.names, [&](const std::string& n) {
      return std::any_of(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(fromLibrary),
                         [&](const HelpEntry& l) {
                           return std::find(l.names.begin(), l.names.end(), n) != l.names.end();
                         });
    });
    if (!e.names.empty()) all.push_back(std::move(e));
  }
  return all;
}

std::string label(const HelpEntry& e) {
  std::string s;
  for (const std::string& n : e.names) s += (s.empty() ? "" : ", ") + n;
  return s;
}

// `text` after `lead`, its words wrapped at kWidth; continuation lines start
// at column `indent`.
std::string wrapped(std::string lead, std::string_view text, std::size_t indent) {
  std::string out;
  std::string line = std::move(lead);
  bool first = true;
  std::size_t k = 0;
  while (k < text.size()) {
    const std::size_t end = std::min(text.find(' ', k), text.size());
    const std::string_view word = text.substr(k, end - k);
    k = end + 1;
    if (word.empty()) continue;
    if (!first && line.size() + 1 + word.size() > kWidth) {
      out += line + "\n";
      line = std::string(indent, ' ');
      first = true;
    }
    if (!first) line += ' ';
    line += word;
    first = false;
  }
  return out + line + "\n";
}

// Lines "  NAME   summary" with the summaries in one column.
std::string listing(std::vector<const HelpEntry*> entries) {
  std::sort(entries.begin(), entries.end(), [](const HelpEntry* a, const HelpEntry* b) {
    return std::pair(lowered(a->names[0]), a->names[0]) <
           std::pair(lowered(b->names[0]), b->names[0]);
  });
  constexpr std::size_t kMaxName = 16;
  std::size_t width = 0;
  for (const HelpEntry* e : entries)
    if (label(*e).size() <= kMaxName) width = std::max(width, label(*e).size());
  const std::size_t column = 2 + width + 2;
  std::string out;
  for (const HelpEntry* e : entries) {
    std::string lead = "  " + label(*e);
    if (lead.size() + 2 > column) {
      out += lead + "\n";
      lead.clear();
    }
    lead.resize(column, ' ');
    out += wrapped(lead, e->summary, column);
  }
  return out;
}

std::string entryText(const HelpEntry& e) {
  std::string out = "\n" + wrapped(label(e) + "  ", e.summary, label(e).size() + 2);
  if (!e.forms.empty()) {
    out += "\n";
    for (const std::string& f : e.forms) out += "  " + f + "\n";
  }
  if (!e.description.empty()) {
    out += "\n";
    for (const std::string& d : e.description) out += d.empty() ? "\n" : "  " + d + "\n";
  }
  return out + "\n";
}

std::size_t groupRank(const std::string& group) {
  const auto it = std::find(kGroupOrder.begin(), kGroupOrder.end(), group);
  return static_cast<std::size_t>(it - kGroupOrder.begin());
}

std::string overview() {
  const std::vector<HelpEntry> all = knownEntries();
  std::map<std::string, std::vector<const HelpEntry*>> groups;
  for (const HelpEntry& e : all) groups[e.group].push_back(&e);
  std::vector<std::string> names;
  for (const auto& [g, entries] : groups) names.push_back(g);
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return groupRank(a) < groupRank(b);
  });
  std::string out =
      "\nhelp NAME describes one of the names below; lookfor WORD searches their texts.\n";
  for (const std::string& g : names) out += "\n" + g + "\n" + listing(groups[g]);
  return out + "\n";
}

bool isLibraryFunction(const std::string& name) {
  return findLibraryFunction(name, true) != nullptr;
}

std::string helpOn(Evaluator& ev, const std::string& name) {
  const std::vector<HelpEntry> all = knownEntries();
  const HelpEntry* e = findEntry(all, name);
  const bool variable = ev.workspace().has(name);
  if (e) {
    std::string out = entryText(*e);
    if (variable) out.insert(1, "'" + name + "' is a variable here; it hides what follows.\n");
    return out;
  }
  if (variable) return "No help for '" + name + "': it is a variable.\n";
  if (isLibraryFunction(name))
    return "No help for '" + name + "': the library has no help text for it.\n";
  if (findBuiltin(name)) return "No help for '" + name + "': it is a built-in without help.\n";
  return "No help for '" + name + "'.\n";
}

std::vector<std::string> textArgs(const ValueList& args, const char* cmd) {
  std::vector<std::string> out;
  for (const Value& a : args) {
    if (!a.isChar() || a.rows() > 1) raise(std::string("Arguments to ") + cmd + " must be texts.");
    out.push_back(a.utf8());
  }
  return out;
}

ValueList shown(int nargout, const std::string& text) {
  if (nargout > 1) raise("Too many output arguments.");
  if (nargout == 1) return {Value::str(text)};
  emit(text);
  return {};
}

bool mentions(const HelpEntry& e, const std::string& word) {
  std::string text = lowered(label(e) + " " + e.summary);
  for (const std::string& d : e.description) {
    const std::size_t a = d.find_first_not_of(' ');
    if (a != std::string::npos) text += " " + lowered(d.substr(a));
  }
  return text.find(word) != std::string::npos;
}

ValueList helpCommand(Evaluator& ev, int nargout, ValueList& args) {
  const std::vector<std::string> names = textArgs(args, "help");
  if (names.empty()) return shown(nargout, overview());
  std::string text;
  for (const std::string& n : names) text += helpOn(ev, n);
  return shown(nargout, text);
}

ValueList lookforCommand(Evaluator&, int nargout, ValueList& args) {
  const std::vector<std::string> words = textArgs(args, "lookfor");
  std::string phrase;
  for (const std::string& w : words) phrase += (phrase.empty() ? "" : " ") + w;
  if (phrase.find_first_not_of(' ') == std::string::npos)
    raise("lookfor needs a word to look for.");
  const std::vector<HelpEntry> all = knownEntries();
  std::vector<const HelpEntry*> found;
  for (const HelpEntry& e : all)
    if (mentions(e, lowered(phrase))) found.push_back(&e);
  if (found.empty()) return shown(nargout, "Nothing found for '" + phrase + "'.\n");
  return shown(nargout, "\n" + listing(found) + "\n");
}

const bool kRegistered =
    (registerCommand("help", helpCommand), registerCommand("lookfor", lookforCommand), true);

}  // namespace
}  // namespace kh
