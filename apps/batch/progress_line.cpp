#include "apps/batch/progress_line.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

namespace khost::batch {

namespace {
constexpr auto kRedraw = std::chrono::milliseconds(200);
constexpr int kBarWidth = 30;
}  // namespace

std::string clockText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0 || seconds > 1e7) return "--:--";
  const long s = std::lround(seconds);
  char text[32];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

ProgressLine::ProgressLine(std::FILE* out, std::size_t total, bool shown, std::string unit)
    : out_(out),
      total_(total),
      unit_(std::move(unit)),
      shown_(shown),
      start_(std::chrono::steady_clock::now()) {
  lastDraw_ = start_ - kRedraw;
  if (shown_) draw();
}

void ProgressLine::update(std::size_t done) {
  done_ = done;
  if (!shown_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastDraw_ >= kRedraw || done_ == total_) draw();
}

void ProgressLine::line(const std::string& text) {
  clear();
  std::fprintf(out_, "%s\n", text.c_str());
  if (shown_) draw();
  std::fflush(out_);
}

void ProgressLine::finish() {
  clear();
  std::fflush(out_);
}

void ProgressLine::clear() {
  if (drawn_) std::fputs("\r\033[K", out_);
  drawn_ = false;
}

void ProgressLine::draw() {
  const auto now = std::chrono::steady_clock::now();
  lastDraw_ = now;
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double rate = elapsed > 0 ? static_cast<double>(done_) / elapsed : 0;
  const double left = rate > 0 ? static_cast<double>(total_ - done_) / rate : NAN;
  const int filled =
      total_ ? static_cast<int>(kBarWidth * static_cast<double>(done_) / total_) : kBarWidth;
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(kBarWidth, '.');
  char rateText[32];
  if (done_ == 0)
    std::snprintf(rateText, sizeof rateText, "-");
  else
    std::snprintf(rateText, sizeof rateText, "%.1f", rate);
  std::fprintf(out_, "\r[%s] %zu/%zu %s  %s %s/s  %s left\033[K", bar.c_str(), done_, total_,
               unit_.c_str(), rateText, unit_.c_str(),
               done_ == total_ ? "0:00" : clockText(left).c_str());
  std::fflush(out_);
  drawn_ = true;
}

}  // namespace khost::batch
