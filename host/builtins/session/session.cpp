// Built-ins about the session rather than arrays: the stopwatch (tic, toc),
// the current folder (pwd, cd), folder listings (ls, dir) and isvarname.
#include "host/builtins/session/session.h"

#include <fnmatch.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/core/text.h"
#include "host/values/names.h"

namespace kh::builtin {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Microseconds since the clock's start: what `t = tic` hands out and toc(t)
// takes back.
double nowMicros() {
  return static_cast<double>(
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
          .count());
}

double lastTic = -1;

std::string wordArg(const Value& v, const char* fn) {
  if (!v.isChar() || (v.rows() > 1 && !v.isEmpty()))
    raise(std::string("The argument of ") + fn + " must be a text.");
  return v.utf8();
}

}  // namespace

void tic(Call& call) {
  call.counts(0, 0);
  const double t = nowMicros();
  if (call.nargout() > 0) return giveAll(call, {Value::scalar(t)});
  lastTic = t;
  return;
}

void toc(Call& call) {
  const Values args = call.args();
  call.counts(0, 1);
  double start = lastTic;
  if (!args.empty()) {
    if (!args[0].isDouble() || args[0].numel() != 1 || !(args[0].re()[0] >= 0))
      raise("The argument of toc must be a value that tic returned.");
    start = args[0].re()[0];
  } else if (start < 0) {
    raise("toc needs a stopwatch started by tic.");
  }
  const double seconds = (nowMicros() - start) / 1e6;
  if (call.nargout() > 0) return giveAll(call, {Value::scalar(seconds)});
  char line[64];
  std::snprintf(line, sizeof line, "Elapsed time is %.6f seconds.\n", seconds);
  emit(line);
  return;
}

void pwd(Call& call) {
  call.counts(0, 0);
  std::error_code ec;
  const fs::path here = fs::current_path(ec);
  if (ec) raise("The current folder cannot be read: " + ec.message() + ".");
  return giveAll(call, {Value::str(here.string())});
}

// cd: shows the current folder; cd DIR goes there (~ is the home folder).
void cd(Call& call) {
  const Values args = call.args();
  call.counts(0, 1);
  std::error_code ec;
  if (!args.empty()) {
    std::string dir = wordArg(args[0], "cd");
    if (dir == "~" || dir.starts_with("~/")) {
      const char* home = std::getenv("HOME");
      if (!home) raise("There is no home folder to go to.");
      dir = std::string(home) + dir.substr(1);
    }
    fs::current_path(dir, ec);
    if (ec) raise("Cannot change to the folder '" + printable(dir) + "': " + ec.message() + ".");
    if (call.nargout() == 0) return;
  }
  const fs::path here = fs::current_path(ec);
  if (ec) raise("The current folder cannot be read: " + ec.message() + ".");
  if (call.nargout() == 0) {
    std::string shown = here.string();
    shown.insert(0, 1, '\n');
    shown.append("\n\n");
    emit(shown);
    return;
  }
  return giveAll(call, {Value::str(here.string())});
}

namespace {

struct Entry {
  std::string name;
  bool dir = false;
  std::uintmax_t bytes = 0;
};

// The entries a listing shows: a folder's contents (without . files), or
// the names that match a pattern such as "*.mat" or "data/x?.mat".
std::vector<Entry> listing(const std::string& what, std::string* folder) {
  std::error_code ec;
  fs::path dir = what.empty() ? fs::path(".") : fs::path(what);
  std::string pattern = "*";
  if (!what.empty() && !fs::is_directory(dir, ec)) {
    pattern = dir.filename().string();
    dir = dir.parent_path().empty() ? fs::path(".") : dir.parent_path();
  }
  std::vector<Entry> out;
  fs::directory_iterator it(dir, ec);
  if (ec)
    raise("Cannot list '" + printable(what.empty() ? "." : what) + "': " + ec.message() + ".");
  for (fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const std::string name = it->path().filename().string();
    if (name.starts_with(".") && !pattern.starts_with(".")) continue;
    if (fnmatch(pattern.c_str(), name.c_str(), 0) != 0) continue;
    Entry e{name, it->is_directory(ec), 0};
    if (!e.dir) e.bytes = it->file_size(ec);
    out.push_back(e);
  }
  std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  if (folder) *folder = fs::absolute(dir, ec).lexically_normal().string();
  return out;
}

// Names in columns across an 80-column line, folders marked with '/'.
void showNames(const std::vector<Entry>& entries) {
  if (entries.empty()) return;
  std::size_t w = 0;
  for (const Entry& e : entries) w = std::max(w, e.name.size() + (e.dir ? 1 : 0));
  w += 2;
  const std::size_t perLine = std::max<std::size_t>(1, 80 / w);
  std::string out = "\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string cell = printable(entries[i].name) + (entries[i].dir ? "/" : "");
    const bool last = (i + 1) % perLine == 0 || i + 1 == entries.size();
    if (!last) cell.resize(std::max(cell.size(), w), ' ');
    out += cell + (last ? "\n" : "");
  }
  emit(out + "\n");
}

void list(Call& call, const char* fn, bool structs) {
  const Values args = call.args();
  call.counts(0, 1);
  std::string folder;
  const std::vector<Entry> entries = listing(args.empty() ? "" : wordArg(args[0], fn), &folder);
  if (call.nargout() == 0) {
    showNames(entries);
    return;
  }
  if (!structs) {
    // ls with an output: the names as a column cell.
    Value c = Value::cell({entries.size(), 1});
    for (std::size_t i = 0; i < entries.size(); ++i) c.mutCellAt(i) = Value::str(entries[i].name);
    return giveAll(call, {c});
  }
  Value s = Value::structArray({entries.size(), 1}, {"name", "folder", "bytes", "isdir"});
  for (std::size_t i = 0; i < entries.size(); ++i) {
    s.mutFieldAt(i, 0) = Value::str(entries[i].name);
    s.mutFieldAt(i, 1) = Value::str(folder);
    s.mutFieldAt(i, 2) = Value::scalar(static_cast<double>(entries[i].bytes));
    Value d = Value::scalar(entries[i].dir ? 1 : 0);
    d.setLogical(true);
    s.mutFieldAt(i, 3) = d;
  }
  return giveAll(call, {s});
}

}  // namespace

void ls(Call& call) { list(call, "ls", false); }
void dir(Call& call) { list(call, "dir", true); }

void isvarname(Call& call) {
  const Values args = call.args();
  call.counts(1, 1);
  const bool ok = args[0].isChar() && args[0].rows() == 1 && isValidName(args[0].utf8());
  Value r = Value::scalar(ok ? 1 : 0);
  r.setLogical(true);
  return giveAll(call, {r});
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("tic", tic);
  registerBuiltin("toc", toc);
  registerBuiltin("pwd", pwd);
  registerBuiltin("cd", cd);
  registerBuiltin("ls", ls);
  registerBuiltin("dir", dir);
  registerBuiltin("isvarname", isvarname);
  return true;
}();
}  // namespace

}  // namespace kh::builtin
