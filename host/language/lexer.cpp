#include "host/language/lexer.h"

#include <array>
#include <cctype>
#include <cstdlib>

#include "host/core/errors.h"

namespace kh {
namespace {

bool isIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The spellings of operators and punctuation, longest first.
constexpr std::array<std::string_view, 31> kSpellings = {
    "...", ".*", "./", ".\\", ".^", ".'", "==", "~=", "<=", ">=", "&&", "||", "+", "-", "*", "/",
    "\\",  "^",  "'",  "<",   ">",  "&",  "|",  "~",  "(",  ")",  "[",  "]",  "{", "}", "="};

}  // namespace

void Lexer::skipBlanks(bool& sawSpace) {
  while (pos_ < src_.size()) {
    const char c = src_[pos_];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++pos_;
      sawSpace = true;
    } else if (src_.substr(pos_, 3) == "...") {
      // Continuation: the rest of the line is ignored, the line break too.
      while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
      if (pos_ < src_.size()) ++pos_;
      sawSpace = true;
    } else {
      break;
    }
  }
}

bool Lexer::quoteIsTranspose(bool sawSpace) const {
  // After a blank a quote starts text: [a 'b'], disp 'hello'.
  if (sawSpace) return false;
  switch (lastKind_) {
    case Tok::Number:
      return true;
    case Tok::Ident:
      // A keyword cannot be transposed ("if 'a'").
      return !isKeyword(lastText_) || lastText_ == "end";
    case Tok::Op:
      return lastText_ == ")" || lastText_ == "]" || lastText_ == "}" || lastText_ == "'" ||
             lastText_ == ".'";
    default:
      return false;
  }
}

Token Lexer::scanNumber(std::size_t start) {
  std::size_t p = start;
  while (p < src_.size() && isDigit(src_[p])) ++p;
  if (p < src_.size() && src_[p] == '.') {
    // "1./x" is 1 ./ x, "1.'" a transposed 1; otherwise the dot belongs here.
    const char after = p + 1 < src_.size() ? src_[p + 1] : '\0';
    const bool opFollows =
        after == '*' || after == '/' || after == '\\' || after == '^' || after == '\'';
    if (!opFollows) {
      ++p;
      while (p < src_.size() && isDigit(src_[p])) ++p;
    }
  }
  if (p < src_.size() && (src_[p] == 'e' || src_[p] == 'E' || src_[p] == 'd' || src_[p] == 'D')) {
    std::size_t q = p + 1;
    if (q < src_.size() && (src_[q] == '+' || src_[q] == '-')) ++q;
    if (q < src_.size() && isDigit(src_[q])) {
      while (q < src_.size() && isDigit(src_[q])) ++q;
      p = q;
    }
  }
  std::string digits(src_.substr(start, p - start));
  for (char& c : digits)
    if (c == 'd' || c == 'D') c = 'e';
  Token t;
  t.kind = Tok::Number;
  t.number = std::strtod(digits.c_str(), nullptr);
  t.text = std::string(src_.substr(start, p - start));
  if (p < src_.size() && (src_[p] == 'i' || src_[p] == 'j') &&
      (p + 1 >= src_.size() || !isIdentChar(src_[p + 1]))) {
    t.imag = true;
    ++p;
  }
  if (p < src_.size() && isIdentChar(src_[p]))
    raise("Parse error: unexpected text after the number " + t.text + ".");
  pos_ = p;
  return t;
}

Token Lexer::scanString(std::size_t start) {
  std::size_t p = start + 1;
  std::string s;
  for (;;) {
    if (p >= src_.size() || src_[p] == '\n') raise("A quoted text is missing its closing quote.");
    if (src_[p] == '\'') {
      if (p + 1 < src_.size() && src_[p + 1] == '\'') {
        s += '\'';
        p += 2;
        continue;
      }
      ++p;
      break;
    }
    s += src_[p++];
  }
  pos_ = p;
  Token t;
  t.kind = Tok::String;
  t.text = std::move(s);
  return t;
}

Token Lexer::scan() {
  bool sawSpace = false;
  skipBlanks(sawSpace);
  Token t;
  if (pos_ < src_.size() && src_[pos_] == '%') {
    while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
  }
  const std::size_t start = pos_;
  if (pos_ >= src_.size()) {
    t.kind = Tok::End;
  } else if (src_[pos_] == '\n') {
    ++pos_;
    t.kind = Tok::Newline;
  } else if (isDigit(src_[pos_]) ||
             (src_[pos_] == '.' && pos_ + 1 < src_.size() && isDigit(src_[pos_ + 1]))) {
    t = scanNumber(start);
  } else if (isIdentStart(src_[pos_])) {
    std::size_t p = pos_;
    while (p < src_.size() && isIdentChar(src_[p])) ++p;
    t.kind = Tok::Ident;
    t.text = std::string(src_.substr(pos_, p - pos_));
    pos_ = p;
  } else if (src_[pos_] == '\'' && !quoteIsTranspose(sawSpace)) {
    t = scanString(start);
  } else if (src_[pos_] == ',' || src_[pos_] == ';' || src_[pos_] == ':' || src_[pos_] == '.' ||
             src_[pos_] == '@') {
    // ".*" and friends are matched below; a lone '.' is field access.
    bool matched = false;
    for (std::string_view op : kSpellings) {
      if (op.size() > 1 && src_.substr(pos_, op.size()) == op) {
        t.kind = Tok::Op;
        t.text = std::string(op);
        pos_ += op.size();
        matched = true;
        break;
      }
    }
    if (!matched) {
      t.kind = Tok::Op;
      t.text = std::string(1, src_[pos_]);
      ++pos_;
    }
  } else {
    bool matched = false;
    for (std::string_view op : kSpellings) {
      if (src_.substr(pos_, op.size()) == op) {
        t.kind = Tok::Op;
        t.text = std::string(op);
        pos_ += op.size();
        matched = true;
        break;
      }
    }
    if (!matched) raise(std::string("Parse error: unexpected character '") + src_[pos_] + "'.");
  }
  t.pos = start;
  t.spaceBefore = sawSpace;
  if (t.kind == Tok::Op) {
    const OperatorsSpelt ops = operatorsSpelt(t.text);
    t.infix = ops.infix;
    t.prefix = ops.prefix;
    t.postfix = ops.postfix;
    const char c = t.text[0];
    if (t.text.size() == 1 && (c == '(' || c == '[' || c == '{')) brackets_.push_back(c);
    if (t.text.size() == 1 && (c == ')' || c == ']' || c == '}') && !brackets_.empty())
      brackets_.pop_back();
  }
  lastKind_ = t.kind;
  lastText_ = t.text;
  return t;
}

Token Lexer::next() {
  if (!ahead_.empty()) {
    Token t = std::move(ahead_.front());
    ahead_.pop_front();
    return t;
  }
  return scan();
}

const Token& Lexer::peek(std::size_t k) {
  while (ahead_.size() <= k) ahead_.push_back(scan());
  return ahead_[k];
}

std::vector<std::string> Lexer::commandWords() {
  // Rewind to the first token not yet consumed.
  if (!ahead_.empty()) {
    pos_ = ahead_.front().pos;
    ahead_.clear();
  }
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  while (pos_ < src_.size()) {
    const char c = src_[pos_];
    if (c == '\n' || c == ',' || c == ';' || c == '%') break;
    if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
      ++pos_;
      continue;
    }
    if (c == '\'') {
      // A quoted part of a word: blanks inside are kept, '' is a quote.
      ++pos_;
      inWord = true;
      for (;;) {
        if (pos_ >= src_.size() || src_[pos_] == '\n')
          raise("A quoted text is missing its closing quote.");
        if (src_[pos_] == '\'') {
          if (pos_ + 1 < src_.size() && src_[pos_ + 1] == '\'') {
            word += '\'';
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        word += src_[pos_++];
      }
      continue;
    }
    word += c;
    inWord = true;
    ++pos_;
  }
  if (inWord) words.push_back(std::move(word));
  brackets_.clear();
  lastKind_ = Tok::Ident;
  lastText_.clear();
  return words;
}

}  // namespace kh
