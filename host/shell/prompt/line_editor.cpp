#include "host/shell/prompt/line_editor.h"

#include <histedit.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

namespace kh {

namespace {

// A key no one types that the editor's wait returns after output was
// printed: it is bound to drawing the prompt and the line again.
constexpr wchar_t kRedrawKey = 0x1d;  // Ctrl-]

// A name ends at an operator, a bracket or a blank; '.' and '/' stay inside a
// word so file names complete whole.
constexpr std::string_view kWordBreaks = " \t\"'`@$><=;|&{}()[],+-*\\^~:!";

// Reads one UTF-8 character from the terminal as a code point; 0 at the end
// of input, -1 on an error.
int readCodePoint(wchar_t* out) {
  unsigned char b = 0;
  ssize_t n = read(STDIN_FILENO, &b, 1);
  if (n <= 0) return n == 0 ? 0 : -1;
  int more = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
  if (more < 0) {
    *out = 0xFFFD;
    return 1;
  }
  std::uint32_t cp = more == 0 ? b : b & (0x3F >> more);
  for (int i = 0; i < more; ++i) {
    unsigned char c = 0;
    if (read(STDIN_FILENO, &c, 1) != 1 || (c >> 6) != 2) {
      *out = 0xFFFD;
      return 1;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  *out = static_cast<wchar_t>(cp);
  return 1;
}

std::string commonPrefix(const std::vector<std::string>& names) {
  if (names.empty()) return {};
  std::string p = names.front();
  for (const std::string& n : names) {
    std::size_t k = 0;
    while (k < p.size() && k < n.size() && p[k] == n[k]) ++k;
    p.resize(k);
  }
  return p;
}

// File and folder names that start with `word` (a path, relative to the
// current folder); folders end with '/'.
std::vector<std::string> fileNames(std::string_view word) {
  namespace fs = std::filesystem;
  const std::size_t slash = word.rfind('/');
  const std::string dir(slash == std::string_view::npos ? "" : word.substr(0, slash + 1));
  const std::string_view stem = slash == std::string_view::npos ? word : word.substr(slash + 1);
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir.empty() ? fs::path(".") : fs::path(dir), ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(stem) || (stem.empty() && name.starts_with("."))) continue;
    out.push_back(dir + name + (it->is_directory(ec) ? "/" : ""));
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

struct LineEditor::Access {
  static LineEditor* of(EditLine* el) {
    void* self = nullptr;
    el_get(el, EL_CLIENTDATA, &self);
    return static_cast<LineEditor*>(self);
  }

  static char* prompt(EditLine* el) { return const_cast<char*>(of(el)->prompt_.c_str()); }

  static int getChar(EditLine* el, wchar_t* out) {
    LineEditor* self = of(el);
    std::fflush(stdout);  // what the editor drew, before the wait
    for (;;) {
      switch (self->wait_ ? self->wait_() : Wake::Input) {
        case Wake::Input:
          return readCodePoint(out);
        case Wake::Interrupt:
          errno = EINTR;
          return -1;
        case Wake::Printed:
          *out = kRedrawKey;
          return 1;
        case Wake::Stop:
          return 0;
      }
    }
  }

  // Tab: the longest extension all candidates share; when there is none, the
  // candidates are listed below the line.
  static unsigned char complete(EditLine* el, int) {
    LineEditor* self = of(el);
    const LineInfo* li = el_line(el);
    const std::string_view before(li->buffer, static_cast<std::size_t>(li->cursor - li->buffer));
    std::size_t start = before.size();
    while (start > 0 && kWordBreaks.find(before[start - 1]) == std::string_view::npos) --start;
    const std::string_view word = before.substr(start);
    std::optional<std::vector<std::string>> names =
        self->complete_ ? self->complete_(before, start, word) : std::vector<std::string>{};
    const bool files = !names;
    const std::vector<std::string> found = files ? fileNames(word) : std::move(*names);
    if (found.empty()) return CC_REFRESH_BEEP;
    const std::string prefix = commonPrefix(found);
    if (prefix.size() > word.size()) {
      std::string add = prefix.substr(word.size());
      if (found.size() == 1 && files && !add.ends_with("/")) add += ' ';
      el_insertstr(el, add.c_str());
      return CC_REFRESH;
    }
    if (found.size() == 1) return CC_NORM;
    std::string list = "\n";
    for (const std::string& f : found) list += f + "  ";
    list += "\n";
    std::fputs(list.c_str(), stdout);
    std::fflush(stdout);
    return CC_REDISPLAY;
  }

  static unsigned char redraw(EditLine*, int) { return CC_REDISPLAY; }
};

std::string defaultHistoryFile() {
  if (const char* f = std::getenv("KESTREL_HISTORY")) return f;
  if (const char* home = std::getenv("HOME"); home && *home)
    return std::string(home) + "/.kestrel_history";
  return {};
}

LineEditor::LineEditor(std::string historyFile, Completer complete, Waiter wait)
    : historyFile_(std::move(historyFile)), complete_(std::move(complete)), wait_(std::move(wait)) {
  // The editor reads and writes UTF-8 whatever the environment's locale.
  if (const char* old = std::setlocale(LC_CTYPE, nullptr)) savedLocale_ = old;
  if (!std::setlocale(LC_CTYPE, "C.UTF-8")) std::setlocale(LC_CTYPE, "");

  hist_ = history_init();
  HistEvent ev;
  history(hist_, &ev, H_SETSIZE, kHistoryLines);
  history(hist_, &ev, H_SETUNIQUE, 1);
  if (!historyFile_.empty()) history(hist_, &ev, H_LOAD, historyFile_.c_str());

  el_ = el_init("kestrel", stdin, stdout, stderr);
  el_set(el_, EL_CLIENTDATA, this);
  el_set(el_, EL_EDITOR, "emacs");
  el_set(el_, EL_SIGNAL, 0);  // the prompt's owner handles the signals
  el_set(el_, EL_PROMPT, &Access::prompt);
  el_set(el_, EL_HIST, history, hist_);
  el_set(el_, EL_GETCFN, &Access::getChar);
  el_set(el_, EL_ADDFN, "kestrel-complete", "complete a name", &Access::complete);
  el_set(el_, EL_ADDFN, "kestrel-redraw", "draw the line again", &Access::redraw);
  el_set(el_, EL_BIND, "^I", "kestrel-complete", nullptr);
  el_set(el_, EL_BIND, "^]", "kestrel-redraw", nullptr);
  el_set(el_, EL_BIND, "^R", "em-inc-search-prev", nullptr);
  el_source(el_, nullptr);  // the person's own ~/.editrc, if any
}

LineEditor::~LineEditor() {
  if (el_) el_end(el_);
  if (hist_) history_end(hist_);
  if (!savedLocale_.empty()) std::setlocale(LC_CTYPE, savedLocale_.c_str());
}

LineEditor::Result LineEditor::read(const std::string& prompt, std::string* line) {
  prompt_ = prompt;
  int count = 0;
  errno = 0;
  const char* text = el_gets(el_, &count);
  if (!text) {
    if (count < 0 && errno == EINTR) {
      el_reset(el_);
      return Result::Interrupted;
    }
    return Result::Ended;
  }
  line->assign(text, static_cast<std::size_t>(count));
  if (!line->empty() && line->back() == '\n') line->pop_back();
  return Result::Line;
}

void LineEditor::remember(const std::string& line) {
  if (line.find_first_not_of(" \t") == std::string::npos) return;
  HistEvent ev;
  history(hist_, &ev, H_ENTER, line.c_str());
  if (!historyFile_.empty()) history(hist_, &ev, H_SAVE, historyFile_.c_str());
}

}  // namespace kh
