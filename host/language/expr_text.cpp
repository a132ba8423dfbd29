#include "host/language/expr_text.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kh {
namespace {

// Binding strength, weakest first, as the parser's levels go.
enum Prec {
  kOrOr = 1,
  kAndAnd,
  kOr,
  kAnd,
  kCompare,
  kRange,
  kAdd,
  kMul,
  kUnary,
  kPower,
  kPostfix,
  kAtom
};

int binaryPrec(const std::string& op) {
  if (op == "|") return kOr;
  if (op == "&") return kAnd;
  if (op == "==" || op == "~=" || op == "<" || op == "<=" || op == ">" || op == ">=")
    return kCompare;
  if (op == "+" || op == "-") return kAdd;
  if (op == "^" || op == ".^") return kPower;
  return kMul;
}

int precOf(const Expr& e) {
  switch (e.kind) {
    case ExprKind::OrOr:
      return kOrOr;
    case ExprKind::AndAnd:
      return kAndAnd;
    case ExprKind::Binary:
      return binaryPrec(e.text);
    case ExprKind::Range:
      return kRange;
    case ExprKind::Unary:
      return kUnary;
    case ExprKind::Lambda:
      return 0;  // its body runs to the end: bracketed inside anything
    case ExprKind::Number:
      return e.re < 0 ? kUnary : kAtom;
    default:
      return kAtom;
  }
}

std::string numberText(double v) {
  char buf[40];
  for (int p = 1; p <= 17; ++p) {
    std::snprintf(buf, sizeof buf, "%.*g", p, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  std::string s = buf;
  if (s == "inf") return "Inf";
  if (s == "-inf") return "-Inf";
  if (s == "nan" || s == "-nan") return "NaN";
  return s;
}

void put(std::string& out, const Expr& e);

// e, bracketed when it binds more weakly than `least`.
void operand(std::string& out, const Expr& e, int least) {
  if (precOf(e) < least) {
    out += '(';
    put(out, e);
    out += ')';
  } else {
    put(out, e);
  }
}

void list(std::string& out, const ExprList& xs) {
  for (std::size_t i = 0; i < xs.size(); ++i) {
    if (i) out += ", ";
    put(out, *xs[i]);
  }
}

void put(std::string& out, const Expr& e) {
  switch (e.kind) {
    case ExprKind::Number:
      if (e.im != 0) {
        out += numberText(e.im) + "i";
      } else {
        out += numberText(e.re);
      }
      return;
    case ExprKind::String:
      out += '\'';
      for (char c : e.text) {
        out += c;
        if (c == '\'') out += '\'';
      }
      out += '\'';
      return;
    case ExprKind::Name:
      out += e.text;
      return;
    case ExprKind::Colon:
      out += ':';
      return;
    case ExprKind::End:
      out += "end";
      return;
    case ExprKind::Unary:
      out += e.text;
      operand(out, *e.a, kUnary);
      return;
    case ExprKind::Postfix:
      operand(out, *e.a, kPostfix);
      out += e.text;
      return;
    case ExprKind::Binary:
    case ExprKind::AndAnd:
    case ExprKind::OrOr: {
      // a + b + c + ... nests through the left operands: the links of one
      // strength are written in a loop, so a long chain does not recurse.
      const int p = precOf(e);
      std::vector<const Expr*> chain;
      const Expr* left = &e;
      for (; (left->kind == ExprKind::Binary || left->kind == ExprKind::AndAnd ||
              left->kind == ExprKind::OrOr) &&
             precOf(*left) == p;
           left = left->a.get())
        chain.push_back(left);
      operand(out, *left, p);
      for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const Expr& link = **it;
        out += ' ' + link.text + ' ';
        // The right operand of a power may carry its own sign (2 ^ -1).
        operand(out, *link.b, p == kPower && link.b->kind == ExprKind::Unary ? kUnary : p + 1);
      }
      return;
    }
    case ExprKind::Range:
      operand(out, *e.a, kAdd);
      out += ':';
      if (e.step) {
        operand(out, *e.step, kAdd);
        out += ':';
      }
      operand(out, *e.b, kAdd);
      return;
    case ExprKind::Call:
    case ExprKind::CellIndex: {
      const bool brace = e.kind == ExprKind::CellIndex;
      operand(out, *e.a, kPostfix);
      out += brace ? '{' : '(';
      list(out, e.args);
      out += brace ? '}' : ')';
      return;
    }
    case ExprKind::Field:
      operand(out, *e.a, kPostfix);
      out += '.' + e.text;
      return;
    case ExprKind::DynField:
      operand(out, *e.a, kPostfix);
      out += ".(";
      put(out, *e.b);
      out += ')';
      return;
    case ExprKind::Matrix:
    case ExprKind::CellLit: {
      const bool cell = e.kind == ExprKind::CellLit;
      out += cell ? '{' : '[';
      for (std::size_t r = 0; r < e.rows.size(); ++r) {
        if (r) out += "; ";
        list(out, e.rows[r]);
      }
      out += cell ? '}' : ']';
      return;
    }
    case ExprKind::FuncHandle:
      out += '@' + e.text;
      return;
    case ExprKind::Lambda:
      out += '@' + e.text;
      return;
  }
}

}  // namespace

std::string exprText(const Expr& e) {
  std::string out;
  put(out, e);
  return out;
}

}  // namespace kh
