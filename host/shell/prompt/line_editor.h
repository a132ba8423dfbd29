// Line editing at a terminal prompt, through libedit: the arrow keys move
// in the line and through the history, Ctrl-R searches the history
// backwards, Tab completes. The history is kept in a file across sessions,
// bounded to its last kHistoryLines lines.
//
// While the prompt waits, the editor asks its wait function what comes
// next, so the prompt's owner can serve other inputs (a figure page, the
// signals) in the meantime. A line is returned with the terminal back in its
// normal state: a running statement prints as usual and Ctrl-C raises
// SIGINT.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct editline;
struct history;

namespace kh {

class LineEditor {
 public:
  static constexpr int kHistoryLines = 1000;

  // The names that may complete `word`, which starts at `start` in `line`;
  // nullopt asks for file names instead.
  using Completer = std::function<std::optional<std::vector<std::string>>(
      std::string_view line, std::size_t start, std::string_view word)>;
  // What the wait at the prompt ended with: the terminal has input; Ctrl-C;
  // output was printed below the line (which is then drawn again); or a
  // reason to stop reading (treated as the end of input).
  enum class Wake { Input, Interrupt, Printed, Stop };
  using Waiter = std::function<Wake()>;

  // historyFile may be empty: no history is kept. One editor at a time.
  LineEditor(std::string historyFile, Completer complete, Waiter wait);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  enum class Result { Line, Interrupted, Ended };
  // Shows the prompt and reads one line (without its newline).
  Result read(const std::string& prompt, std::string* line);
  // Adds a line run at the prompt to the history (not blank lines, not a
  // repeat of the line before) and saves the history file.
  void remember(const std::string& line);

  // For libedit's callbacks.
  struct Access;

 private:
  std::string historyFile_;
  Completer complete_;
  Waiter wait_;
  std::string prompt_;
  editline* el_ = nullptr;
  history* hist_ = nullptr;
  std::string savedLocale_;
};

// The history file: $KESTREL_HISTORY, else ~/.kestrel_history; empty when
// there is no home folder.
std::string defaultHistoryFile();

}  // namespace kh
