// The name of the record in the editor, which its exports take: NAME.mat,
// NAME.csv, NAME.png and NAME.svg, NAME being the opened file's name without
// .mat ("ex_pulse" for the sample the load button reads).
#pragma once

#include <string>
#include <string_view>

#include "host/graphics/object.h"

namespace kh::editor {

// A file name as a person gave it, made fit to show in a message: the part
// after any folder, without control characters, at most 200 characters;
// "the record" when nothing is left.
std::string shownName(std::string_view given);
// A file name made fit to name a download: its shown name without a final
// .mat, with only letters, digits, spaces and ._-+,()[] kept (others become
// _); "record" when nothing is left.
std::string exportBase(std::string_view given);

// Remembers that the record now in the editor came from the file given so
// (the estimate line the editor's load just drew says which load that was).
void noteOpenedRecord(std::string_view given);
// The export name of the record in the editor: the file last opened into
// it while its lines are still the ones that open drew; else the file that
// "ex_pulse" means (--record) or "ex_pulse".
std::string recordName();
// The export name of a figure's picture: the record's name for the
// editor's figure while it shows a record, "figureN" otherwise.
std::string figureFileName(gfx::Object* fig);

}  // namespace kh::editor
