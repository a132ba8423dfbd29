// Whether the lines typed at the prompt so far can form complete statements
// yet: a cheap count of open brackets and blocks, kept line by line, so that
// a long block typed at the prompt is parsed once when it closes rather than
// again after every line.
#pragma once

#include <string_view>

namespace kh {

class ContinuationTracker {
 public:
  // Takes one more line (without its line break).
  void addLine(std::string_view line);
  // False while a bracket or an if/for/while/switch/try block is surely
  // still open; true when the text may be complete (the parser decides).
  bool mayBeComplete() const { return broken_ || (brackets_ == 0 && blocks_ == 0); }
  void reset() { *this = ContinuationTracker(); }

 private:
  int brackets_ = 0;
  int blocks_ = 0;
  bool broken_ = false;  // a line could not be read: leave it to the parser
};

}  // namespace kh
