// What records the pulse editor and the batch take, checked before anything
// is done with them, with the reason in the person's terms when one is not.
#pragma once

#include <string>
#include <vector>

#include "host/datafile/matfile.h"

namespace kh::editor {

// The clicks the estimate can take with the second and third markers the
// given numbers of samples after the click (the editor's load puts them 500
// and 1550 after it): whole sample numbers from `first` to `last`.
struct ClickRange {
  int first;
  int last;
};
ClickRange clickRange(int t2Offset = 500, int t3Offset = 1550);
// The clicks the editor opens: those the estimate takes whose three markers
// (at the click, 500 and 1550 samples after it) all lie on the 5000 samples
// the editor shows, where they can be seen and grabbed.
ClickRange editorClickRange();

// The batch's check. Raises, with the reason in the user's terms, unless
// the record is one the editor's load and the estimate can work on with the
// markers the given numbers of samples after the click (0 <= t2Offset <=
// t3Offset): `s` a real vector of at least 5000 samples whose first 5000
// (the part the editor works on and plots from 1.1 times the smallest to
// 1.1 times the largest) are finite or NaN, not all NaN, not all equal, and
// small enough for 1.1 times them to be finite; `cl` a whole sample number
// in clickRange. Null: the file lacks the variable.
void checkRecordInputs(const Value* s, const Value* cl, int t2Offset = 500, int t3Offset = 1550);

// The variables the editor's load reads from a record file: the record
// `s` and the click `cl`, and every other name the load takes from the
// file into its own variables (and then sets again).
const std::vector<std::string>& editorLoadNames();

// The editor's check of a record file, made before the load that would
// change anything: every variable the load reads loadable, `s` real and
// numeric with at least 5000 samples, the first 5000 (what the editor
// shows) finite and spanning a range the plot can show, and `cl` a whole
// number in editorClickRange. Raises naming the file as `shown` (the name
// the person gave it), saying what is wrong and what the editor takes.
void checkRecordFile(const std::string& file, const std::string& shown);

}  // namespace kh::editor
