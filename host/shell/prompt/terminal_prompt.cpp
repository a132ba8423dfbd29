#include "host/shell/prompt/terminal_prompt.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "host/context/output.h"
#include "host/core/interrupt.h"
#include "host/shell/prompt/completion.h"
#include "host/shell/prompt/signal_pipe.h"
#include "host/shell/shell.h"

namespace kh {

TerminalPrompt::TerminalPrompt(Shell& shell, LineEditor::Waiter wait,
                               std::function<void()> afterLine)
    : shell_(shell),
      editor_(
          defaultHistoryFile(),
          [&shell](std::string_view line, std::size_t start, std::string_view word) {
            return completionsFor(line, start, word, shell.workspace());
          },
          std::move(wait)),
      afterLine_(std::move(afterLine)) {}

void TerminalPrompt::run() {
  bool fresh = true;  // no block open
  std::string line;
  while (!shell_.exitRequested()) {
    switch (editor_.read(fresh ? ">> " : "   ", &line)) {
      case LineEditor::Result::Ended:
        emit("\n");
        return;
      case LineEditor::Result::Interrupted:
        shell_.dropPendingLines();
        fresh = true;
        emit("\n");
        break;
      case LineEditor::Result::Line:
        editor_.remember(line);
        // A Ctrl-C from the moment the line was read stops what it runs; one
        // that came after the statement's last poll is spent with it.
        fresh = shell_.feedLine(line);
        clearInterrupt();
        if (afterLine_) afterLine_();
        break;
    }
  }
}

void TerminalPrompt::beforeOutput() {
  printed_ = false;
  beforeNextOutput([this] {
    emit("\n");  // below the half-typed line
    printed_ = true;
  });
}

bool TerminalPrompt::afterOutput() {
  beforeNextOutput(nullptr);
  return std::exchange(printed_, false);
}

LineEditor::Wake waitForTerminal(SignalPipe& signals, bool* stop) {
  for (;;) {
    if (*stop) return LineEditor::Wake::Stop;
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {signals.fd(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR) return LineEditor::Wake::Stop;
    bool interrupted = false;
    for (int sig; (sig = signals.next()) != 0;) {
      if (sig != SIGINT) return LineEditor::Wake::Stop;
      interrupted = true;
    }
    if (interrupted) {
      clearInterrupt();
      return LineEditor::Wake::Interrupt;
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) return LineEditor::Wake::Input;
  }
}

void takeSignalsAfterLine(SignalPipe& signals, bool* stop) {
  for (int sig; (sig = signals.next()) != 0;)
    if (sig != SIGINT) *stop = true;
}

void runTerminalPrompt(Shell& shell) {
  SignalPipe signals;
  bool stop = false;
  TerminalPrompt prompt(
      shell, [&] { return waitForTerminal(signals, &stop); },
      [&] { takeSignalsAfterLine(signals, &stop); });
  prompt.run();
}

}  // namespace kh
