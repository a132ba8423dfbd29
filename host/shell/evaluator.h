// Runs parsed statements against a workspace: name resolution (variable,
// then the loaded library's registered functions, then host built-ins),
// operators, indexing, assignments and control flow.
#pragma once

#include <string>
#include <vector>

#include "host/array/value.h"
#include "host/ops/index.h"
#include "host/shell/ast.h"
#include "host/shell/workspace.h"

namespace kh {

class Evaluator {
 public:
  enum class Flow { Normal, Break, Continue, Return };

  explicit Evaluator(Workspace& ws) : ws_(ws) {}

  Flow exec(const Stmt& s);
  Flow execBlock(const Block& b);

  // The value of an expression (exactly one value).
  Value eval(const Expr& e);
  // The values of an expression that may stand for a list (c{:}, s.f of a
  // structure array), appended to out.
  void evalList(const Expr& e, std::vector<Value>& out);

  // Calls a function by name: the workspace commands of the command window,
  // then the library's registered functions, then host built-ins. Raises
  // "Undefined function or variable" when the name is unknown.
  std::vector<Value> call(const std::string& name, int nargout, std::vector<Value>& args);

  // Set by exit/quit.
  bool exitRequested() const { return exit_; }
  void requestExit() { exit_ = true; }
  void resetExit() { exit_ = false; }

  Workspace& workspace() { return ws_; }

 private:
  struct EndContext {
    const Value* value;
    std::size_t k, n;
  };

  void execExpr(const Stmt& s);
  void execAssign(const Stmt& s);
  void execCommand(const Stmt& s);
  Flow execFor(const Stmt& s);
  Flow execWhile(const Stmt& s);
  Flow execIf(const Stmt& s);
  Flow execSwitch(const Stmt& s);
  Flow execTry(const Stmt& s);
  void show(const std::string& name, const Value& v, bool print);

  // Whether e names a function call (not a variable): f, f(args).
  bool isFunctionCall(const Expr& e) const;
  std::vector<Value> callExpr(const Expr& e, int nargout);
  Subscripts subscripts(const ExprList& args, const Value& of);
  std::vector<Value> arguments(const ExprList& args);
  void indexInto(const Value& base, const Expr& e, std::vector<Value>& out);
  Value binaryOp(const std::string& op, const Value& a, const Value& b);
  Value matrixLiteral(const Expr& e, bool cell);
  void assignTo(const LValue& lv, Value rhs);
  void assignSteps(Value& base, const std::vector<LStep>& steps, std::size_t i, Value rhs);

  Workspace& ws_;
  std::vector<EndContext> ends_;
  bool exit_ = false;
};

// Truth of a condition: non-empty with every element non-zero.
bool isTrue(const Value& v);

}  // namespace kh
