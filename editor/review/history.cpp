#include "editor/review/history.h"

namespace kh::editor {
namespace {

// Which settings differ, one bit each.
unsigned changedMask(const Settings& a, const Settings& b) {
  unsigned mask = 0;
  for (std::size_t k = 0; k < a.size(); ++k)
    if (a[k] != b[k]) mask |= 1u << k;
  return mask;
}

}  // namespace

History::History(std::vector<Settings> states, std::size_t at)
    : states_(std::move(states)), at_(at) {}

bool History::record(const Settings& s, Clock::time_point now) {
  if (s == states_[at_]) return false;
  const unsigned mask = changedMask(states_[at_], s);
  // The fit switch is never merged: switched twice it is back where it was.
  const bool repeat = merging_ && at_ + 1 == states_.size() && at_ > 0 && mask == lastMask_ &&
                      (mask & (1u << kPf)) == 0 && now - lastAt_ < kMerge;
  if (repeat) {
    states_[at_] = s;
    if (states_[at_] == states_[at_ - 1]) {  // back where the step began: no step
      states_.pop_back();
      --at_;
      merging_ = false;
    }
  } else {
    states_.resize(at_ + 1);
    states_.push_back(s);
    ++at_;
    merging_ = true;
    lastMask_ = mask;
  }
  lastAt_ = now;
  return true;
}

void History::push(const Settings& s) {
  if (s == states_[at_]) return;
  states_.resize(at_ + 1);
  states_.push_back(s);
  ++at_;
  merging_ = false;
}

}  // namespace kh::editor
