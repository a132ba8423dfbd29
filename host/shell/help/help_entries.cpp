#include "host/shell/help/help_entries.h"

#include <algorithm>
#include <set>

namespace kh {
namespace {

std::string trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return "";
  const std::size_t b = s.find_last_not_of(' ');
  return std::string(s.substr(a, b - a + 1));
}

bool isBlank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// Characters shown on a terminal: UTF-8 continuation bytes do not count.
std::size_t widthOf(std::string_view s) {
  std::size_t w = 0;
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++w;
  return w;
}

bool validName(std::string_view n) {
  if (n.empty()) return false;
  return std::all_of(n.begin(), n.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '/';
  });
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

bool isHeader(std::string_view line) { return line.starts_with("=="); }

class Parser {
 public:
  Parser(std::string_view text, const std::string& source)
      : lines_(splitLines(text)), source_(source) {}

  HelpText run() {
    std::size_t k = 0;
    while (k < lines_.size() && !isHeader(lines_[k])) ++k;
    while (k < lines_.size()) {
      std::size_t end = k + 1;
      while (end < lines_.size() && !isHeader(lines_[end])) ++end;
      entry(k, end);
      k = end;
    }
    return std::move(out_);
  }

 private:
  // The entry whose header is line `first`, ending before line `end`.
  void entry(std::size_t first, std::size_t end) {
    const std::size_t errorsBefore = out_.errors.size();
    HelpEntry e;
    const std::string& header = lines_[first];
    const std::size_t bar = header.find('|');
    if (bar == std::string::npos) {
      fail(first, "the header needs the form '== NAME | GROUP'");
      return;
    }
    e.group = trimmed(std::string_view(header).substr(bar + 1));
    if (e.group.empty()) fail(first, "the header names no group");
    std::string_view names = std::string_view(header).substr(2, bar - 2);
    while (true) {
      const std::size_t comma = names.find(',');
      const std::string n = trimmed(names.substr(0, comma));
      if (!validName(n)) {
        fail(first, "'" + n + "' is not a name");
      } else if (!seen_.insert(n).second) {
        fail(first, "'" + n + "' has a second entry");
      }
      e.names.push_back(n);
      if (comma == std::string_view::npos) break;
      names = names.substr(comma + 1);
    }
    for (std::size_t k = first; k < end; ++k) {
      if (lines_[k].find('\t') != std::string::npos) fail(k, "a tab; indent with spaces");
      if (widthOf(lines_[k]) > kHelpLineWidth)
        fail(k, "the line is wider than " + std::to_string(kHelpLineWidth) + " characters");
    }
    std::size_t k = first + 1;
    if (k == end || isBlank(lines_[k]) || lines_[k].starts_with(" ")) {
      fail(first, "the entry has no summary line right after its header");
    } else {
      e.summary = trimmed(lines_[k++]);
    }
    for (; k < end && lines_[k].starts_with("  ") && !isBlank(lines_[k]); ++k)
      e.forms.push_back(lines_[k].substr(2));
    while (k < end && isBlank(lines_[k])) ++k;
    std::size_t last = end;
    while (last > k && isBlank(lines_[last - 1])) --last;
    for (; k < last; ++k) {
      std::string line = lines_[k];
      while (!line.empty() && line.back() == ' ') line.pop_back();
      e.description.push_back(std::move(line));
    }
    if (out_.errors.size() == errorsBefore) out_.entries.push_back(std::move(e));
  }

  void fail(std::size_t line, const std::string& what) {
    out_.errors.push_back(source_ + ":" + std::to_string(line + 1) + ": " + what);
  }

  std::vector<std::string> lines_;
  const std::string& source_;
  std::set<std::string> seen_;
  HelpText out_;
};

}  // namespace

HelpText parseHelpText(std::string_view text, const std::string& source) {
  return Parser(text, source).run();
}

const HelpEntry* findEntry(const std::vector<HelpEntry>& entries, std::string_view name) {
  for (const HelpEntry& e : entries)
    if (std::find(e.names.begin(), e.names.end(), name) != e.names.end()) return &e;
  return nullptr;
}

}  // namespace kh
