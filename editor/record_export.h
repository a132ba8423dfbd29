// The pulse editor's record as the page exports it and the batch writes it:
// the record with the current estimate and every setting that made it, as a
// MAT file or CSV, named after the record.
#pragma once

#include <array>
#include <string>

#include "editor/editor_settings.h"
#include "host/datafile/matfile.h"

namespace kh::editor {

// The variables of a record file, in file order: `s`, `cl` (the first
// marker), the settings (values in the order of kSettingNames, each a
// scalar) and `estimate`, shaped as `s`. Raises when the estimate's length
// is not the record's.
NamedValues recordVariables(const Value& s, const std::array<Value, 8>& settings, Value estimate);
// Record variables as CSV: settings in leading "# name,value" lines, then
// "sample,s,estimate" rows; numbers written so that they read back exactly.
std::string recordCsvText(const NamedValues& vars);

// The variables of the record now in the editor, as recordVariables makes
// them. Raises when no record is loaded.
NamedValues currentRecordVariables();

// An export: its file name and its bytes.
struct RecordExport {
  std::string fileName;
  std::string bytes;
};
// The record now in the editor as NAME.mat (see record_name.h): `s` (the
// segment the editor works on), `cl` (the click, the first marker),
// `estimate`, the markers T1 T2 T3, the windows Nsmall Nmedium Nlarge, the
// block length Lpoly and the fit switch pf. Raises when no record is loaded.
RecordExport recordMat(const NamedValues& extra = {});
// The same as NAME.csv: settings in leading "# name,value" lines, then
// "sample,s,estimate" rows. `extra` variables follow the record's (in the
// CSV, those that are one number).
RecordExport recordCsv(const NamedValues& extra = {});

}  // namespace kh::editor
