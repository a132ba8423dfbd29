// The pulse editor's record as the page exports and opens it: the record
// with the current estimate and every setting that made it, as a MAT file
// or CSV; and a record the person picked on their disk, loaded through the
// editor's own load action.
#pragma once

#include <array>
#include <string>

#include "host/datafile/matfile.h"

namespace kh::server {

// The names of the settings a record file holds, in the order it holds them.
inline constexpr std::array<const char*, 8> kRecordSettings = {
    "T1", "T2", "T3", "Nsmall", "Nmedium", "Nlarge", "Lpoly", "pf"};

// The variables of a record file, in file order: `s`, `cl` (the first
// marker), the settings (values in the order of kRecordSettings, each a
// scalar) and `estimate`, shaped as `s`. Raises when the estimate's length
// is not the record's.
NamedValues recordVariables(const Value& s, const std::array<Value, 8>& settings, Value estimate);
// Record variables as CSV: settings in leading "# name,value" lines, then
// "sample,s,estimate" rows; numbers written so that they read back exactly.
std::string recordCsvText(const NamedValues& vars);
// The clicks the estimate can take with the second and third markers the
// given numbers of samples after the click (the editor's load puts them 500
// and 1550 after it): whole sample numbers from `first` to `last`.
struct ClickRange {
  int first;
  int last;
};
ClickRange clickRange(int t2Offset = 500, int t3Offset = 1550);
// Raises, with the reason in the user's terms, unless the record is one the
// editor's load and the estimate can work on with the markers the given
// numbers of samples after the click (0 <= t2Offset <= t3Offset): `s` a real
// vector of at least 5000 samples whose first 5000 (the part the editor
// works on and plots from 1.1 times the smallest to 1.1 times the largest)
// are finite or NaN, not all NaN, not all equal, and small enough for 1.1
// times them to be finite; `cl` a whole sample number in clickRange. Null:
// the file lacks the variable.
void checkRecordInputs(const Value* s, const Value* cl, int t2Offset = 500, int t3Offset = 1550);

// The record now in the editor: `s` (the segment the editor works on),
// `cl` (the click, the first marker), `estimate`, the markers T1 T2 T3,
// the windows Nsmall Nmedium Nlarge, the block length Lpoly and the fit
// switch pf. Raises when no record is loaded.
std::string recordMat();
// The same as CSV: settings in leading "# name,value" lines, then
// "sample,s,estimate" rows.
std::string recordCsv();

// Loads the bytes of a MAT file holding `s` and `cl` into the open editor:
// the file is written to a private temporary file, checked, loaded by the
// editor's load action (the name "ex_pulse" meaning that file meanwhile),
// and removed. Raises, with nothing changed, when the file is not such a
// record or no editor is open; callback errors of the load are raised too.
void openRecord(const std::string& bytes);

}  // namespace kh::server
