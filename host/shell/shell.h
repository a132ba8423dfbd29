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

  Workspace& workspace();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kh
