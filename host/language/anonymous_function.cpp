#include "host/language/anonymous_function.h"

#include <algorithm>
#include <set>
#include <utility>

#include "host/context/depth.h"
#include "host/core/errors.h"
#include "host/language/evaluator.h"
#include "host/language/workspace.h"

namespace kh {
namespace {

void namesIn(const Expr& e, std::set<std::string>& out) {
  checkStackRoom("Expressions are");
  // Along the left operands (a + b + c + ...) in a loop, the rest by recursion.
  for (const Expr* p = &e; p; p = p->a.get()) {
    if (p->kind == ExprKind::Name) out.insert(p->text);
    for (const Expr* x : {static_cast<const Expr*>(p->b.get()),
                          static_cast<const Expr*>(p->step.get()), p->body.get()})
      if (x) namesIn(*x, out);
    for (const ExprPtr& x : p->args) namesIn(*x, out);
    for (const ExprList& row : p->rows)
      for (const ExprPtr& x : row) namesIn(*x, out);
  }
}

class AnonymousFunction final : public Callable {
 public:
  AnonymousFunction(const Expr& e, std::vector<std::pair<std::string, Value>> captured,
                    std::shared_ptr<const FunctionFile> file)
      : body_(e.body),
        params_(e.params),
        text_(e.text),
        captured_(std::move(captured)),
        file_(std::move(file)) {}

  ValueList call(int nargout, ValueList& args) const override {
    CallDepthGuard depth;
    const bool varargin = !params_.empty() && params_.back() == "varargin";
    const std::size_t named = params_.size() - (varargin ? 1 : 0);
    if (!varargin && args.size() > params_.size()) raise("Too many input arguments.");
    Workspace ws;
    for (const auto& [name, value] : captured_) ws.set(name, value);
    for (std::size_t i = 0; i < named && i < args.size(); ++i)
      if (params_[i] != "~" && !args[i].isPlaceholder()) ws.set(params_[i], args[i]);
    if (varargin) {
      const std::size_t extra = args.size() > named ? args.size() - named : 0;
      Value rest = Value::cell({1, extra});
      for (std::size_t i = 0; i < extra; ++i) rest.mutCellAt(i) = args[named + i];
      ws.set("varargin", std::move(rest));
    }
    Evaluator ev(ws, CallFrame{file_, -1, -1});
    return ev.evalOutputs(*body_, nargout);
  }

  std::string text() const override { return text_; }

 private:
  std::shared_ptr<const Expr> body_;
  std::vector<std::string> params_;
  std::string text_;
  std::vector<std::pair<std::string, Value>> captured_;
  std::shared_ptr<const FunctionFile> file_;
};

}  // namespace

Value makeAnonymousFunction(const Expr& e, const Workspace& ws,
                            const std::shared_ptr<const FunctionFile>& file) {
  std::set<std::string> names;
  namesIn(*e.body, names);
  std::vector<std::pair<std::string, Value>> captured;
  for (const std::string& n : names) {
    if (std::find(e.params.begin(), e.params.end(), n) != e.params.end()) continue;
    if (std::optional<Value> v = ws.get(n)) captured.emplace_back(n, std::move(*v));
  }
  FunctionRef ref;
  ref.name = "@" + e.text;  // what func2str gives
  ref.callable = std::make_shared<AnonymousFunction>(e, std::move(captured), file);
  return Value::function(std::move(ref));
}

}  // namespace kh
