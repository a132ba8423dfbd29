#include "host/language/workspace_commands.h"

#include <fnmatch.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "host/builtins/registry.h"
#include "host/context/globals.h"
#include "host/context/output.h"
#include "host/context/warnings.h"
#include "host/core/errors.h"
#include "host/datafile/matfile.h"
#include "host/language/eval_commands.h"
#include "host/language/evaluator.h"
#include "host/loader/registry.h"
#include "host/values/handle.h"

namespace kh {
namespace {

std::string textArg(const Value& v, const char* cmd) {
  if (!v.isChar() || (v.rows() > 1)) raise(std::string("Arguments to ") + cmd + " must be texts.");
  return v.utf8();
}

std::vector<std::string> textArgs(const ValueList& args, const char* cmd) {
  std::vector<std::string> out;
  for (const Value& a : args) out.push_back(textArg(a, cmd));
  return out;
}

void noOutputs(int nargout) {
  if (nargout > 0) raise("Too many output arguments.");
}

// Empties every global value; the names stay bound (the loaded library's
// globals keep their slots, so a later `global` finds them again).
void clearGlobalValues() {
  for (const std::string& n : globalNames()) {
    mxArray** slot = findGlobalSlot(n);
    if (!slot) continue;
    mxArray* old = *slot;
    *slot = nullptr;
    destroyHandle(old);
  }
}

// Whether a name is one of the patterns ("x", "a*", "tmp?"), which match
// as file names do: * any run of characters, ? one, [..] one of a set.
bool matchesAny(const std::string& name, const std::vector<std::string>& patterns) {
  for (const std::string& p : patterns)
    if (fnmatch(p.c_str(), name.c_str(), 0) == 0) return true;
  return false;
}

// The workspace's names that the command's words ask for (all without words).
std::vector<std::string> namesAskedFor(Evaluator& ev, const ValueList& args, const char* cmd) {
  std::vector<std::string> names = ev.workspace().names();
  if (!args.empty()) {
    const std::vector<std::string> wanted = textArgs(args, cmd);
    std::erase_if(names, [&](const std::string& n) { return !matchesAny(n, wanted); });
  }
  return names;
}

ValueList who(Evaluator& ev, int nargout, ValueList& args) {
  std::vector<std::string> names = namesAskedFor(ev, args, "who");
  if (nargout > 0) {
    Value c = Value::cell({names.size(), 1});
    for (std::size_t i = 0; i < names.size(); ++i) c.mutCellAt(i) = Value::str(names[i]);
    return {c};
  }
  if (names.empty()) return {};
  std::size_t w = 0;
  for (const std::string& n : names) w = std::max(w, n.size());
  w += 2;
  const std::size_t perLine = std::max<std::size_t>(1, 76 / w);
  std::string out = "\nYour variables are:\n\n";
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string cell = names[i];
    if ((i + 1) % perLine != 0 && i + 1 != names.size()) cell.resize(w, ' ');
    out += cell;
    if ((i + 1) % perLine == 0 || i + 1 == names.size()) out += "\n";
  }
  emit(out + "\n");
  return {};
}

// The bytes of the data a value holds, its cells' and fields' included;
// walked from a list rather than by recursion, so that any depth is fine.
std::size_t bytesOf(const Value& top) {
  std::size_t b = 0;
  std::vector<const Value*> pending{&top};
  while (!pending.empty()) {
    const Value& v = *pending.back();
    pending.pop_back();
    if (v.isDouble())
      b += v.numel() * (v.isComplex() ? 16 : 8);
    else if (v.isChar())
      b += v.numel() * 2;
    else if (v.isCell())
      for (std::size_t i = 0; i < v.numel(); ++i) pending.push_back(&v.cellAt(i));
    else if (v.isStruct())
      for (std::size_t i = 0; i < v.numel(); ++i)
        for (std::size_t f = 0; f < v.fieldNames().size(); ++f) pending.push_back(&v.fieldAt(i, f));
  }
  return b;
}

ValueList whos(Evaluator& ev, int nargout, ValueList& args) {
  noOutputs(nargout);
  std::vector<std::string> names = namesAskedFor(ev, args, "whos");
  if (names.empty()) return {};
  std::string out = "  Name        Size           Bytes  Class\n\n";
  std::size_t total = 0, elems = 0;
  for (const std::string& n : names) {
    const Value v = *ev.workspace().get(n);
    std::string cls = className(v);
    if (v.isDouble()) cls += v.isLogical() ? " array (logical)" : " array";
    if (v.isDouble() && v.isComplex()) cls += " (complex)";
    if (v.isChar() || v.isCell() || v.isStruct()) cls += " array";
    if (ev.workspace().isGlobal(n)) cls += " (global)";
    char line[256];
    std::snprintf(line, sizeof line, "  %-10s  %-13s  %5zu  %s\n", n.c_str(),
                  dimsText(v.dims()).c_str(), bytesOf(v), cls.c_str());
    out += line;
    total += bytesOf(v);
    elems += v.numel();
  }
  out += "\nGrand total is " + std::to_string(elems) + " element" + (elems == 1 ? "" : "s") +
         " using " + std::to_string(total) + " byte" + (total == 1 ? "" : "s") + "\n\n";
  emit(out);
  return {};
}

ValueList clear(Evaluator& ev, int nargout, ValueList& args) {
  noOutputs(nargout);
  std::vector<std::string> words = textArgs(args, "clear");
  Workspace& ws = ev.workspace();
  if (words.empty() || words[0] == "variables") {
    ws.clear();
    return {};
  }
  if (words[0] == "all" || (words[0] == "global" && words.size() == 1)) {
    ws.clear();
    clearGlobalValues();
    return {};
  }
  if (words[0] == "functions") return {};
  const bool global = words[0] == "global";
  if (global) words.erase(words.begin());
  // Names and patterns: clear x y, clear tmp*, clear global g*.
  std::vector<std::string> names = ws.names();
  if (global) {
    names = globalNames();
    for (const std::string& n : ws.names())
      if (ws.isGlobal(n)) names.push_back(n);
  }
  for (const std::string& n : names) {
    if (!matchesAny(n, words)) continue;
    if (global) {
      if (mxArray** slot = findGlobalSlot(n)) {
        mxArray* old = *slot;
        *slot = nullptr;
        destroyHandle(old);
      }
    }
    ws.erase(n);
  }
  return {};
}

ValueList load(Evaluator& ev, int nargout, ValueList& args) {
  std::vector<std::string> words = textArgs(args, "load");
  if (words.empty()) words.push_back("matlab");
  const std::string file = resolveMatFileName(words[0]);
  const std::vector<std::string> names(words.begin() + 1, words.end());
  NamedValues vars = loadMatFile(file, names);
  for (const std::string& n : names) {
    bool found = false;
    for (const auto& v : vars) found = found || v.first == n;
    if (!found) warn("Variable '" + n + "' not found.");
  }
  if (nargout > 0) {
    std::vector<std::string> fields;
    for (const auto& [n, v] : vars) fields.push_back(n);
    Value s = Value::structArray({1, 1}, fields);
    for (std::size_t i = 0; i < vars.size(); ++i) s.mutFieldAt(0, i) = vars[i].second;
    return {s};
  }
  for (auto& [n, v] : vars) ev.workspace().set(n, std::move(v));
  return {};
}

ValueList save(Evaluator& ev, int nargout, ValueList& args) {
  noOutputs(nargout);
  std::vector<std::string> words = textArgs(args, "save");
  if (words.empty()) words.push_back("matlab");
  const std::string file = resolveMatFileName(words[0]);
  std::vector<std::string> names(words.begin() + 1, words.end());
  if (names.empty()) names = ev.workspace().names();
  NamedValues vars;
  for (const std::string& n : names) {
    std::optional<Value> v = ev.workspace().get(n);
    if (!v) raise("Variable '" + n + "' not found.");
    vars.emplace_back(n, std::move(*v));
  }
  saveMatFile(file, vars);
  return {};
}

ValueList exist(Evaluator& ev, int, ValueList& args) {
  if (args.empty()) raise("Not enough input arguments.");
  const std::string n = textArg(args[0], "exist");
  double code = 0;
  if (ev.workspace().has(n))
    code = 1;
  else if (findLibraryFunction(n, true))
    code = 3;
  else if (findBuiltin(n))
    code = 5;
  return {Value::scalar(code)};
}

ValueList exitCommand(Evaluator& ev, int nargout, ValueList&) {
  noOutputs(nargout);
  ev.requestExit();
  return {};
}

std::map<std::string, CommandEntry, std::less<>>& commands() {
  static std::map<std::string, CommandEntry, std::less<>> table = {
      {"who", {who}},
      {"whos", {whos}},
      {"clear", {clear}},
      {"load", {load}},
      {"save", {save}},
      {"exist", {exist}},
      {"exit", {exitCommand}},
      {"quit", {exitCommand}},
      {"eval", {evalCommand}},
      {"str2num", {str2numCommand}},
      {"input", {inputCommand}},
  };
  return table;
}

std::uint64_t g_generation = 1;

}  // namespace

// A command replaced keeps its entry, so a name resolved to it stays
// good; a new one may shadow what a name was resolved to before.
void registerCommand(const std::string& name, Command fn) {
  commands()[name].fn = std::move(fn);
  ++g_generation;
}

std::uint64_t commandGeneration() { return g_generation; }

const CommandEntry* findCommand(std::string_view name) {
  const auto& table = commands();
  auto it = table.find(name);
  return it == table.end() ? nullptr : &it->second;
}

std::vector<std::string> workspaceCommandNames() {
  std::vector<std::string> names;
  for (const auto& [name, command] : commands()) names.push_back(name);
  return names;
}

}  // namespace kh
