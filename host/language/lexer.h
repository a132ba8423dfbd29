// Tokens of the command-window language, read on demand so that the parser
// can switch to command syntax (`hold on`) in the middle of a line.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "host/language/operators.h"
#include "host/values/names.h"

namespace kh {

enum class Tok {
  End,      // end of the text
  Newline,  // end of a line (also after a comment)
  Number,   // number; imaginary when `imag` is set
  String,   // 'text' with '' turned into '
  Ident,    // name or keyword
  Op,       // operator or punctuation; the text says which
};

struct Token {
  Tok kind = Tok::End;
  std::string text;          // identifier, operator or the string's characters
  double number = 0;         // value of a Number
  bool imag = false;         // 2i, 3j
  bool spaceBefore = false;  // whitespace separated it from the previous token
  std::size_t pos = 0;       // offset in the text
  // The operators an Op token spells, as an infix, a prefix or a postfix
  // operator (Op::None where it spells none), found once when it is read.
  Op infix = Op::None, prefix = Op::None, postfix = Op::None;
};

class Lexer {
 public:
  // Reads text from offset `start` on (a statement's start: outside any
  // bracket, after a separator).
  explicit Lexer(std::string_view text, std::size_t start = 0) : src_(text), pos_(start) {}

  // The next token (consumed) and a look at the token k places ahead. A
  // reference from peek stays good while later tokens are looked at, until
  // its own token is consumed.
  Token next();
  const Token& peek(std::size_t k = 0);

  // Command syntax: the words of the rest of the statement after the name
  // (split at blanks; 'quoted words' keep their blanks). Stops before ',',
  // ';', a comment or the end of the line. Discards any look-ahead.
  std::vector<std::string> commandWords();
  // The raw text from the start of the next token on (nothing consumed).
  std::string_view restFrom(std::size_t pos) const { return src_.substr(pos); }
  // Where the text not yet consumed starts.
  std::size_t offset() const { return ahead_.empty() ? pos_ : ahead_.front().pos; }

 private:
  Token scan();
  void skipBlanks(bool& sawSpace);
  Token scanNumber(std::size_t start);
  Token scanString(std::size_t start);
  bool quoteIsTranspose(bool sawSpace) const;
  // Inside [ ] and { } (innermost bracket), where blanks and newlines
  // separate elements and rows.
  bool inMatrix() const { return !brackets_.empty() && brackets_.back() != '('; }

  std::string_view src_;
  std::size_t pos_ = 0;
  std::deque<Token> ahead_;
  std::vector<char> brackets_;
  Tok lastKind_ = Tok::Newline;
  std::string lastText_;
};

}  // namespace kh
