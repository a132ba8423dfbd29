// A text parsed once and run many times: a callback's text, a script.
//
// Statements are parsed one at a time as the text runs, because a name
// that one statement assigns is a variable for the next (`x = 1; x -1`
// subtracts, where `x -1` alone would be the command x with the word -1).
// Each statement keeps the names its parse asked the workspace about and
// the answers, and is parsed again only when an answer has changed; the
// statements after one parsed again are parsed again too. A text that
// runs thousands of times (every pointer motion of a drag runs one) is
// read once, and its names are looked up once (see Callee).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/language/ast.h"

namespace kh {

class Parser;
class Workspace;

// The longest text whose statements are kept between runs: anything
// longer is a program run once, not a callback.
inline constexpr std::size_t kMaxKeptText = 64 * 1024;

class ParsedText {
 public:
  // With keep, the statements are kept for the next run of the text;
  // without, a statement is dropped once the next one is read (a file run
  // once, however long).
  ParsedText(std::string text, bool keep);
  ~ParsedText();
  ParsedText(const ParsedText&) = delete;
  ParsedText& operator=(const ParsedText&) = delete;

  const std::string& text() const { return text_; }

  // Statement k (0-based) of the text as it reads against the workspace
  // now; null past the last one. Statements are asked for in order: k is
  // at most one past the last statement asked for. Raises statement k's
  // parse error (errorLine() then says where). The statement stays good
  // for as long as the caller holds it, also when a run of the same text
  // inside it (a callback that runs itself) parses it again.
  std::shared_ptr<const Stmt> statement(std::size_t k, const Workspace& ws);

  // The line of the statement whose parse raised the last error.
  std::size_t errorLine() const { return errorLine_; }

 private:
  struct Parsed {
    std::shared_ptr<const Stmt> stmt;
    std::vector<std::pair<std::string, bool>> asked;  // name, whether it was a variable
    std::size_t end = 0;                              // where the next statement's text starts
  };

  bool stillReads(const Parsed& p) const;

  std::string text_;
  bool keep_;
  std::vector<Parsed> parsed_;  // statements first_, first_ + 1, ...
  std::size_t first_ = 0;
  bool complete_ = false;  // the last of parsed_ is the text's last statement
  // Reading on from the end of parsed_ (statement next_), while the last
  // run read the statements in order.
  std::unique_ptr<Parser> parser_;
  std::size_t next_ = 0;
  const Workspace* ws_ = nullptr;  // of the statement being read
  Parsed* recording_ = nullptr;    // what its parse asks
  std::size_t errorLine_ = 0;
};

}  // namespace kh
