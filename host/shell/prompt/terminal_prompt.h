// The command window at a terminal: lines are typed in a line editor, with
// history and completion, and run by the shell as they are finished. Ctrl-C
// while a line is typed drops it (and a half-typed block); Ctrl-C while a
// statement runs stops the statement (the signal pipe routes SIGINT to the
// interrupt request), and the prompt comes back.
#pragma once

#include <functional>

#include "host/shell/prompt/line_editor.h"

namespace kh {

class Shell;
class SignalPipe;

class TerminalPrompt {
 public:
  // `wait` blocks until the terminal has input or something else happened
  // (see LineEditor::Wake); `afterLine` runs after every line run.
  TerminalPrompt(Shell& shell, LineEditor::Waiter wait, std::function<void()> afterLine = {});
  // Reads and runs lines until `exit`, the end of input, or a Stop.
  void run();
  // Text is about to be printed while the prompt waits (by a figure's
  // callback): it goes below the half-typed line, which wait then reports
  // as Printed so the editor draws it again.
  void beforeOutput();
  // Whether output came since beforeOutput; stops watching.
  bool afterOutput();

 private:
  Shell& shell_;
  LineEditor editor_;
  std::function<void()> afterLine_;
  bool printed_ = false;
};

// The wait of a prompt without a figure server: the terminal and the
// signals. SIGTERM and SIGHUP set *stop; Stop is returned while it is set.
LineEditor::Wake waitForTerminal(SignalPipe& signals, bool* stop);
// After a line has run: a Ctrl-C that stopped it is spent; SIGTERM and
// SIGHUP set *stop.
void takeSignalsAfterLine(SignalPipe& signals, bool* stop);

// The interactive loop of a terminal without a figure server.
void runTerminalPrompt(Shell& shell);

}  // namespace kh
