#include "host/language/eval_commands.h"

#include <iostream>
#include <string>

#include "host/context/context.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/kernels/messages.h"
#include "host/language/evaluator.h"
#include "host/language/parser.h"
#include "host/language/workspace.h"

namespace kh {
namespace {

std::string textArgument(const Value& v, const char* fn) {
  if (!v.isChar() || (v.rows() > 1 && !v.isEmpty()))
    raise(std::string("The argument of ") + fn + " must be a text.");
  return v.utf8();
}

Parser parserFor(Evaluator& ev, std::string_view text) {
  Workspace& ws = ev.workspace();
  return Parser(text, [&ws](const std::string& n) { return ws.has(n); });
}

// The value of text as one expression (the whole text must be one).
Value valueOf(Evaluator& ev, const std::string& text) {
  Parser p = parserFor(ev, text);
  StmtPtr s = p.next();
  if (!s || s->kind != StmtKind::Expr || p.next()) raise("The text is not an expression.");
  return ev.eval(*s->expr);
}

// Runs text as statements.
void run(Evaluator& ev, const std::string& text) {
  Parser p = parserFor(ev, text);
  while (StmtPtr s = p.next()) ev.exec(*s);
}

}  // namespace

ValueList evalCommand(Evaluator& ev, int nargout, ValueList& args) {
  if (args.empty()) raise(msg::kNotEnoughIn);
  if (args.size() > 2) raise(msg::kTooManyIn);
  if (nargout > 1) raise(msg::kTooManyOut);
  const std::string text = textArgument(args[0], "eval");
  auto attempt = [&](const std::string& t) -> ValueList {
    if (nargout > 0) return {valueOf(ev, t)};
    run(ev, t);
    return {};
  };
  if (args.size() == 1) return attempt(text);
  const std::string fallback = textArgument(args[1], "eval");
  ValueList out;
  std::string message;
  if (protect([&] { out = attempt(text); }, &message)) return out;
  return attempt(fallback);
}

ValueList str2numCommand(Evaluator& ev, int nargout, ValueList& args) {
  if (args.empty()) raise(msg::kNotEnoughIn);
  if (args.size() > 1) raise(msg::kTooManyIn);
  if (nargout > 2) raise(msg::kTooManyOut);
  if (!args[0].isChar()) raise("The argument of str2num must be a text.");
  // Rows of a char matrix are rows of the matrix.
  const Value& t = args[0];
  std::string text = "[";
  for (std::size_t r = 0; r < t.rows(); ++r) {
    std::u16string row;
    for (std::size_t c = 0; c < t.cols(); ++c) row += t.chr()[c * t.rows() + r];
    text += (r ? ";" : "") + toUtf8(row);
  }
  text += "]";
  Value result = Value::empty();
  std::string message;
  const bool ok = protect([&] { result = valueOf(ev, text); }, &message) && result.isDouble();
  if (!ok) result = Value::empty();
  Value flag = Value::scalar(ok ? 1 : 0);
  flag.setLogical(true);
  return {result, flag};
}

ValueList inputCommand(Evaluator& ev, int nargout, ValueList& args) {
  if (args.size() > 2) raise(msg::kTooManyIn);
  if (nargout > 1) raise(msg::kTooManyOut);
  const std::string prompt = args.empty() ? "" : textArgument(args[0], "input");
  const bool asText = args.size() == 2;
  if (asText && textArgument(args[1], "input") != "s")
    raise("The second argument of input must be 's'.");
  emit(prompt);
  std::string line;
  if (!std::getline(std::cin, line)) raise("input has no more lines to read.");
  if (asText) return {Value::str(line)};
  if (line.find_first_not_of(" \t\r") == std::string::npos) return {Value::empty()};
  return {valueOf(ev, line)};
}

}  // namespace kh
