// The one output sink for everything the command window shows. Tests push a
// capture to collect the text instead of printing it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kh {

// Writes text to the command window (or the innermost capture).
void emit(std::string_view text);
// Writes a line of error text ("??? ..." lines) to standard error, or to the
// innermost capture when one is active.
void emitError(std::string_view text);
// Runs fn once, just before the next text reaches the terminal rather than a
// capture (the prompt makes room for it below a half-typed line); an empty
// fn cancels.
void beforeNextOutput(std::function<void()> fn);

class OutputCapture {
 public:
  OutputCapture();
  ~OutputCapture();
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;
  const std::string& text() const { return text_; }
  const std::string& errors() const { return errors_; }
  std::string take();  // returns and clears the collected output

 private:
  friend void emit(std::string_view);
  friend void emitError(std::string_view);
  std::string text_;
  std::string errors_;
  OutputCapture* outer_;
};

}  // namespace kh
