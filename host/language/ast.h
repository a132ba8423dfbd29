// Syntax tree of the command-window language.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/language/operators.h"
#include "host/values/value.h"

namespace kh {

struct Builtin;
struct CommandEntry;

// What a function name at one place of a text was found to be. It is kept
// with the syntax tree, so that a text run many times (a callback, a loop
// body, a function file) looks its names up once, and again only when the
// tables it was found in have changed (the generation says when). Only
// what the command window's tables name is kept: a function file or a
// script is looked up at each call, since files change under the session.
struct Callee {
  enum class Kind : std::uint8_t { Unresolved, Command, Library, Builtin };
  Kind kind = Kind::Unresolved;
  std::uint64_t generation = 0;
  union {
    const CommandEntry* command;
    const void* library;  // a row of the library's function table
    const Builtin* builtin;
  };
  Callee() : command(nullptr) {}
};

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;
using ExprList = std::vector<ExprPtr>;

enum class ExprKind {
  Number,      // re / im
  String,      // text
  Name,        // variable or function: name
  Colon,       // ':' as a whole subscript
  End,         // 'end' inside a subscript
  Unary,       // op (Negate, UnaryPlus, Not) applied to a
  Postfix,     // op (CTranspose, Transpose) applied to a
  Binary,      // a op b, an element-wise or matrix operator
  AndAnd,      // a && b (short-circuit), op AndAnd
  OrOr,        // a || b (short-circuit), op OrOr
  Range,       // a : b, or a : step : b when step is set
  Call,        // a(args) — indexing or a call, decided at run time
  CellIndex,   // a{args}
  Field,       // a.name
  DynField,    // a.(expr)
  Matrix,      // [rows]
  CellLit,     // {rows}
  FuncHandle,  // @name
  Lambda       // @(params) body; text holds the normalized text "(x) x + 1"
};

struct Expr {
  ExprKind kind;
  double re = 0, im = 0;
  Op op = Op::None;  // Unary, Postfix, Binary, AndAnd, OrOr
  std::string text;  // String text, Name / Field / FuncHandle name
  ExprPtr a, b, step;
  ExprList args;
  std::vector<ExprList> rows;
  std::size_t pos = 0;
  // Lambda: parameter names ("~" for an ignored one) and the body, shared
  // with the handles made from it, which outlive the statement.
  std::vector<std::string> params;
  std::shared_ptr<const Expr> body;
  // Name, and Call whose base is a Name: the function it names when it is
  // not a variable.
  mutable Callee callee;
  explicit Expr(ExprKind k) : kind(k) {}
  Expr(const Expr&) = delete;
  Expr& operator=(const Expr&) = delete;
  // Chains of operators, calls and fields nest through `a` (a + b + c is
  // (a + b) + c): they are unlinked one node at a time, so that freeing a
  // long chain does not recurse once per link.
  ~Expr() {
    ExprPtr p = std::move(a);
    while (p) {
      ExprPtr next = std::move(p->a);
      p = std::move(next);
    }
  }
};

// One step of an assignment target: x(...), x{...}, x.name or x.(expr).
struct LStep {
  enum Kind { Paren, Brace, Field, DynField } kind;
  ExprList args;
  std::string name;
  ExprPtr dyn;
};

struct LValue {
  std::string name;  // empty for '~' (output ignored)
  std::vector<LStep> steps;
};

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

enum class StmtKind {
  Expr,     // expr (value shown as ans or under its variable's name)
  Assign,   // [targets] = expr
  Command,  // name word word ...
  Global,   // global A B
  If,       // conds[i] -> blocks[i]; elseBlock
  For,      // for var = expr, body
  While,    // while cond, body
  Switch,   // switch expr; case values -> blocks; otherwise
  Break,
  Continue,
  Return,
  Try  // try body catch [ident] elseBlock
};

struct Stmt {
  StmtKind kind;
  bool print = true;  // not ended by ';'
  std::size_t line = 1;
  ExprPtr expr;
  std::vector<LValue> targets;
  std::string name;                // command name, for variable, catch identifier
  std::vector<std::string> words;  // command words, global names
  ValueList wordValues;            // the command words as the command's inputs
  mutable Callee callee;           // the command's function
  std::vector<ExprPtr> conds;      // if/elseif conditions, case values
  std::vector<Block> blocks;       // if/elseif blocks, case blocks
  Block body;                      // for / while / try body
  Block elseBlock;                 // else, otherwise, catch
  bool hasElse = false;
  explicit Stmt(StmtKind k) : kind(k) {}
};

// One function of a function file: function [outputs] = name(params).
struct FunctionDef {
  std::string name;
  std::vector<std::string> params;   // "varargin" last takes the rest
  std::vector<std::string> outputs;  // "varargout" last gives the rest
  Block body;
  std::size_t line = 1;  // of the header
};

}  // namespace kh
