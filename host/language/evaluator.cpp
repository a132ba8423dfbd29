#include "host/language/evaluator.h"

#include <cmath>

#include "host/builtins/registry.h"
#include "host/context/context.h"
#include "host/context/depth.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/core/interrupt.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/arrays/colon.h"
#include "host/kernels/arrays/concat.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/index.h"
#include "host/kernels/arrays/query.h"
#include "host/kernels/display/display.h"
#include "host/language/anonymous_function.h"
#include "host/language/error_trace.h"
#include "host/language/function_files.h"
#include "host/language/scripts.h"
#include "host/language/workspace_commands.h"
#include "host/loader/registry.h"

namespace kh {
namespace {

[[noreturn]] void undefined(const std::string& name) {
  raise("Undefined function or variable '" + name + "'.");
}

Value single(ValueList&& vs, const char* what) {
  if (vs.empty()) raise(std::string(what));
  return std::move(vs.front());
}

ValueList callHandle(Evaluator& ev, const FunctionRef& ref, int nargout, ValueList& args) {
  if (ref.callable) return ref.callable->call(nargout, args);
  if (ref.fn) return callFevalForm(ref.fn, nargout, args);
  return ev.call(ref.name, nargout, args);
}

bool isMissing(const Value& v) { return v.isPlaceholder(); }

}  // namespace

bool isTrue(const Value& v) { return truthValue(v); }

bool& Evaluator::exitFromCall() {
  static bool asked = false;
  return asked;
}

// ---------------------------------------------------------------- calls

ValueList Evaluator::call(const std::string& name, int nargout, ValueList& args) {
  Callee fresh;
  return call(fresh, name, nargout, args);
}

namespace {
// What the command window's tables say `name` is: its commands, then the
// library's registered functions, then host built-ins. A name none of them
// has is left unresolved, to be looked for afresh at each call.
void resolve(Callee& c, const std::string& name, std::uint64_t generation) {
  c = Callee();
  if ((c.command = findCommand(name))) {
    c.kind = Callee::Kind::Command;
  } else if ((c.library = findLibraryFunction(name, false))) {
    c.kind = Callee::Kind::Library;
  } else if ((c.builtin = findBuiltin(name))) {
    c.kind = Callee::Kind::Builtin;
  } else {
    return;
  }
  c.generation = generation;
}
}  // namespace

ValueList Evaluator::call(Callee& callee, const std::string& name, int nargout, ValueList& args) {
  CallDepthGuard depth;
  // Inside a function of a file: its counts, then the file's own functions.
  if (frame_.nargin >= 0 && (name == "nargin" || name == "nargout")) {
    if (!args.empty()) raise("Too many input arguments.");
    return {Value::scalar(name == "nargin" ? frame_.nargin : frame_.nargout)};
  }
  if (frame_.file)
    if (const FunctionDef* f = frame_.file->find(name))
      return callFunction(frame_.file, *f, nargout, args);
  const std::uint64_t now = libraryTableGeneration() + commandGeneration();
  if (callee.generation != now) resolve(callee, name, now);
  switch (callee.kind) {
    case Callee::Kind::Command:
      return callee.command->fn(*this, nargout, args);
    case Callee::Kind::Library:
      return callFevalForm(static_cast<const mexFunctionTableEntry*>(callee.library)->function,
                           nargout, args);
    case Callee::Kind::Builtin:
      return callBuiltin(*callee.builtin, nargout, args);
    case Callee::Kind::Unresolved:
      break;
  }
  if (std::shared_ptr<const FunctionFile> file = functionFileNamed(name))
    return callFunction(file, *file->functions.front(), nargout, args);
  if (runScriptNamed(*this, name, nargout, args)) return {};
  undefined(name);
}

bool Evaluator::isFunctionCall(const Expr& e) const {
  if (e.kind == ExprKind::Name) return !ws_.has(e.text);
  if (e.kind == ExprKind::Call && e.a->kind == ExprKind::Name) return !ws_.has(e.a->text);
  return false;
}

ValueList Evaluator::arguments(const ExprList& args) {
  ValueList out;
  for (const ExprPtr& a : args) {
    if (a->kind == ExprKind::Colon) {
      out.push_back(Value::str(":"));
      continue;
    }
    evalList(*a, out);
  }
  return out;
}

ValueList Evaluator::callExpr(const Expr& e, int nargout) {
  if (e.kind == ExprKind::Name) {
    ValueList none;
    return call(e.callee, e.text, nargout, none);
  }
  ValueList args = arguments(e.args);
  return call(e.a->callee, e.a->text, nargout, args);
}

Subscripts Evaluator::subscripts(const ExprList& args, const Value& of) {
  Subscripts subs;
  for (std::size_t k = 0; k < args.size(); ++k) {
    const Expr& a = *args[k];
    if (a.kind == ExprKind::Colon) {
      subs.push_back(colonIndex());
      continue;
    }
    ends_.push_back({&of, k, args.size()});
    struct Pop {
      std::vector<EndContext>& s;
      ~Pop() { s.pop_back(); }
    } pop{ends_};
    subs.push_back(eval(a));
  }
  return subs;
}

// Applies the indexing of e (a Call, CellIndex, Field or DynField whose base
// value is `base`) and appends the results.
void Evaluator::indexInto(const Value& base, const Expr& e, ValueList& out) {
  switch (e.kind) {
    case ExprKind::Call:
      if (base.isFunction()) {
        ValueList args = arguments(e.args);
        out.push_back(single(callHandle(*this, base.functionRef(), 1, args),
                             "The function did not return a value."));
        return;
      }
      out.push_back(indexRef(base, subscripts(e.args, base)));
      return;
    case ExprKind::CellIndex: {
      ValueList vs = braceRef(base, subscripts(e.args, base));
      for (Value& v : vs) out.push_back(std::move(v));
      return;
    }
    case ExprKind::Field: {
      ValueList vs = fieldRef(base, e.text);
      for (Value& v : vs) out.push_back(std::move(v));
      return;
    }
    case ExprKind::DynField: {
      const Value name = eval(*e.b);
      if (!name.isChar()) raise("Dynamic field names must be texts.");
      ValueList vs = fieldRef(base, name.utf8());
      for (Value& v : vs) out.push_back(std::move(v));
      return;
    }
    default:
      raise("Internal error: not an indexing expression.");
  }
}

// ---------------------------------------------------------------- expressions

Value Evaluator::eval(const Expr& e) {
  ValueList vs;
  evalList(e, vs);
  if (vs.size() != 1) {
    if (vs.empty()) raise("Indexing yields no value here.");
    raise("Indexing cannot yield multiple results.");
  }
  return std::move(vs.front());
}

Value Evaluator::binaryOp(Op op, const Value& a, const Value& b) {
  switch (op) {
    case Op::Plus:
      return binary(BinOp::Plus, a, b);
    case Op::Minus:
      return binary(BinOp::Minus, a, b);
    case Op::Times:
      return binary(BinOp::Times, a, b);
    case Op::Rdivide:
      return binary(BinOp::Rdivide, a, b);
    case Op::Ldivide:
      return binary(BinOp::Ldivide, a, b);
    case Op::Power:
      return binary(BinOp::Power, a, b);
    case Op::Mtimes:
      return mtimes(a, b);
    case Op::Mrdivide:
      return mrdivide(a, b);
    case Op::Mldivide:
      return mldivide(a, b);
    case Op::Mpower:
      return mpower(a, b);
    case Op::Eq:
      return compare(CmpOp::Eq, a, b);
    case Op::Ne:
      return compare(CmpOp::Ne, a, b);
    case Op::Lt:
      return compare(CmpOp::Lt, a, b);
    case Op::Le:
      return compare(CmpOp::Le, a, b);
    case Op::Gt:
      return compare(CmpOp::Gt, a, b);
    case Op::Ge:
      return compare(CmpOp::Ge, a, b);
    case Op::And:
      return logicalAnd(a, b);
    case Op::Or:
      return logicalOr(a, b);
    default:
      raise("Internal error: " + std::string(operatorInfo(op).text) + " is not a binary operator.");
  }
}

Value Evaluator::matrixLiteral(const Expr& e, bool cell) {
  ValueList rows;
  for (const ExprList& row : e.rows) {
    ValueList parts;
    for (const ExprPtr& x : row) {
      ValueList vs;
      evalList(*x, vs);
      for (Value& v : vs) {
        if (cell) {
          Value c = Value::cell({1, 1});
          c.mutCellAt(0) = std::move(v);
          parts.push_back(std::move(c));
        } else {
          parts.push_back(std::move(v));
        }
      }
    }
    if (parts.empty()) continue;
    rows.push_back(parts.size() == 1 ? std::move(parts.front()) : horzcat(parts));
  }
  if (rows.empty()) return cell ? Value::cell({0, 0}) : Value::empty();
  return rows.size() == 1 ? std::move(rows.front()) : vertcat(rows);
}

void Evaluator::evalList(const Expr& e, ValueList& out) {
  checkStackRoom("Expressions are");
  switch (e.kind) {
    case ExprKind::Number:
      out.push_back(e.im != 0 ? Value::complexScalar(e.re, e.im) : Value::scalar(e.re));
      return;
    case ExprKind::String:
      out.push_back(Value::str(e.text));
      return;
    case ExprKind::Name: {
      if (e.text == "~") raise("\"~\" stands only for an ignored output.");
      if (std::optional<Value> v = ws_.get(e.text)) {
        out.push_back(std::move(*v));
        return;
      }
      out.push_back(single(callExpr(e, 1),
                           ("The function '" + e.text + "' did not return a value.").c_str()));
      return;
    }
    case ExprKind::Colon:
      out.push_back(Value::str(":"));
      return;
    case ExprKind::End: {
      if (ends_.empty()) raise("\"end\" is used outside of a subscript.");
      const EndContext& c = ends_.back();
      out.push_back(Value::scalar(static_cast<double>(endOf(*c.value, c.k, c.n))));
      return;
    }
    case ExprKind::Unary: {
      const Value a = eval(*e.a);
      if (e.op == Op::Negate) {
        out.push_back(uminus(a));
      } else if (e.op == Op::Not) {
        out.push_back(logicalNot(a));
      } else {
        Value v = toNumeric(a, "+");
        v.setLogical(false);
        out.push_back(std::move(v));
      }
      return;
    }
    case ExprKind::Postfix: {
      const Value a = eval(*e.a);
      out.push_back(e.op == Op::CTranspose ? ctranspose(a) : transpose(a));
      return;
    }
    case ExprKind::Binary: {
      // a + b + c + ... nests through the left operands: the chain is
      // walked down and folded back up in a loop, in the order recursion
      // would take (left operand, right operand, operator).
      boost::container::small_vector<const Expr*, 8> chain;
      const Expr* p = &e;
      for (; p->kind == ExprKind::Binary; p = p->a.get()) chain.push_back(p);
      Value acc = eval(*p);
      for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const Value b = eval(*(*it)->b);
        acc = binaryOp((*it)->op, acc, b);
      }
      out.push_back(std::move(acc));
      return;
    }
    case ExprKind::AndAnd:
    case ExprKind::OrOr: {
      // Likewise for a chain of the same short-circuit operator.
      const bool isAnd = e.kind == ExprKind::AndAnd;
      std::size_t links = 0;
      const Expr* p = &e;
      for (; p->kind == e.kind; p = p->a.get()) ++links;
      bool r = isTrue(eval(*p));
      // The right operands from the innermost link outwards.
      boost::container::small_vector<const Expr*, 8> rights(links);
      p = &e;
      for (std::size_t k = links; k-- > 0; p = p->a.get()) rights[k] = p->b.get();
      for (const Expr* b : rights)
        if (r == isAnd) r = isTrue(eval(*b));
      out.push_back(Value::logicalScalar(r));
      return;
    }
    case ExprKind::Range: {
      const Value a = eval(*e.a);
      if (e.step) {
        const Value s = eval(*e.step);
        out.push_back(colon(a, s, eval(*e.b)));
      } else {
        out.push_back(colon(a, eval(*e.b)));
      }
      return;
    }
    case ExprKind::Call:
      if (isFunctionCall(e)) {
        out.push_back(single(callExpr(e, 1),
                             ("The function '" + e.a->text + "' did not return a value.").c_str()));
        return;
      }
      [[fallthrough]];
    case ExprKind::CellIndex:
    case ExprKind::Field:
    case ExprKind::DynField: {
      const Value base = eval(*e.a);
      indexInto(base, e, out);
      return;
    }
    case ExprKind::Matrix:
      out.push_back(matrixLiteral(e, false));
      return;
    case ExprKind::CellLit:
      out.push_back(matrixLiteral(e, true));
      return;
    case ExprKind::Lambda:
      out.push_back(makeAnonymousFunction(e, ws_, frame_.file));
      return;
    case ExprKind::FuncHandle: {
      // A function of this file is reached through the handle from anywhere.
      if (frame_.file)
        if (const FunctionDef* f = frame_.file->find(e.text)) {
          out.push_back(fileFunctionHandle(frame_.file, *f));
          return;
        }
      FunctionRef ref;
      ref.name = e.text;
      if (const mexFunctionTableEntry* f = findLibraryFunction(e.text, false)) {
        ref.fn = f->function;
      } else if (!findBuiltin(e.text) && functionFileNamed(e.text)) {
        out.push_back(functionFileHandle(e.text));
        return;
      }
      out.push_back(Value::function(ref));
      return;
    }
  }
}

ValueList Evaluator::evalOutputs(const Expr& e, int nargout) {
  ValueList vs;
  if (isFunctionCall(e)) return callExpr(e, nargout);
  if (callHandleVariable(e, nargout, vs)) return vs;
  evalList(e, vs);
  return vs;
}

bool Evaluator::callHandleVariable(const Expr& e, int nargout, ValueList& out) {
  if (e.kind != ExprKind::Call || e.a->kind != ExprKind::Name) return false;
  std::optional<Value> f = ws_.get(e.a->text);
  if (!f || !f->isFunction()) return false;
  ValueList args = arguments(e.args);
  out = callHandle(*this, f->functionRef(), nargout, args);
  return true;
}

// ---------------------------------------------------------------- assignment

void Evaluator::assignSteps(Value& base, const std::vector<LStep>& steps, std::size_t i,
                            Value rhs) {
  const LStep& st = steps[i];
  const bool last = i + 1 == steps.size();
  switch (st.kind) {
    case LStep::Paren: {
      const Subscripts subs = subscripts(st.args, base);
      if (last) {
        indexAssign(base, subs, rhs);
        return;
      }
      Value part;
      if (!isMissing(base) && !base.isEmpty()) {
        try {
          part = indexRef(base, subs);
        } catch (const MError&) {
          // Beyond the end: the element is created.
        }
      }
      assignSteps(part, steps, i + 1, std::move(rhs));
      indexAssign(base, subs, part);
      return;
    }
    case LStep::Brace: {
      const Subscripts subs = subscripts(st.args, base);
      if (last) {
        braceAssign(base, subs, rhs);
        return;
      }
      Value part;
      if (base.isCell()) {
        try {
          ValueList got = braceRef(base, subs);
          if (got.size() == 1) part = std::move(got.front());
        } catch (const MError&) {
          // Beyond the end: the cell is created.
        }
      }
      assignSteps(part, steps, i + 1, std::move(rhs));
      braceAssign(base, subs, part);
      return;
    }
    case LStep::Field:
    case LStep::DynField: {
      std::string name = st.name;
      if (st.kind == LStep::DynField) {
        const Value n = eval(*st.dyn);
        if (!n.isChar()) raise("Dynamic field names must be texts.");
        name = n.utf8();
      }
      if (last) {
        fieldAssign(base, name, rhs);
        return;
      }
      Value part;
      if (base.isStruct() && base.isScalar() && base.fieldIndex(name) >= 0)
        part = base.fieldAt(0, static_cast<std::size_t>(base.fieldIndex(name)));
      assignSteps(part, steps, i + 1, std::move(rhs));
      fieldAssign(base, name, part);
      return;
    }
  }
}

void Evaluator::assignTo(const LValue& lv, Value rhs) {
  if (lv.name.empty()) return;  // ~
  if (lv.steps.empty()) {
    ws_.set(lv.name, std::move(rhs));
    return;
  }
  Value base = ws_.get(lv.name).value_or(Value());
  assignSteps(base, lv.steps, 0, std::move(rhs));
  ws_.set(lv.name, std::move(base));
}

// ---------------------------------------------------------------- statements

void Evaluator::show(const std::string& name, const Value& v, bool print) {
  if (print) emit(formatDisplay(name, v));
}

void Evaluator::execExpr(const Stmt& s) {
  const Expr& e = *s.expr;
  if (e.kind == ExprKind::Name && ws_.has(e.text)) {
    show(e.text, *ws_.get(e.text), s.print);
    return;
  }
  ValueList vs;
  if (isFunctionCall(e)) {
    // A call made as a statement asks for no output; a value that comes
    // back anyway becomes ans.
    vs = callExpr(e, 0);
    if (vs.size() > 1) vs.resize(1);
  } else if (callHandleVariable(e, 0, vs)) {
    if (vs.size() > 1) vs.resize(1);
  } else {
    evalList(e, vs);
  }
  for (Value& v : vs) {
    if (v.isPlaceholder()) continue;
    ws_.set("ans", v);
    show("ans", v, s.print);
  }
}

void Evaluator::execAssign(const Stmt& s) {
  const std::size_t n = s.targets.size();
  ValueList vs;
  if (n > 1 && isFunctionCall(*s.expr)) {
    vs = callExpr(*s.expr, static_cast<int>(n));
  } else if (n > 1) {
    if (!callHandleVariable(*s.expr, static_cast<int>(n), vs)) evalList(*s.expr, vs);
  } else {
    vs.push_back(eval(*s.expr));
  }
  // Every named target needs a value; surplus values are dropped.
  for (std::size_t i = 0; i < n; ++i)
    if (!s.targets[i].name.empty() && (i >= vs.size() || vs[i].isPlaceholder()))
      raise(i >= vs.size() ? "Too many output arguments."
                           : "The output " + std::to_string(i + 1) + " was not assigned.");
  for (std::size_t i = 0; i < n; ++i) {
    const LValue& t = s.targets[i];
    if (t.name.empty()) continue;
    assignTo(t, std::move(vs[i]));
    show(t.name, *ws_.get(t.name), s.print);
  }
}

void Evaluator::execCommand(const Stmt& s) {
  ValueList args = s.wordValues;
  ValueList vs = call(s.callee, s.name, 0, args);
  if (!vs.empty() && !vs.front().isPlaceholder()) {
    ws_.set("ans", vs.front());
    show("ans", vs.front(), s.print);
  }
}

Evaluator::Flow Evaluator::execFor(const Stmt& s) {
  const Value range = eval(*s.expr);
  const std::size_t rows = range.isEmpty() ? 0 : range.rows();
  const std::size_t cols = range.isEmpty() ? 0 : range.numel() / rows;
  for (std::size_t c = 0; c < cols; ++c) {
    if (c) pollInterrupt();  // an empty body is a loop too
    Value item;
    if (range.isDouble() && rows == 1 && !range.isComplex()) {
      item = Value::scalar(range.re()[c]);
      item.setLogical(range.isLogical());
    } else {
      item = indexRef(range, {colonIndex(), Value::scalar(static_cast<double>(c + 1))});
    }
    ws_.set(s.name, std::move(item));
    const Flow f = execBlock(s.body);
    if (f == Flow::Break) break;
    if (f == Flow::Return) return f;
  }
  return Flow::Normal;
}

Evaluator::Flow Evaluator::execWhile(const Stmt& s) {
  while (isTrue(eval(*s.expr))) {
    pollInterrupt();
    const Flow f = execBlock(s.body);
    if (f == Flow::Break) break;
    if (f == Flow::Return) return f;
  }
  return Flow::Normal;
}

Evaluator::Flow Evaluator::execIf(const Stmt& s) {
  for (std::size_t i = 0; i < s.conds.size(); ++i)
    if (isTrue(eval(*s.conds[i]))) return execBlock(s.blocks[i]);
  if (s.hasElse) return execBlock(s.elseBlock);
  return Flow::Normal;
}

Evaluator::Flow Evaluator::execSwitch(const Stmt& s) {
  const Value v = eval(*s.expr);
  auto matches = [&](const Value& c) {
    if (v.isChar() || c.isChar()) return v.isChar() && c.isChar() && v.u16() == c.u16();
    if (!c.isScalar() || !v.isScalar()) return false;
    return isTrue(compare(CmpOp::Eq, v, c));
  };
  for (std::size_t i = 0; i < s.conds.size(); ++i) {
    const Value c = eval(*s.conds[i]);
    bool hit = false;
    if (c.isCell()) {
      for (std::size_t k = 0; k < c.numel() && !hit; ++k) hit = matches(c.cellAt(k));
    } else {
      hit = matches(c);
    }
    if (hit) return execBlock(s.blocks[i]);
  }
  if (s.hasElse) return execBlock(s.elseBlock);
  return Flow::Normal;
}

Evaluator::Flow Evaluator::execTry(const Stmt& s) {
  Flow flow = Flow::Normal;
  std::string msg;
  const std::size_t depth = ends_.size();
  const std::size_t line = line_;
  if (protect([&] { flow = execBlock(s.body); }, &msg)) return flow;
  ends_.resize(depth);
  line_ = line;
  clearErrorTrace();
  if (!s.name.empty()) {
    Value err = Value::structArray({1, 1}, {"message", "identifier"});
    err.mutFieldAt(0, 0) = Value::str(msg);
    err.mutFieldAt(0, 1) = Value::str(std::string_view(lastErrorIdentifier()));
    ws_.set(s.name, std::move(err));
  }
  return execBlock(s.elseBlock);
}

Evaluator::Flow Evaluator::exec(const Stmt& s) {
  // An error leaves line_ at the statement that raised it; a statement
  // that completes gives the line back to the one around it.
  const std::size_t outer = line_;
  line_ = s.line;
  const Flow f = execStatement(s);
  line_ = outer;
  return f;
}

Evaluator::Flow Evaluator::execStatement(const Stmt& s) {
  checkStackRoom("Blocks are");
  pollInterrupt();
  switch (s.kind) {
    case StmtKind::Expr:
      execExpr(s);
      return Flow::Normal;
    case StmtKind::Assign:
      execAssign(s);
      return Flow::Normal;
    case StmtKind::Command:
      execCommand(s);
      return Flow::Normal;
    case StmtKind::Global:
      for (const std::string& n : s.words) ws_.declareGlobal(n);
      return Flow::Normal;
    case StmtKind::If:
      return execIf(s);
    case StmtKind::For:
      return execFor(s);
    case StmtKind::While:
      return execWhile(s);
    case StmtKind::Switch:
      return execSwitch(s);
    case StmtKind::Try:
      return execTry(s);
    case StmtKind::Break:
      return Flow::Break;
    case StmtKind::Continue:
      return Flow::Continue;
    case StmtKind::Return:
      return Flow::Return;
  }
  return Flow::Normal;
}

Evaluator::Flow Evaluator::execBlock(const Block& b) {
  for (const StmtPtr& s : b) {
    if (exitRequested()) return Flow::Return;
    const Flow f = exec(*s);
    if (f != Flow::Normal) return f;
  }
  return Flow::Normal;
}

}  // namespace kh
