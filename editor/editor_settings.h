// The pulse editor's settings: the three markers, the three windows, the
// fit's block length and the fit switch, as its globals hold them. Read
// from the globals, checked against the editor's ranges, and applied to the
// open editor through the same event delivery a person's hand uses, so that
// the globals, the controls, the lines and the estimate agree.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace kh::editor {

// The settings' global names, in the order records and results hold them.
inline constexpr std::array<const char*, 8> kSettingNames = {"T1",      "T2",     "T3",    "Nsmall",
                                                             "Nmedium", "Nlarge", "Lpoly", "pf"};
enum SettingIndex { kT1, kT2, kT3, kNsmall, kNmedium, kNlarge, kLpoly, kPf };

using Settings = std::array<double, 8>;

// The settings now in the editor; none before a record is loaded (any of
// them unset, or not one real number).
std::optional<Settings> currentSettings();

// Why the editor cannot be brought to `target` from the settings its load
// gave the record (`loaded`), or "" when it can: every value a whole number,
// the windows and the block length within their sliders' ranges, the fit
// switch 0 or 1, the markers at least 50 samples apart and each either
// where the load put it or where a drag can take it (the first at 50 or
// later, the third 50 or more before the record's end, `length` samples).
std::string checkSettings(const Settings& target, const Settings& loaded, int length);

// Whether drags can take the markers from `from` to `target` (a marker
// that drags cannot place is where it must be already).
bool reachable(const Settings& from, const Settings& target, int length);

// Brings the open editor to `target` through event delivery: the sliders of
// the windows, the fit switch and the block length's slider (the fit on
// meanwhile when only its block length changes), then each marker pressed,
// moved and released. Raises when no editor shows a record, or when the
// editor did not end at `target` (a callback failed), saying which.
void applySettings(const Settings& target);

// "T1 = 1200, T2 = 1700, ..." for messages.
std::string describe(const Settings& s);

}  // namespace kh::editor
