#include "host/language/continuation.h"

#include <string_view>

#include "host/core/errors.h"
#include "host/language/lexer.h"

namespace kh {
namespace {

bool opensBlock(std::string_view w) {
  return w == "if" || w == "for" || w == "while" || w == "switch" || w == "try";
}

}  // namespace

void ContinuationTracker::addLine(std::string_view line) {
  if (broken_) return;
  try {
    Lexer lex(line);
    bool statementStart = true;
    for (;;) {
      const Token t = lex.next();
      if (t.kind == Tok::End || t.kind == Tok::Newline) break;
      if (t.kind == Tok::Op) {
        const std::string& op = t.text;
        if (op == "(" || op == "[" || op == "{") ++brackets_;
        if ((op == ")" || op == "]" || op == "}") && brackets_ > 0) --brackets_;
        statementStart = brackets_ == 0 && (op == "," || op == ";");
        continue;
      }
      if (t.kind == Tok::Ident && statementStart && brackets_ == 0) {
        if (opensBlock(t.text)) ++blocks_;
        if (t.text == "end" && blocks_ > 0) --blocks_;
      }
      statementStart = false;
    }
  } catch (const MError&) {
    broken_ = true;
  }
}

}  // namespace kh
