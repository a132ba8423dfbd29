#include "editor/sources/click_list.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "host/core/errors.h"

namespace kh::editor {
namespace {}  // namespace

std::string numberText(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
  char text[40];
  if (v == std::floor(v) && std::fabs(v) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", v);
    return text;
  }
  const auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
}

namespace {

// Takes the entries of a list one at a time, keeping the good ones.
class Checker {
 public:
  Checker(double length, std::vector<std::string>* problems)
      : length_(length), problems_(problems) {}

  // Entry `where` ("line 7 of x.clicks.csv", called `ref` in the messages
  // of later entries: "line 7") gives the click v, written as `shown`.
  void take(double v, const std::string& where, const std::string& ref, const std::string& shown) {
    ++list_.entries;
    const std::size_t number = list_.entries;
    std::string bad;
    if (std::isnan(v))
      bad = "NaN is not a sample number";
    else if (v != std::floor(v))
      bad = shown + " is not a whole sample number";
    else if (v < 1)
      bad = shown + " is below 1 (samples count from 1)";
    else if (v > length_)
      bad = shown + " is beyond the end of the source (its last sample is " + numberText(length_) +
            ")";
    else if (const auto it =
                 std::lower_bound(list_.clicks.begin(), list_.clicks.end(), v,
                                  [](const ListedClick& c, double x) { return c.sample < x; });
             it != list_.clicks.end() && it->sample == v)
      bad = shown + " repeats the click of " + refs_[it - list_.clicks.begin()];
    else if (!list_.clicks.empty() && v < list_.clicks.back().sample)
      bad = shown + " is smaller than the click before it, " +
            numberText(list_.clicks.back().sample) + " on " + refs_.back() +
            " (the clicks must be in increasing order)";
    if (!bad.empty()) {
      problem(where, bad);
      return;
    }
    list_.clicks.push_back({number, v});
    refs_.push_back(ref);
  }

  // Entry `where` is no number at all.
  void refuse(const std::string& where, const std::string& why) {
    ++list_.entries;
    problem(where, why);
  }

  ClickList result() { return std::move(list_); }

 private:
  void problem(const std::string& where, const std::string& why) {
    if (problems_) problems_->push_back(where + ": " + why);
  }

  double length_;
  std::vector<std::string>* problems_;
  ClickList list_;
  std::vector<std::string> refs_;  // where each good click is, for later messages
};

std::string trim(std::string_view s) {
  std::size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return std::string(s.substr(a, b - a));
}

// A decimal number as people and spreadsheets write one: an optional sign,
// digits with an optional fraction, an optional exponent. Nothing else (no
// hexadecimal, no words such as inf or nan, no thousands separators).
bool decimalNumber(const std::string& text, double* out) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t mantissa = i;
  std::size_t digits = 0;
  while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  if (i != n) return false;
  double v = 0;
  const auto r = std::from_chars(text.data() + mantissa, text.data() + n, v);
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond what a double holds: too large for any source, or a fraction.
    const std::size_t e = text.find_first_of("eE");
    v = e + 1 < n && text[e + 1] == '-' ? std::numeric_limits<double>::denorm_min() : HUGE_VAL;
  } else if (r.ec != std::errc() || r.ptr != text.data() + n) {
    return false;
  }
  *out = text[0] == '-' ? -v : v;
  return true;
}

// The fields of one line, split at `sep` (0: the line is one field), each
// trimmed and taken out of its double quotes ("" inside being one quote).
std::vector<std::string> fieldsOf(std::string_view line, char sep) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cur += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cur += c;
      }
    } else if (c == '"' && trim(cur).empty()) {
      cur.clear();
      quoted = true;
    } else if (sep != 0 && c == sep) {
      out.push_back(trim(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(trim(cur));
  return out;
}

// A text of the file as a message shows it: at most 40 bytes of it (cut
// where a character starts), so that one long line makes no long message.
std::string shortened(const std::string& text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown) return text;
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

ClickList parseClickList(std::string_view text, double length, const std::string& shownAs,
                         std::vector<std::string>* problems) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a UTF-8 byte order mark
  Checker list(length, problems);
  bool headerSeen = false;
  char sep = 0;            // the header's separator (0: one column)
  std::size_t column = 0;  // the column of clicks
  std::string columnName;  // as the header names it
  bool header = false;
  std::size_t lineNumber = 0;
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string content = trim(line);
    if (content.empty() || content[0] == '#') continue;
    const std::string ref = "line " + std::to_string(lineNumber);
    const std::string where = ref + " of " + shownAs;
    double v = 0;
    if (!headerSeen) {
      headerSeen = true;
      if (!decimalNumber(content, &v)) {
        // A header: the column of clicks is the one named so, or the only one.
        for (char c : {',', '\t', ';'})
          if (content.find(c) != std::string::npos) {
            sep = c;
            break;
          }
        const std::vector<std::string> names = fieldsOf(content, sep);
        bool found = names.size() == 1;
        for (const char* wanted : {"sample", "click", "position", "index"}) {
          if (found) break;
          for (std::size_t k = 0; k < names.size() && !found; ++k)
            if (lower(names[k]) == wanted) {
              column = k;
              found = true;
            }
        }
        if (!found)
          raise("The click list '" + shownAs + "' names no column of clicks: its header '" +
                shortened(content) + "' has none named sample, click, position or index.");
        columnName = names[column];
        header = true;
        continue;
      }
    }
    std::string field = content;
    if (header) {
      std::vector<std::string> fields = fieldsOf(content, sep);
      if (fields.size() <= column) {
        list.refuse(where, "it has no column " + std::to_string(column + 1) + " ('" +
                               shortened(columnName) + "')");
        continue;
      }
      field = std::move(fields[column]);
    }
    if (!decimalNumber(field, &v)) {
      list.refuse(where, "'" + shortened(field) + "' is not a sample number");
      continue;
    }
    list.take(v, where, ref, shortened(field));
  }
  return list.result();
}

ClickList readClickList(const std::string& file, double length,
                        std::vector<std::string>* problems) {
  std::error_code ec;
  const auto st = std::filesystem::status(file, ec);
  if (ec || !std::filesystem::exists(st)) raise("The click list '" + file + "' is not there.");
  if (!std::filesystem::is_regular_file(st))
    raise("The click list '" + file + "' is not a regular file.");
  std::ifstream in(file, std::ios::binary);
  if (!in) raise("The click list '" + file + "' cannot be opened.");
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) raise("The click list '" + file + "' cannot be read to its end.");
  return parseClickList(bytes, length, file, problems);
}

ClickList clicksOfVector(const Value& cl, double length, std::vector<std::string>* problems) {
  Checker list(length, problems);
  const double* x = cl.re();
  for (std::size_t k = 0; k < cl.numel(); ++k) {
    const std::string ref = "entry " + std::to_string(k + 1);
    list.take(x[k], ref + " of 'cl'", ref, numberText(x[k]));
  }
  return list.result();
}

}  // namespace kh::editor
