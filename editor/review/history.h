// A record's history of settings for undo and redo: every state since its
// first opening, the one shown marked. A new state after an undo drops the
// states that were undone. Quick repeats of one change (a slider dragged
// through many values, a marker nudged with the arrow keys) are one step:
// a state that changes the same settings as the step before it, within a
// moment of it, replaces that step.
#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

#include "editor/editor_settings.h"

namespace kh::editor {

class History {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kMerge{1500};

  History() = default;
  History(std::vector<Settings> states, std::size_t at);

  const std::vector<Settings>& states() const { return states_; }
  std::size_t at() const { return at_; }
  const Settings& shown() const { return states_[at_]; }
  std::size_t undoable() const { return at_; }
  std::size_t redoable() const { return states_.size() - 1 - at_; }

  // A person's action left the editor at `s`: a new step (or the last one
  // replaced, see above). False when `s` is what is shown already.
  bool record(const Settings& s, Clock::time_point now = Clock::now());
  // A step of its own, never merged with the one before (a reset).
  void push(const Settings& s);
  // The state undo / redo go to; the history moves there once it is shown.
  const Settings& before() const { return states_[at_ - 1]; }
  const Settings& after() const { return states_[at_ + 1]; }
  void moveBack() { --at_, merging_ = false; }
  void moveForward() { ++at_, merging_ = false; }

 private:
  std::vector<Settings> states_;
  std::size_t at_ = 0;
  bool merging_ = false;  // the last step may take a quick repeat
  unsigned lastMask_ = 0;
  Clock::time_point lastAt_{};
};

}  // namespace kh::editor
