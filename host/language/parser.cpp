#include "host/language/parser.h"

#include <algorithm>
#include <utility>

#include "host/core/limits.h"
#include "host/language/expr_text.h"

namespace kh {
namespace {

ExprPtr make(ExprKind k, std::size_t pos) {
  auto e = std::make_unique<Expr>(k);
  e->pos = pos;
  return e;
}

ExprPtr binary(Op op, ExprPtr a, ExprPtr b, std::size_t pos) {
  auto e = make(op == Op::OrOr     ? ExprKind::OrOr
                : op == Op::AndAnd ? ExprKind::AndAnd
                                   : ExprKind::Binary,
                pos);
  e->op = op;
  e->a = std::move(a);
  e->b = std::move(b);
  return e;
}

// The operator a token spells in the given position; Op::None for any
// other token.
Op operatorAt(const Token& t, Fix fix) {
  switch (fix) {
    case Fix::Infix:
      return t.infix;
    case Fix::Prefix:
      return t.prefix;
    case Fix::Postfix:
      return t.postfix;
  }
  return Op::None;
}

}  // namespace

Parser::Parser(std::string_view text, std::function<bool(const std::string&)> isVariable)
    : Parser(text, 0, std::move(isVariable)) {}

Parser::Parser(std::string_view text, std::size_t start,
               std::function<bool(const std::string&)> isVariable)
    : text_(text), lex_(text, start), isVariable_(std::move(isVariable)) {
  lineStarts_.push_back(0);
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') lineStarts_.push_back(i + 1);
}

std::size_t Parser::lineOf(std::size_t pos) const {
  // The number of lines that start at or before pos.
  return static_cast<std::size_t>(std::upper_bound(lineStarts_.begin(), lineStarts_.end(), pos) -
                                  lineStarts_.begin());
}

Parser::Nest::Nest(Parser& parser, int n) : p(parser), levels(0) {
  for (int k = 0; k < n; ++k) deepen();
}

void Parser::Nest::deepen() {
  if (p.depth_ >= kMaxNesting)
    p.fail(p.lex_.peek(), "the text nests brackets, operators or blocks more than " +
                              std::to_string(kMaxNesting) + " levels deep.");
  checkStackRoom("Brackets, operators or blocks are");
  ++p.depth_;
  ++levels;
}

void Parser::fail(const Token& at, const std::string& what) {
  errorLine_ = lineOf(at.pos);
  if (at.kind == Tok::End) throw IncompleteInput();
  std::string near;
  switch (at.kind) {
    case Tok::Newline:
      near = "end of line";
      break;
    case Tok::String:
      near = "'" + at.text + "'";
      break;
    default:
      near = "\"" + at.text + "\"";
  }
  raise("Parse error at " + near + " (line " + std::to_string(lineOf(at.pos)) + "): " + what);
}

bool Parser::isOp(std::string_view text, std::size_t k) {
  const Token& t = lex_.peek(k);
  return t.kind == Tok::Op && t.text == text;
}

Token Parser::expectOp(std::string_view text) {
  if (!isOp(text)) fail(lex_.peek(), "expected \"" + std::string(text) + "\".");
  return lex_.next();
}

// ---------------------------------------------------------------- statements

StmtPtr Parser::next() {
  for (;;) {
    const Token& t = lex_.peek();
    if (t.kind == Tok::End) return nullptr;
    if (t.kind == Tok::Newline || (t.kind == Tok::Op && (t.text == ";" || t.text == ","))) {
      lex_.next();
      continue;
    }
    return statement();
  }
}

bool Parser::atTerminator(std::initializer_list<std::string_view> terminators) {
  const Token& t = lex_.peek();
  if (t.kind != Tok::Ident) return false;
  return std::find(terminators.begin(), terminators.end(), t.text) != terminators.end();
}

Block Parser::block(std::initializer_list<std::string_view> terminators) {
  Block b;
  for (;;) {
    const Token& t = lex_.peek();
    if (t.kind == Tok::End) throw IncompleteInput();
    if (t.kind == Tok::Newline || (t.kind == Tok::Op && (t.text == ";" || t.text == ","))) {
      lex_.next();
      continue;
    }
    if (atTerminator(terminators)) return b;
    b.push_back(statement());
  }
}

void Parser::endStatement(Stmt& s) {
  const Token& t = lex_.peek();
  if (t.kind == Tok::End) return;
  if (t.kind == Tok::Newline || (t.kind == Tok::Op && t.text == ",")) {
    lex_.next();
    return;
  }
  if (t.kind == Tok::Op && t.text == ";") {
    s.print = false;
    lex_.next();
    return;
  }
  // Keywords may follow on the same line after a block header ("if x disp(1) end"
  // is not allowed, but "end" right after a statement is handled by the caller).
  if (t.kind == Tok::Ident && (t.text == "end" || t.text == "else" || t.text == "elseif" ||
                               t.text == "case" || t.text == "otherwise" || t.text == "catch"))
    return;
  fail(t, "expected the end of the statement.");
}

bool Parser::isCommandSyntax() {
  const Token& name = lex_.peek();
  if (isKeyword(name.text) || knownVariable(name.text)) return false;
  const Token& t = lex_.peek(1);
  if (!t.spaceBefore) return false;
  switch (t.kind) {
    case Tok::End:
    case Tok::Newline:
      return false;
    case Tok::Ident:
    case Tok::Number:
    case Tok::String:
      return true;
    case Tok::Op:
      break;
  }
  if (t.text == "(" || t.text == "=" || t.text == "," || t.text == ";") return false;
  if (t.text == ":" || t.infix != Op::None) {
    // "a - b" is an expression, "hold -on" a command.
    const std::string_view after = lex_.restFrom(t.pos + t.text.size());
    return !(after.empty() || after[0] == ' ' || after[0] == '\t' || after[0] == '\n' ||
             after[0] == '\r');
  }
  return true;
}

StmtPtr Parser::statement() {
  const Nest nest(*this);
  const Token& t = lex_.peek();
  const std::size_t line = lineOf(t.pos);
  errorLine_ = line;
  StmtPtr s;
  if (t.kind == Tok::Ident && isKeyword(t.text)) {
    const std::string kw = t.text;
    if (kw == "if") {
      s = ifStatement();
    } else if (kw == "for") {
      s = forStatement();
    } else if (kw == "while") {
      s = whileStatement();
    } else if (kw == "switch") {
      s = switchStatement();
    } else if (kw == "try") {
      s = tryStatement();
    } else if (kw == "break" || kw == "continue" || kw == "return") {
      lex_.next();
      s = std::make_unique<Stmt>(kw == "break"      ? StmtKind::Break
                                 : kw == "continue" ? StmtKind::Continue
                                                    : StmtKind::Return);
    } else if (kw == "global") {
      lex_.next();
      s = std::make_unique<Stmt>(StmtKind::Global);
      s->words = lex_.commandWords();
      for (const std::string& w : s->words) {
        const bool ok = !w.empty() && (std::isalpha(static_cast<unsigned char>(w[0]))) &&
                        std::all_of(w.begin(), w.end(), [](char c) {
                          return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
                        });
        if (!ok) raise("Parse error: \"" + w + "\" is not a valid global name.");
      }
    } else {
      fail(t, "\"" + kw + "\" is not expected here.");
    }
  } else if (t.kind == Tok::Ident && isCommandSyntax()) {
    s = std::make_unique<Stmt>(StmtKind::Command);
    s->name = lex_.next().text;
    s->words = lex_.commandWords();
    for (const std::string& w : s->words) s->wordValues.push_back(Value::str(w));
  } else {
    ExprPtr e = expression();
    if (isOp("=")) {
      lex_.next();
      s = std::make_unique<Stmt>(StmtKind::Assign);
      s->targets = toTargets(*e);
      s->expr = expression();
    } else {
      s = std::make_unique<Stmt>(StmtKind::Expr);
      s->expr = std::move(e);
    }
  }
  s->line = line;
  if (fileMode_) noteAssigned(*s);
  endStatement(*s);
  return s;
}

void Parser::noteAssigned(const Stmt& s) {
  switch (s.kind) {
    case StmtKind::Assign:
      for (const LValue& t : s.targets)
        if (!t.name.empty()) known_.insert(t.name);
      break;
    case StmtKind::Global:
      known_.insert(s.words.begin(), s.words.end());
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- function files

std::unique_ptr<FunctionDef> Parser::functionHeader() {
  auto f = std::make_unique<FunctionDef>();
  const Token kw = lex_.next();  // function
  f->line = lineOf(kw.pos);
  auto ident = [&](const char* what) {
    const Token t = lex_.next();
    if (t.kind != Tok::Ident || isKeyword(t.text)) fail(t, std::string("expected ") + what + ".");
    return t.text;
  };
  if (isOp("[")) {
    lex_.next();
    while (!isOp("]")) {
      f->outputs.push_back(ident("an output name"));
      if (isOp(",")) lex_.next();
    }
    lex_.next();
    expectOp("=");
    f->name = ident("the function name");
  } else {
    f->name = ident("the function name");
    if (isOp("=")) {
      lex_.next();
      f->outputs.push_back(std::move(f->name));
      f->name = ident("the function name");
    }
  }
  if (isOp("(")) {
    lex_.next();
    while (!isOp(")")) {
      if (isOp("~")) {
        lex_.next();
        f->params.push_back("~");
      } else {
        f->params.push_back(ident("a parameter name"));
      }
      if (!isOp(")")) expectOp(",");
    }
    lex_.next();
  }
  const Token& after = lex_.peek();
  if (!(after.kind == Tok::End || after.kind == Tok::Newline ||
        (after.kind == Tok::Op && (after.text == ";" || after.text == ","))))
    fail(after, "expected the end of the function line.");
  auto seen = [](const std::vector<std::string>& names, std::size_t upto) {
    for (std::size_t i = 0; i < upto; ++i)
      if (names[i] == names[upto] && names[i] != "~") return true;
    return false;
  };
  for (std::size_t i = 0; i < f->params.size(); ++i)
    if (seen(f->params, i))
      raise("Parse error (line " + std::to_string(f->line) + "): the parameter \"" + f->params[i] +
            "\" is named twice.");
  for (std::size_t i = 0; i < f->outputs.size(); ++i)
    if (seen(f->outputs, i))
      raise("Parse error (line " + std::to_string(f->line) + "): the output \"" + f->outputs[i] +
            "\" is named twice.");
  known_.clear();
  known_.insert(f->params.begin(), f->params.end());
  known_.insert(f->outputs.begin(), f->outputs.end());
  return f;
}

bool Parser::functionBody(Block& body) {
  for (;;) {
    const Token& t = lex_.peek();
    if (t.kind == Tok::End) return false;
    if (t.kind == Tok::Newline || (t.kind == Tok::Op && (t.text == ";" || t.text == ","))) {
      lex_.next();
      continue;
    }
    if (t.kind == Tok::Ident && t.text == "function") return false;
    if (t.kind == Tok::Ident && t.text == "end") {
      errorLine_ = lineOf(t.pos);
      lex_.next();
      return true;
    }
    body.push_back(statement());
  }
}

std::vector<std::unique_ptr<FunctionDef>> Parser::functionFile() {
  fileMode_ = true;
  std::vector<std::unique_ptr<FunctionDef>> out;
  bool withEnd = false;
  for (;;) {
    const Token& t = lex_.peek();
    if (t.kind == Tok::End) break;
    if (t.kind == Tok::Newline || (t.kind == Tok::Op && (t.text == ";" || t.text == ","))) {
      lex_.next();
      continue;
    }
    if (t.kind != Tok::Ident || t.text != "function") {
      if (out.empty()) fail(t, "a function file starts with \"function\".");
      fail(t, withEnd ? "only functions may follow the end of a function."
                      : "\"end\" closes no block here.");
    }
    std::unique_ptr<FunctionDef> f = functionHeader();
    const bool ended = functionBody(f->body);
    if (out.empty()) withEnd = ended;
    if (withEnd && !ended) {
      errorLine_ = f->line;
      raise("Parse error (line " + std::to_string(f->line) + "): the function \"" + f->name +
            "\" has no \"end\", as the other functions of the file have.");
    }
    if (!withEnd && ended) {
      raise("Parse error (line " + std::to_string(errorLine_) +
            "): \"end\" closes no block here (the file's first function has no \"end\").");
    }
    out.push_back(std::move(f));
  }
  if (out.empty()) raise("Parse error: a function file starts with \"function\".");
  return out;
}

void Parser::expectEnd(const char* what) {
  const Token& t = lex_.peek();
  if (t.kind == Tok::Ident && t.text == "end") {
    lex_.next();
    return;
  }
  fail(t, std::string("expected \"end\" to close the ") + what + ".");
}

StmtPtr Parser::ifStatement() {
  auto s = std::make_unique<Stmt>(StmtKind::If);
  lex_.next();  // if
  s->conds.push_back(expression());
  s->blocks.push_back(block({"elseif", "else", "end"}));
  arms(*s, "elseif", "else", "if");
  return s;
}

// The arms of an if or a switch up to its end: each `arm` word (elseif,
// case) with its condition and block, and an `other` word (else,
// otherwise) with its block.
void Parser::arms(Stmt& s, std::string_view arm, std::string_view other, const char* what) {
  for (;;) {
    const std::string kw = lex_.peek().text;
    if (kw == arm) {
      lex_.next();
      s.conds.push_back(expression());
      s.blocks.push_back(block({arm, other, "end"}));
    } else if (kw == other) {
      lex_.next();
      s.hasElse = true;
      s.elseBlock = block({"end"});
    } else {
      break;
    }
  }
  expectEnd(what);
}

StmtPtr Parser::forStatement() {
  auto s = std::make_unique<Stmt>(StmtKind::For);
  lex_.next();  // for
  const bool paren = isOp("(");
  if (paren) lex_.next();
  const Token v = lex_.next();
  if (v.kind != Tok::Ident || isKeyword(v.text)) fail(v, "expected the loop variable.");
  s->name = v.text;
  if (fileMode_) known_.insert(s->name);
  expectOp("=");
  s->expr = expression();
  if (paren) expectOp(")");
  s->body = block({"end"});
  expectEnd("for");
  return s;
}

StmtPtr Parser::whileStatement() {
  auto s = std::make_unique<Stmt>(StmtKind::While);
  lex_.next();
  s->expr = expression();
  s->body = block({"end"});
  expectEnd("while");
  return s;
}

StmtPtr Parser::switchStatement() {
  auto s = std::make_unique<Stmt>(StmtKind::Switch);
  lex_.next();
  s->expr = expression();
  for (;;) {
    const Token& t = lex_.peek();
    if (t.kind == Tok::End) throw IncompleteInput();
    if (t.kind == Tok::Newline || (t.kind == Tok::Op && (t.text == ";" || t.text == ","))) {
      lex_.next();
      continue;
    }
    break;
  }
  arms(*s, "case", "otherwise", "switch");
  return s;
}

StmtPtr Parser::tryStatement() {
  auto s = std::make_unique<Stmt>(StmtKind::Try);
  lex_.next();
  s->body = block({"catch", "end"});
  if (lex_.peek().text == "catch") {
    const Token c = lex_.next();
    const Token& id = lex_.peek();
    // "catch err" on the same line names a variable for the message.
    if (id.kind == Tok::Ident && !isKeyword(id.text) && lineOf(id.pos) == lineOf(c.pos)) {
      const Token& after = lex_.peek(1);
      if (after.kind == Tok::Newline || after.kind == Tok::End ||
          (after.kind == Tok::Op && (after.text == ";" || after.text == ","))) {
        s->name = lex_.next().text;
        if (fileMode_) known_.insert(s->name);
      }
    }
    s->hasElse = true;
    s->elseBlock = block({"end"});
  }
  expectEnd("try");
  return s;
}

// ---------------------------------------------------------------- targets

LValue Parser::toLValue(Expr& e) {
  LValue lv;
  std::vector<Expr*> chain;
  Expr* cur = &e;
  while (cur->kind == ExprKind::Call || cur->kind == ExprKind::CellIndex ||
         cur->kind == ExprKind::Field || cur->kind == ExprKind::DynField) {
    chain.push_back(cur);
    cur = cur->a.get();
  }
  if (cur->kind != ExprKind::Name) raise("Parse error: invalid target of an assignment.");
  lv.name = cur->text;
  if (lv.name == "~" && !chain.empty()) raise("Parse error: invalid target of an assignment.");
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    Expr* x = *it;
    LStep st;
    switch (x->kind) {
      case ExprKind::Call:
        st.kind = LStep::Paren;
        st.args = std::move(x->args);
        break;
      case ExprKind::CellIndex:
        st.kind = LStep::Brace;
        st.args = std::move(x->args);
        break;
      case ExprKind::Field:
        st.kind = LStep::Field;
        st.name = x->text;
        break;
      default:
        st.kind = LStep::DynField;
        st.dyn = std::move(x->b);
        break;
    }
    lv.steps.push_back(std::move(st));
  }
  if (lv.name == "~") lv.name.clear();
  return lv;
}

std::vector<LValue> Parser::toTargets(Expr& e) {
  std::vector<LValue> out;
  if (e.kind == ExprKind::Matrix) {
    if (e.rows.size() > 1) raise("Parse error: invalid target of a multiple assignment.");
    if (!e.rows.empty())
      for (ExprPtr& x : e.rows[0]) out.push_back(toLValue(*x));
    if (out.empty()) raise("Parse error: a multiple assignment needs at least one target.");
    return out;
  }
  out.push_back(toLValue(e));
  if (out[0].name.empty()) raise("Parse error: invalid target of an assignment.");
  return out;
}

// ---------------------------------------------------------------- expressions

bool Parser::endsMatrixElement(const Token& op) {
  // Inside [ ]: "1 -2" are two elements, "1 - 2" and "1-2" one.
  if (matrixCtx_.empty() || !matrixCtx_.back()) return false;
  if (!op.spaceBefore) return false;
  if (op.text != "+" && op.text != "-") return false;
  return !lex_.peek(1).spaceBefore;
}

ExprPtr Parser::expression() {
  const Nest nest(*this);
  return operators(Prec::OrOr);
}

// The operators from binding strength `level` up, by the precedence of the
// operator table: each level is a left-associative chain of operands of
// the next stronger level. Ranges and prefix operators have rules of
// their own.
ExprPtr Parser::operators(Prec level) {
  switch (level) {
    case Prec::Range:
      return range();
    case Prec::Unary:
      return unary();
    case Prec::Postfix:
      return postfix();
    default:
      break;
  }
  ExprPtr a = operators(stronger(level));
  for (;;) {
    const Token& t = lex_.peek();
    const Op op = operatorAt(t, Fix::Infix);
    if (op == Op::None || operatorInfo(op).prec != level) break;
    // Inside [ ]: "1 -2" are two elements.
    if (level == Prec::Add && endsMatrixElement(t)) break;
    const std::size_t pos = lex_.next().pos;
    // The exponent of a power may carry a sign of its own (2^-1).
    ExprPtr b = level == Prec::Power ? prefixed(Prec::Postfix) : operators(stronger(level));
    a = binary(op, std::move(a), std::move(b), pos);
  }
  return a;
}

ExprPtr Parser::range() {
  ExprPtr a = operators(Prec::Add);
  if (!isOp(":")) return a;
  // A lone ':' subscript is handled by arguments(); here ':' joins a range.
  const Token op = lex_.next();
  ExprPtr b = operators(Prec::Add);
  auto r = make(ExprKind::Range, op.pos);
  r->a = std::move(a);
  if (isOp(":")) {
    lex_.next();
    r->step = std::move(b);
    r->b = operators(Prec::Add);
  } else {
    r->b = std::move(b);
  }
  return r;
}

// Prefix operators bind more weakly than a power (-2^2 is -(2^2)).
ExprPtr Parser::unary() { return prefixed(Prec::Power); }

// Any number of prefix operators, then the operators from `level` up.
ExprPtr Parser::prefixed(Prec level) {
  const Op op = operatorAt(lex_.peek(), Fix::Prefix);
  if (op == Op::None) return operators(level);
  const Nest nest(*this);
  auto e = make(ExprKind::Unary, lex_.next().pos);
  e->op = op;
  e->a = prefixed(level);
  return e;
}

ExprPtr Parser::postfix() {
  ExprPtr a = primary();
  const bool inMatrix = !matrixCtx_.empty() && matrixCtx_.back();
  // Each step (a call, a field, a transpose) wraps what came before, so a
  // long chain of them nests like brackets do.
  Nest steps(*this, 0);
  for (;;) {
    const Token& t = lex_.peek();
    if (t.kind != Tok::Op) break;
    // Inside [ ]: "a (1)" is two elements.
    if (inMatrix && t.spaceBefore && (t.text == "(" || t.text == "{")) break;
    if (t.text == "(" || t.text == "{" || t.text == "." || t.text == "'" || t.text == ".'")
      steps.deepen();
    if (t.text == "(" || t.text == "{") {
      const Token open = lex_.next();
      const bool brace = open.text == "{";
      auto e = make(brace ? ExprKind::CellIndex : ExprKind::Call, open.pos);
      e->a = std::move(a);
      e->args = arguments(brace ? "}" : ")");
      a = std::move(e);
    } else if (t.text == ".") {
      const Token dot = lex_.next();
      if (isOp("(")) {
        lex_.next();
        matrixCtx_.push_back(false);
        auto e = make(ExprKind::DynField, dot.pos);
        e->a = std::move(a);
        e->b = expression();
        matrixCtx_.pop_back();
        expectOp(")");
        a = std::move(e);
      } else {
        const Token name = lex_.next();
        if (name.kind != Tok::Ident) fail(name, "expected a field name after \".\".");
        auto e = make(ExprKind::Field, dot.pos);
        e->a = std::move(a);
        e->text = name.text;
        a = std::move(e);
      }
    } else if (const Op op = t.postfix; op != Op::None) {
      auto e = make(ExprKind::Postfix, lex_.next().pos);
      e->op = op;
      e->a = std::move(a);
      a = std::move(e);
    } else {
      break;
    }
  }
  return a;
}

ExprList Parser::arguments(const char* close) {
  ExprList args;
  matrixCtx_.push_back(false);
  ++indexDepth_;
  if (!isOp(close)) {
    for (;;) {
      const Token& t = lex_.peek();
      if (t.kind == Tok::Op && t.text == ":" && (isOp(",", 1) || isOp(close, 1))) {
        auto c = make(ExprKind::Colon, lex_.next().pos);
        args.push_back(std::move(c));
      } else {
        args.push_back(expression());
      }
      if (isOp(",")) {
        lex_.next();
        continue;
      }
      break;
    }
  }
  --indexDepth_;
  matrixCtx_.pop_back();
  expectOp(close);
  return args;
}

ExprPtr Parser::matrix(bool cell) {
  const char* close = cell ? "}" : "]";
  auto m = make(cell ? ExprKind::CellLit : ExprKind::Matrix, lex_.peek().pos);
  matrixCtx_.push_back(true);
  ExprList row;
  bool needSeparator = false;
  auto endRow = [&] {
    if (!row.empty()) m->rows.push_back(std::move(row));
    row.clear();
    needSeparator = false;
  };
  for (;;) {
    const Token& t = lex_.peek();
    if (t.kind == Tok::End) throw IncompleteInput();
    if (t.kind == Tok::Op && t.text == close) break;
    if (t.kind == Tok::Newline || (t.kind == Tok::Op && t.text == ";")) {
      lex_.next();
      endRow();
      continue;
    }
    if (t.kind == Tok::Op && t.text == ",") {
      if (!needSeparator) fail(t, "an element is missing before \",\".");
      lex_.next();
      needSeparator = false;
      continue;
    }
    // [~, b] = f(...): an ignored output.
    if (!cell && t.kind == Tok::Op && t.text == "~" && (isOp(",", 1) || isOp(close, 1))) {
      auto e = make(ExprKind::Name, lex_.next().pos);
      e->text = "~";
      row.push_back(std::move(e));
      needSeparator = true;
      continue;
    }
    // Elements are separated by a blank or a comma.
    if (needSeparator && !t.spaceBefore) fail(t, "expected \",\" or a blank between elements.");
    row.push_back(expression());
    needSeparator = true;
  }
  endRow();
  matrixCtx_.pop_back();
  expectOp(close);
  return m;
}

ExprPtr Parser::primary() {
  const Token t = lex_.next();
  switch (t.kind) {
    case Tok::Number: {
      auto e = make(ExprKind::Number, t.pos);
      (t.imag ? e->im : e->re) = t.number;
      return e;
    }
    case Tok::String: {
      auto e = make(ExprKind::String, t.pos);
      e->text = t.text;
      return e;
    }
    case Tok::Ident: {
      if (t.text == "end" && indexDepth_ > 0) return make(ExprKind::End, t.pos);
      if (isKeyword(t.text)) fail(t, "\"" + t.text + "\" is not expected here.");
      auto e = make(ExprKind::Name, t.pos);
      e->text = t.text;
      return e;
    }
    case Tok::Op:
      if (t.text == "(") {
        matrixCtx_.push_back(false);
        ExprPtr e = expression();
        matrixCtx_.pop_back();
        expectOp(")");
        return e;
      }
      if (t.text == "[" || t.text == "{") return matrix(t.text == "{");
      if (t.text == "@") {
        if (isOp("(")) return lambda(t.pos);
        const Token name = lex_.next();
        if (name.kind != Tok::Ident) fail(name, "expected a function name after \"@\".");
        auto e = make(ExprKind::FuncHandle, t.pos);
        e->text = name.text;
        return e;
      }
      break;
    default:
      break;
  }
  fail(t, "expected a value.");
}

ExprPtr Parser::lambda(std::size_t pos) {
  auto e = make(ExprKind::Lambda, pos);
  lex_.next();  // (
  matrixCtx_.push_back(false);
  while (!isOp(")")) {
    const Token t = lex_.next();
    if (t.kind == Tok::Op && t.text == "~") {
      e->params.push_back("~");
    } else if (t.kind == Tok::Ident && !isKeyword(t.text)) {
      if (std::find(e->params.begin(), e->params.end(), t.text) != e->params.end())
        fail(t, "the parameter \"" + t.text + "\" is named twice.");
      e->params.push_back(t.text);
    } else {
      fail(t, "expected a parameter name.");
    }
    if (!isOp(")")) expectOp(",");
  }
  lex_.next();
  // The body is an expression of its own: `end` there is no subscript's.
  const int index = std::exchange(indexDepth_, 0);
  ExprPtr body = expression();
  indexDepth_ = index;
  matrixCtx_.pop_back();
  std::string text = "(";
  for (std::size_t i = 0; i < e->params.size(); ++i) {
    if (i) text += ", ";
    text += e->params[i];
  }
  e->text = text + ") " + exprText(*body);
  e->body = std::move(body);
  return e;
}

bool isIncompleteText(std::string_view text) {
  try {
    Parser p(text, [](const std::string&) { return false; });
    while (p.next()) {
    }
  } catch (const IncompleteInput&) {
    return true;
  } catch (const MError&) {
    return false;
  }
  return false;
}

}  // namespace kh
