// The command window: a small language over host values. Text is run
// statement by statement; names resolve to variables, then the loaded
// library's registered functions, then host built-ins.
#pragma once

#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace kh {

class Workspace;

class Shell {
 public:
  Shell();
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  // Runs text (one or more lines of statements). An error prints "??? " and
  // its message on the error stream and stops the text; returns false then.
  bool run(std::string_view text);
  // Runs a script file; false on the first error (or when it cannot be read).
  bool runFile(const std::string& path);
  // Interactive prompt: reads lines from in until end of input or `exit`/`quit`;
  // errors are reported and the prompt continues.
  void interact(std::istream& in, bool showPrompt);
  // One line typed at the prompt: runs what it completes, or keeps it until
  // a block or bracket it opens is closed. True when nothing waits for more
  // lines (the next prompt is a fresh one).
  bool feedLine(std::string_view line);
  // Forgets a half-typed block (the prompt was interrupted).
  void dropPendingLines();
  // Whether the last text run asked to leave (`exit` or `quit`).
  bool exitRequested() const;

  Workspace& workspace();

 private:
  friend bool runCallbackText(std::string_view text);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Runs a callback text (a graphics object's "ButtonDownFcn" such as
// "kestrel start2") the way the prompt runs a line: in the workspace of the
// most recently created shell still alive, or of a fresh one when there is
// none. An error is reported as "??? message" and false is returned.
bool runCallbackText(std::string_view text);

}  // namespace kh
