// Parser of the command-window language: text to statements.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "host/core/errors.h"
#include "host/language/ast.h"
#include "host/language/lexer.h"

namespace kh {

// Raised when the text ends inside an unfinished construct (a block without
// its `end`, an open bracket): the prompt reads more lines.
class IncompleteInput : public MError {
 public:
  IncompleteInput() : MError("Parse error: the text ends inside an unfinished statement.") {}
};

// How deeply brackets, operators, postfix steps and blocks may nest.
inline constexpr int kMaxNesting = 256;

class Parser {
 public:
  // isVariable tells whether a name is a variable now; a variable is never
  // taken as a command (`x -1` subtracts).
  Parser(std::string_view text, std::function<bool(const std::string&)> isVariable);
  // Reads the text from offset `start` on, which is where an earlier
  // parser's next() stopped (its offset()).
  Parser(std::string_view text, std::size_t start,
         std::function<bool(const std::string&)> isVariable);

  // The next top-level statement; null at the end of the text.
  StmtPtr next();

  // The whole text as a function file: its functions, the file's own first.
  // Each ends at its `end`, or, when the file's first function has none,
  // at the next `function` or the end of the text. Names are taken as
  // variables (never as commands) once a function sets them, as the
  // parameters and outputs are from the start.
  std::vector<std::unique_ptr<FunctionDef>> functionFile();

  // Where the text not yet read starts: after the last statement next()
  // gave and the separator that ended it.
  std::size_t offset() const { return lex_.offset(); }

  // The line of the statement being read when an error was raised.
  std::size_t errorLine() const { return errorLine_; }

 private:
  StmtPtr statement();
  Block block(std::initializer_list<std::string_view> terminators);
  void endStatement(Stmt& s);
  bool atTerminator(std::initializer_list<std::string_view> terminators);
  bool isCommandSyntax();
  StmtPtr ifStatement();
  StmtPtr forStatement();
  StmtPtr whileStatement();
  StmtPtr switchStatement();
  StmtPtr tryStatement();
  void expectEnd(const char* what);
  void arms(Stmt& s, std::string_view arm, std::string_view other, const char* what);
  std::unique_ptr<FunctionDef> functionHeader();
  // A function's statements up to its end; true when `end` closed it.
  bool functionBody(Block& body);
  void noteAssigned(const Stmt& s);
  bool knownVariable(const std::string& name) { return isVariable_(name) || known_.count(name); }

  ExprPtr expression();
  ExprPtr operators(Prec level);
  ExprPtr range();
  ExprPtr unary();
  ExprPtr prefixed(Prec level);
  ExprPtr postfix();
  ExprPtr primary();
  ExprPtr lambda(std::size_t pos);
  ExprList arguments(const char* close);
  ExprPtr matrix(bool cell);
  bool endsMatrixElement(const Token& op);

  LValue toLValue(Expr& e);
  std::vector<LValue> toTargets(Expr& e);

  bool isOp(std::string_view text, std::size_t k = 0);
  Token expectOp(std::string_view text);
  [[noreturn]] void fail(const Token& at, const std::string& what);
  std::size_t lineOf(std::size_t pos) const;

  // Counts one level of nesting for as long as it lives; fails with a
  // parse error past kMaxNesting (or when the stack runs short).
  struct Nest {
    explicit Nest(Parser& p, int levels = 1);
    ~Nest() { p.depth_ -= levels; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;
    void deepen();  // one level more
    Parser& p;
    int levels;
  };

  std::string_view text_;
  std::vector<std::size_t> lineStarts_;  // offset of each line's first character
  Lexer lex_;
  std::function<bool(const std::string&)> isVariable_;
  std::vector<bool> matrixCtx_;  // innermost bracket is [ ] or { }
  int indexDepth_ = 0;           // inside subscripts, where `end` is a value
  int depth_ = 0;                // current nesting, see Nest
  bool fileMode_ = false;        // reading a function file
  std::set<std::string> known_;  // variables of the function being read
  std::size_t errorLine_ = 0;
};

// Whether the text is cut off inside an unfinished construct.
bool isIncompleteText(std::string_view text);

}  // namespace kh
