// The help texts of the command window: one entry per function, command or
// word, read from a plain text format that is easy to edit by hand:
//
//   == polyfit | Polynomials
//   Fit a polynomial to data by least squares.
//     p = polyfit(x, y, n)
//     [p, S] = polyfit(x, y, n)
//   Description, as many lines as it needs (blank lines keep paragraphs
//   apart; indented lines stay indented).
//   See also polyval.
//
// A header line "== NAMES | GROUP" starts an entry; NAMES is one name or
// several separated by commas that share the entry (Inf, inf). The next
// line is the one-line summary; the lines indented by two spaces right after
// it are the calling forms; everything after them, up to the next header, is
// the description. Lines before the first header are comments. No line may
// be wider than kHelpLineWidth, so that the texts read well on an 80-column
// terminal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kh {

inline constexpr std::size_t kHelpLineWidth = 76;

struct HelpEntry {
  std::vector<std::string> names;  // the first is the entry's own name
  std::string group;
  std::string summary;
  std::vector<std::string> forms;
  std::vector<std::string> description;  // lines, without trailing blank ones
};

struct HelpText {
  std::vector<HelpEntry> entries;
  // "SOURCE:LINE: what is wrong" for each malformed part; an entry with a
  // fault is left out.
  std::vector<std::string> errors;
};

// Parses help text; `source` names it in the error messages.
HelpText parseHelpText(std::string_view text, const std::string& source);

// The entry of `name` among `entries`, or null.
const HelpEntry* findEntry(const std::vector<HelpEntry>& entries, std::string_view name);

}  // namespace kh
