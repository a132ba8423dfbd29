// The pieces of a review that hold a person's work: the history behind undo
// (steps, merging of quick repeats, what a new step after an undo drops),
// summary.csv (every field read back as written, whatever a name holds),
// and the order records are listed in.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "editor/results/results_folder.h"
#include "editor/results/summary_file.h"
#include "editor/review/history.h"

namespace {

using kh::editor::History;
using kh::editor::Settings;
using namespace std::chrono_literals;

Settings with(double t2, double nsmall = 21, double pf = 0) {
  return {500, t2, 2050, nsmall, 101, 401, 100, pf};
}

TEST(ReviewHistory, StepsMergeUndoAndBranch) {
  const auto t0 = History::Clock::time_point{} + 100s;
  History h({with(1000)}, 0);
  EXPECT_FALSE(h.record(with(1000), t0)) << "an unchanged state is no step";
  EXPECT_TRUE(h.record(with(1010), t0));
  // A quick repeat of the same change (a marker nudged again) replaces it.
  EXPECT_TRUE(h.record(with(1020), t0 + 500ms));
  EXPECT_EQ(h.states().size(), 2u);
  EXPECT_EQ(h.shown(), with(1020));
  // After a pause, or of another setting, it is a step of its own.
  h.record(with(1030), t0 + 3s);
  h.record(with(1030, 35), t0 + 3100ms);
  EXPECT_EQ(h.states().size(), 4u);
  // Back where the merged step began: the step goes.
  h.record(with(1030, 21), t0 + 3200ms);
  EXPECT_EQ(h.states().size(), 3u);
  EXPECT_EQ(h.undoable(), 2u);
  // The fit switch is never merged.
  h.record(with(1030, 21, 1), t0 + 4s);
  h.record(with(1030, 21, 0), t0 + 4100ms);
  EXPECT_EQ(h.states().size(), 5u);
  // Undo twice, then a new step drops what was undone; redo has nothing.
  EXPECT_EQ(h.before(), with(1030, 21, 1));
  h.moveBack();
  h.moveBack();
  EXPECT_EQ(h.redoable(), 2u);
  h.record(with(1100), t0 + 10s);
  EXPECT_EQ(h.redoable(), 0u);
  EXPECT_EQ(h.states().size(), 4u);
  EXPECT_EQ(h.shown(), with(1100));
  // A reset is its own step even right after a change of the same kind.
  h.push(with(1000));
  h.record(with(1005), t0 + 10100ms);
  EXPECT_EQ(h.states().size(), 6u);
}

TEST(ReviewSummary, RowsReadBackAsWritten) {
  using kh::editor::RecordState;
  using kh::editor::SummaryRow;
  std::vector<SummaryRow> rows(3);
  rows[0] = {"rec, \"one\"",
             "/data/a b/rec, \"one\".mat",
             0,
             812,
             true,
             {812, 1312, 2362, 35, 101, 401, 37, 1},
             RecordState::Saved,
             "",
             "2026-12-10T03:00:00Z"};
  rows[1] = {"rec2",
             "/data/rec2.mat",
             0,
             0,
             false,
             {},
             RecordState::Refused,
             "The click 'cl' must be\na whole number",
             "2026-12-10T03:01:00Z"};
  rows[2] = {"cut7",
             "/data/long.mat",
             120000.5,
             0.1 + 0.2,
             true,
             {21, 521, 1571, 3, 5, 5, 8, 0},
             RecordState::Estimated,
             "",
             ""};
  const std::vector<SummaryRow> back = kh::editor::parseSummary(kh::editor::summaryText(rows));
  ASSERT_EQ(back.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(back[i].name, rows[i].name);
    EXPECT_EQ(back[i].source, rows[i].source);
    EXPECT_EQ(back[i].offset, rows[i].offset);
    EXPECT_EQ(back[i].click, rows[i].click);
    EXPECT_EQ(back[i].hasSettings, rows[i].hasSettings);
    EXPECT_EQ(back[i].settings, rows[i].settings);
    EXPECT_EQ(back[i].state, rows[i].state);
    EXPECT_EQ(back[i].reason, rows[i].reason);
    EXPECT_EQ(back[i].changed, rows[i].changed);
  }
  // A damaged line is passed over; the rest is read.
  const std::string text = kh::editor::summaryText(rows);
  const std::string damaged =
      text.substr(0, text.find('\n') + 1) + "garbage,,\n" + text.substr(text.find('\n') + 1);
  EXPECT_EQ(kh::editor::parseSummary(damaged).size(), 3u);
  EXPECT_TRUE(kh::editor::parseSummary("not a summary\n1,2,3\n").empty());
}

TEST(ReviewOrder, NamesSortAsAPersonCounts) {
  std::vector<std::string> names = {"rec10", "rec2", "rec1", "Rec3", "rec02", "rec2b", "a", "rec"};
  std::sort(names.begin(), names.end(), kh::editor::naturalLess);
  const std::vector<std::string> want = {"Rec3", "a",     "rec",   "rec1",
                                         "rec2", "rec02", "rec2b", "rec10"};
  EXPECT_EQ(names, want);
}

}  // namespace
