// Text editing as host built-ins: strcat, strrep, strsplit and strtrim.
#include <string>
#include <vector>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/builtins/text/text.h"
#include "host/core/errors.h"
#include "host/kernels/messages.h"

namespace kh::builtin {
namespace {

bool whitespace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// The text of a character row (the empty text for any empty text).
std::u16string rowText(const Value& v, const char* what) {
  if (!v.isChar() || v.rows() > 1) raise(std::string(what) + " must be a text of one row.");
  return v.u16();
}

// A character matrix of rows, all of the same length.
Value charMatrix(const std::vector<std::u16string>& rows, std::size_t width) {
  Value r = Value::chars({rows.size(), width});
  char16_t* c = r.numel() ? r.mutChr() : nullptr;
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = 0; j < width; ++j) c[i + j * rows.size()] = rows[i][j];
  return r;
}

std::vector<std::u16string> rowsOf(const Value& v) {
  const std::size_t m = v.rows(), n = v.numel() / (m ? m : 1);
  std::vector<std::u16string> rows(m, std::u16string(n, u' '));
  for (std::size_t i = 0; i < m; ++i)
    for (std::size_t j = 0; j < n; ++j) rows[i][j] = v.chr()[i + j * m];
  return rows;
}

// The columns from `from` up to `to` (exclusive) of a character matrix
// given as its rows.
Value columns(const std::vector<std::u16string>& rows, std::size_t from, std::size_t to) {
  std::vector<std::u16string> kept;
  for (const auto& r : rows) kept.push_back(r.substr(from, to - from));
  return charMatrix(kept, to - from);
}

// How many columns from the start (or from the end) are white in every row.
std::size_t whiteColumns(const std::vector<std::u16string>& rows, std::size_t width, bool fromEnd,
                         bool withNull) {
  std::size_t k = 0;
  for (; k < width; ++k) {
    const std::size_t j = fromEnd ? width - 1 - k : k;
    bool white = true;
    for (const auto& r : rows) white = white && (whitespace(r[j]) || (withNull && r[j] == 0));
    if (!white) break;
  }
  return k;
}

// strcat of texts: each argument loses its trailing white space (the
// columns white in all its rows); the arguments are joined side by side,
// a one-row argument repeated against one of more rows.
Value joinTexts(Values args) {
  std::vector<std::vector<std::u16string>> parts;
  std::size_t height = 1;
  for (const Value& a : args) {
    if (a.isEmpty()) continue;
    if (a.ndims() > 2) raise("strcat joins texts of two dimensions.");
    std::vector<std::u16string> rows = rowsOf(a);
    const std::size_t width = rows[0].size();
    const std::size_t keep = width - whiteColumns(rows, width, true, false);
    for (auto& r : rows) r.resize(keep);
    if (rows.size() != 1) {
      if (height != 1 && height != rows.size())
        raise("The texts given to strcat must have the same number of rows.");
      height = rows.size();
    }
    parts.push_back(std::move(rows));
  }
  if (parts.empty()) return Value::str(std::u16string_view());
  std::vector<std::u16string> out(height);
  for (const auto& p : parts)
    for (std::size_t i = 0; i < height; ++i) out[i] += p[p.size() == 1 ? 0 : i];
  const std::size_t width = out[0].size();
  if (width == 0) return Value::str(std::u16string_view());
  return charMatrix(out, width);
}

// strcat with a cell among the arguments: element by element, a text or a
// cell of one element standing for every element; nothing is trimmed.
Value joinCells(Values args) {
  const Value* shape = nullptr;
  for (const Value& a : args) {
    if (!a.isCell() || a.numel() == 1) continue;
    if (shape && shape->dims() != a.dims())
      raise("The cells given to strcat must be of one size (or hold one text).");
    shape = &a;
  }
  Value r = Value::cell(shape ? shape->dims() : Dims{1, 1});
  for (std::size_t k = 0; k < r.numel(); ++k) {
    std::u16string text;
    for (const Value& a : args) {
      if (!a.isCell()) {
        text += rowText(a, "A text joined with cells");
      } else {
        text += rowText(a.cellAt(a.numel() == 1 ? 0 : k), "Each element of a cell given to strcat");
      }
    }
    r.mutCellAt(k) = Value::str(std::u16string_view(text));
  }
  return r;
}

}  // namespace

void strcat(Call& call) {
  const Values args = call.args();
  call.counts(1, SIZE_MAX);
  bool cells = false;
  for (const Value& a : args) {
    if (a.isCell())
      cells = true;
    else if (!a.isChar() && !(a.isDouble() && a.isEmpty()))
      raise("strcat joins texts and cells of texts; an argument is of class '" + className(a) +
            "'.");
  }
  return giveAll(call, {cells ? joinCells(args) : joinTexts(args)});
}

namespace {

// Every occurrence of `from` replaced by `to`, occurrences that overlap
// included: each one where it starts gives a copy of `to`, and characters
// inside no occurrence are kept ('aaa' with 'aa' replaced by 'b' is 'bb').
std::u16string replaceAll(const std::u16string& s, const std::u16string& from,
                          const std::u16string& to) {
  if (from.empty() || s.size() < from.size()) return s;
  std::u16string out;
  std::size_t coveredTo = 0;  // positions below it are inside an occurrence
  for (std::size_t p = 0; p < s.size(); ++p) {
    if (s.compare(p, from.size(), from) == 0) {
      out += to;
      coveredTo = p + from.size();
    } else if (p >= coveredTo) {
      out += s[p];
    }
  }
  return out;
}

}  // namespace

void strrep(Call& call) {
  const Values args = call.args();
  call.counts(3, 3);
  const std::u16string from = rowText(args[1], "The text to replace");
  const std::u16string to = rowText(args[2], "The replacement");
  auto one = [&](const Value& s) {
    return Value::str(std::u16string_view(replaceAll(rowText(s, "The text of strrep"), from, to)));
  };
  if (!args[0].isCell()) return giveAll(call, {one(args[0])});
  Value r = Value::cell(args[0].dims());
  for (std::size_t k = 0; k < r.numel(); ++k) r.mutCellAt(k) = one(args[0].cellAt(k));
  return giveAll(call, {r});
}

namespace {

// A delimiter as written: \t, \n and the other escapes stand for their
// characters.
std::u16string unescape(const std::u16string& d) {
  std::u16string out;
  for (std::size_t k = 0; k < d.size(); ++k) {
    if (d[k] != u'\\' || k + 1 == d.size()) {
      out += d[k];
      continue;
    }
    const char16_t c = d[++k];
    const std::u16string_view from = u"abfnrtv0\\", to = u"\a\b\f\n\r\t\v";
    const std::size_t at = from.find(c);
    if (at == std::u16string_view::npos) {
      out += u'\\';
      out += c;
    } else {
      out += at < to.size() ? to[at] : (c == u'0' ? u'\0' : u'\\');
    }
  }
  return out;
}

}  // namespace

// [parts, matches] = strsplit(s, delimiters, 'CollapseDelimiters', tf):
// the pieces of s between delimiters (a text or a cell of texts, white space
// by default), a row cell; where several delimiters could match, the
// longest does. Runs of delimiters count as one unless collapsing is off.
void strsplit(Call& call) {
  const Values args = call.args();
  call.counts(1, 4, 2);
  const std::u16string s = rowText(args[0], "The text of strsplit");
  std::vector<std::u16string> delims;
  std::size_t next = 1;
  if (args.size() > 1 && !(args[1].isChar() && args[1].utf8() == "CollapseDelimiters")) {
    if (args[1].isCell()) {
      for (std::size_t k = 0; k < args[1].numel(); ++k)
        delims.push_back(unescape(rowText(args[1].cellAt(k), "A delimiter")));
    } else {
      delims.push_back(unescape(rowText(args[1], "The delimiter")));
    }
    for (const auto& d : delims)
      if (d.empty()) raise("The delimiters of strsplit must not be empty.");
    next = 2;
  } else {
    delims = {u" ", u"\f", u"\n", u"\r", u"\t", u"\v"};
  }
  bool collapse = true;
  if (args.size() > next) {
    if (args.size() != next + 2 || !args[next].isChar() ||
        args[next].utf8() != "CollapseDelimiters")
      raise("The options of strsplit are 'CollapseDelimiters' and a true or false value.");
    const Value& v = args[next + 1];
    if (!v.isDouble() || v.numel() != 1) raise("CollapseDelimiters must be true or false.");
    collapse = v.at(0) != 0;
  }
  auto matchAt = [&](std::size_t p) {
    std::size_t best = 0;
    for (const auto& d : delims)
      if (d.size() > best && s.compare(p, d.size(), d) == 0) best = d.size();
    return best;
  };
  std::vector<std::u16string> pieces, matches;
  std::size_t start = 0, p = 0;
  while (p < s.size()) {
    std::size_t len = matchAt(p);
    if (len == 0) {
      ++p;
      continue;
    }
    pieces.push_back(s.substr(start, p - start));
    std::size_t end = p + len;
    while (collapse && end < s.size() && (len = matchAt(end)) > 0) end += len;
    matches.push_back(s.substr(p, end - p));
    start = p = end;
  }
  pieces.push_back(s.substr(start));
  auto rowCell = [](const std::vector<std::u16string>& texts) {
    Value c = Value::cell({1, texts.size()});
    for (std::size_t k = 0; k < texts.size(); ++k)
      c.mutCellAt(k) = Value::str(std::u16string_view(texts[k]));
    return c;
  };
  return giveAll(call, {rowCell(pieces), rowCell(matches)});
}

namespace {

// White space (and null characters) removed from both ends of a text; of
// a character matrix, the columns white in every row.
Value trimmed(const Value& v) {
  if (!v.isChar()) raise("strtrim works on texts and cells of texts.");
  if (v.isEmpty()) return v;
  if (v.ndims() > 2) raise("strtrim works on texts of two dimensions.");
  const std::vector<std::u16string> rows = rowsOf(v);
  const std::size_t width = rows[0].size();
  const std::size_t lead = whiteColumns(rows, width, false, true);
  if (lead == width) return Value::chars({rows.size(), 0});
  const std::size_t trail = whiteColumns(rows, width, true, true);
  return columns(rows, lead, width - trail);
}

}  // namespace

void strtrim(Call& call) {
  const Values args = call.args();
  call.counts(1, 1);
  if (!args[0].isCell()) return giveAll(call, {trimmed(args[0])});
  Value r = Value::cell(args[0].dims());
  for (std::size_t k = 0; k < r.numel(); ++k) r.mutCellAt(k) = trimmed(args[0].cellAt(k));
  return giveAll(call, {r});
}

namespace {

const bool kRegistered = [] {
  registerBuiltin("strcat", strcat);
  registerBuiltin("strrep", strrep);
  registerBuiltin("strsplit", strsplit);
  registerBuiltin("strtrim", strtrim);
  return true;
}();

}  // namespace
}  // namespace kh::builtin
