// Runs parsed statements against a workspace: name resolution (variable,
// then the loaded library's registered functions, then host built-ins),
// operators, indexing, assignments and control flow.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/kernels/arrays/index.h"
#include "host/language/ast.h"
#include "host/language/workspace.h"
#include "host/values/value.h"

namespace kh {

struct FunctionFile;

// What the code being run belongs to: the function file whose functions it
// may call by name (null at the prompt and in scripts), and the counts of
// the call (nargin and nargout; -1 outside a function of a file).
struct CallFrame {
  std::shared_ptr<const FunctionFile> file;
  int nargin = -1;
  int nargout = -1;
};

class Evaluator {
 public:
  enum class Flow { Normal, Break, Continue, Return };

  explicit Evaluator(Workspace& ws, CallFrame frame = {}) : ws_(ws), frame_(std::move(frame)) {}

  Flow exec(const Stmt& s);
  Flow execBlock(const Block& b);

  // The value of an expression (exactly one value).
  Value eval(const Expr& e);
  // The values of an expression that may stand for a list (c{:}, s.f of a
  // structure array), appended to out.
  void evalList(const Expr& e, ValueList& out);
  // The values of an expression asked for nargout of them: a call passes
  // nargout on (and may give fewer when nargout is 0).
  ValueList evalOutputs(const Expr& e, int nargout);

  // The line of the statement being run (of its file, when it has one).
  std::size_t currentLine() const { return line_; }
  void setCurrentLine(std::size_t line) { line_ = line; }
  const CallFrame& frame() const { return frame_; }

  // Calls a function by name: the workspace commands of the command window,
  // then the library's registered functions, then host built-ins. Raises
  // "Undefined function or variable" when the name is unknown.
  ValueList call(const std::string& name, int nargout, ValueList& args);
  // The same, for a name at a place of a text, which keeps what the name
  // was found to be in `callee` for the next call from there.
  ValueList call(Callee& callee, const std::string& name, int nargout, ValueList& args);

  // Set by exit/quit. An exit inside a function call stops every
  // evaluator on the way out, up to the prompt's.
  bool exitRequested() const { return exit_ || exitFromCall(); }
  void requestExit() { exit_ = exitFromCall() = true; }
  void resetExit() { exit_ = exitFromCall() = false; }

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
  Flow execStatement(const Stmt& s);
  // x(args) where x is a variable holding a function handle: the handle
  // called for nargout values; false when e is not such a call.
  bool callHandleVariable(const Expr& e, int nargout, ValueList& out);
  void show(const std::string& name, const Value& v, bool print);

  // Whether e names a function call (not a variable): f, f(args).
  bool isFunctionCall(const Expr& e) const;
  ValueList callExpr(const Expr& e, int nargout);
  Subscripts subscripts(const ExprList& args, const Value& of);
  ValueList arguments(const ExprList& args);
  void indexInto(const Value& base, const Expr& e, ValueList& out);
  Value binaryOp(Op op, const Value& a, const Value& b);
  Value matrixLiteral(const Expr& e, bool cell);
  void assignTo(const LValue& lv, Value rhs);
  void assignSteps(Value& base, const std::vector<LStep>& steps, std::size_t i, Value rhs);

  static bool& exitFromCall();

  Workspace& ws_;
  CallFrame frame_;
  std::size_t line_ = 0;
  std::vector<EndContext> ends_;
  bool exit_ = false;
};

// Truth of a condition: non-empty with every element non-zero.
bool isTrue(const Value& v);

}  // namespace kh
