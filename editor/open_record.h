// Opening a record file in the pulse editor, as the page's "Open record…"
// does: all or nothing.
#pragma once

#include <string>

namespace kh::editor {

// Loads the bytes of a MAT file holding `s` and `cl` into the open editor,
// through the editor's own load button (the name "ex_pulse" meaning a
// private copy of the file meanwhile). The whole file is checked first
// (checkRecordFile); a file that fails is refused with nothing changed, its
// reason naming the file as `name`, the name the person knows it by. The
// new record's lines are drawn over the old ones, which go only once the
// load has succeeded; a load that fails even so is undone: the figure (its
// lines, markers, controls, labels and limits) and the editor's globals are
// put back as they were, and the error says so. Raises too when no editor
// is open. Afterwards the exports are named after `name`.
void openRecord(const std::string& bytes, const std::string& name);
// The same for a record file on disk.
void openRecordFile(const std::string& file, const std::string& name);

}  // namespace kh::editor
