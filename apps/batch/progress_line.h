// A one-line progress bar on a terminal: files (or records) done of the
// total, the rate and the time left, redrawn at most five times a second.
// Other lines are printed above it through line(), so the bar stays the last
// line. Off a terminal only those lines are printed.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace khost::batch {

class ProgressLine {
 public:
  // `unit` names what is counted: "files", "records".
  ProgressLine(std::FILE* out, std::size_t total, bool shown, std::string unit = "files");
  // done of the total; redraws when the last drawing is old enough (or
  // when all are done).
  void update(std::size_t done);
  // Prints text (one line, without its line break) above the bar.
  void line(const std::string& text);
  // Removes the bar.
  void finish();

 private:
  void draw();
  void clear();

  std::FILE* out_;
  std::size_t total_;
  std::string unit_;
  std::size_t done_ = 0;
  bool shown_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_, lastDraw_;
};

// "1:05" or "1:02:03"; "--:--" when unknown.
std::string clockText(double seconds);

}  // namespace khost::batch
