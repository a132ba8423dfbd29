// The clicks of a long recording, as a detector lists them: a text file of
// sample numbers beside a sound file (NAME.clicks.csv), or the vector `cl`
// of a MAT recording. Either way every entry must be a whole sample number
// of the source, each later than the one before; an entry that is not is
// reported with its line or entry number and left out, the others kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/values/value.h"

namespace kh::editor {

struct ListedClick {
  std::size_t number = 0;  // its entry in the list, 1 for the first (bad entries count too)
  double sample = 0;       // the click, in the source's samples (from 1)
};

struct ClickList {
  std::vector<ListedClick> clicks;  // the good entries, in order
  std::size_t entries = 0;          // every entry of the list, good or bad
};

// A click list's text, read against a source of `length` samples. The text
// is one sample number per line, or a table whose first line (its header)
// names its columns, separated by commas (or tabs, or semicolons), the
// clicks being in the column named sample, click, position or index (in
// that order of preference, whatever the case), or in the only column.
// Blank lines and lines starting with '#' are passed over; line ends may be
// CRLF. Each bad entry adds one line to *problems, starting with "line N of
// `shownAs`". Raises when a header names no column of clicks.
ClickList parseClickList(std::string_view text, double length, const std::string& shownAs,
                         std::vector<std::string>* problems);

// The same file read from disk; raises naming the file when it cannot be
// read.
ClickList readClickList(const std::string& file, double length, std::vector<std::string>* problems);

// The entries of a MAT recording's `cl` (a real numeric value, its elements
// in storage order) against a source of `length` samples; problems start
// with "entry N of 'cl'".
ClickList clicksOfVector(const Value& cl, double length, std::vector<std::string>* problems);

// A sample number as the messages write it: 200000, 1000.5, NaN, -Inf.
std::string numberText(double v);

}  // namespace kh::editor
