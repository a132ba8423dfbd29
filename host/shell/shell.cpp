#include "host/shell/shell.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/context/context.h"
#include "host/context/output.h"
#include "host/core/text.h"
#include "host/graphics/events.h"
#include "host/language/continuation.h"
#include "host/language/error_trace.h"
#include "host/language/evaluator.h"
#include "host/language/parsed_text.h"
#include "host/language/parser.h"
#include "host/language/workspace.h"
#include "host/shell/prompt/terminal_prompt.h"

namespace kh {

namespace {
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
}  // namespace

struct Shell::Impl {
  Workspace ws;
  Evaluator ev{ws};
  std::string pending;  // prompt lines of a block still open
  ContinuationTracker open;
  std::string fileName;  // set by runFile for the run it makes: errors name its lines
  // The texts run so far (callbacks run the same few again and again),
  // parsed. Bounded: when full, it starts again.
  std::unordered_map<std::string, std::shared_ptr<ParsedText>, TextHash, std::equal_to<>> texts;
  static constexpr std::size_t kMaxTexts = 256;

  std::shared_ptr<ParsedText> parsed(std::string_view text) {
    if (text.size() > kMaxKeptText) return std::make_shared<ParsedText>(std::string(text), false);
    if (auto it = texts.find(text); it != texts.end()) return it->second;
    if (texts.size() >= kMaxTexts) texts.clear();
    auto p = std::make_shared<ParsedText>(std::string(text), true);
    texts.emplace(p->text(), p);
    return p;
  }
};

namespace {
// Live shells, most recent last; callbacks run in the last one.
std::vector<Shell*>& liveShells() {
  static std::vector<Shell*> shells;
  return shells;
}
}  // namespace

Shell::Shell() : impl_(std::make_unique<Impl>()) {
  liveShells().push_back(this);
  // Graphics callbacks run as prompt lines of the most recent shell.
  gfx::setCallbackRunner([](std::string_view text) { return runCallbackText(text); });
}
Shell::~Shell() { std::erase(liveShells(), this); }

bool runCallbackText(std::string_view text) {
  if (liveShells().empty()) {
    Shell fresh;
    return fresh.run(text);
  }
  return liveShells().back()->run(text);
}

Workspace& Shell::workspace() { return impl_->ws; }

bool Shell::run(std::string_view text) {
  Evaluator& ev = impl_->ev;
  Workspace& ws = impl_->ws;
  // Only the run that runFile makes is of its file, not a callback run inside it.
  const std::string fileName = std::exchange(impl_->fileName, {});
  ev.resetExit();
  // A file's text is run once; any other is kept parsed for the next run.
  const std::shared_ptr<ParsedText> parsed =
      fileName.empty() ? impl_->parsed(text)
                       : std::make_shared<ParsedText>(std::string(text), false);
  // Statements are read one at a time, so that a name assigned by one
  // statement is a variable for the next (`x = 1; x -1`).
  for (std::size_t k = 0;; ++k) {
    std::shared_ptr<const Stmt> stmt;
    std::string msg;
    // Where in script and function files the error happened, innermost first.
    std::vector<std::string> places;
    clearErrorTrace();
    const bool ok = protect(
        [&] {
          try {
            stmt = parsed->statement(k, ws);
            if (stmt) ev.exec(*stmt);
          } catch (const MError& e) {
            places = takeErrorTrace(e);
            if (!fileName.empty()) {
              const std::size_t line = stmt ? ev.currentLine() : parsed->errorLine();
              places.push_back("Error in ==> " + fileName + " at line " +
                               std::to_string(line ? line : 1));
            }
            throw;
          }
        },
        &msg);
    if (!ok) {
      std::string report = "??? " + printable(msg) + "\n";
      for (const std::string& p : places) report += "??? " + printable(p) + "\n";
      emitError(report);
      return false;
    }
    if (!stmt || ev.exitRequested()) return true;
  }
}

bool Shell::runFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    emitError("??? Cannot read the script '" + printable(path) + "'.\n");
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  impl_->fileName = std::filesystem::path(path).filename().string();
  return run(text.str());
}

bool Shell::exitRequested() const { return impl_->ev.exitRequested(); }

bool Shell::feedLine(std::string_view line) {
  Impl& m = *impl_;
  m.pending += line;
  m.pending += '\n';
  m.open.addLine(std::string(line));
  // A block opened on this line (if/for/while/try/switch) or an open
  // bracket reads more lines before anything runs.
  if (!m.open.mayBeComplete() || isIncompleteText(m.pending)) return false;
  const std::string text = std::exchange(m.pending, {});
  m.open.reset();
  run(text);
  return true;
}

void Shell::dropPendingLines() {
  impl_->pending.clear();
  impl_->open.reset();
}

void Shell::interact(std::istream& in, bool showPrompt) {
  impl_->ev.resetExit();
  if (showPrompt && &in == &std::cin && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    // A person at a terminal: lines are edited, and Ctrl-C stops a statement.
    runTerminalPrompt(*this);
  } else {
    std::string line;
    bool fresh = true;
    while (!impl_->ev.exitRequested()) {
      if (showPrompt && fresh) emit(">> ");
      if (!std::getline(in, line)) break;
      fresh = feedLine(line);
    }
    if (showPrompt && !impl_->ev.exitRequested()) emit("\n");
  }
  if (!impl_->pending.empty() && !impl_->ev.exitRequested()) run(std::exchange(impl_->pending, {}));
}

}  // namespace kh
