#include "host/language/expr_text.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kh {
namespace {

Prec precOf(const Expr& e) {
  switch (e.kind) {
    case ExprKind::OrOr:
    case ExprKind::AndAnd:
    case ExprKind::Binary:
    case ExprKind::Unary:
      return operatorInfo(e.op).prec;
    case ExprKind::Range:
      return Prec::Range;
    case ExprKind::Lambda:
      return Prec::Lambda;
    case ExprKind::Number:
      return e.re < 0 ? Prec::Unary : Prec::Atom;
    default:
      return Prec::Atom;
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
void operand(std::string& out, const Expr& e, Prec least) {
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
      out += operatorInfo(e.op).text;
      operand(out, *e.a, Prec::Unary);
      return;
    case ExprKind::Postfix:
      operand(out, *e.a, Prec::Postfix);
      out += operatorInfo(e.op).text;
      return;
    case ExprKind::Binary:
    case ExprKind::AndAnd:
    case ExprKind::OrOr: {
      // a + b + c + ... nests through the left operands: the links of one
      // strength are written in a loop, so a long chain does not recurse.
      const Prec p = precOf(e);
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
        out += ' ';
        out += operatorInfo(link.op).text;
        out += ' ';
        // The right operand of a power may carry its own sign (2 ^ -1).
        operand(out, *link.b,
                p == Prec::Power && link.b->kind == ExprKind::Unary ? Prec::Unary : stronger(p));
      }
      return;
    }
    case ExprKind::Range:
      operand(out, *e.a, Prec::Add);
      out += ':';
      if (e.step) {
        operand(out, *e.step, Prec::Add);
        out += ':';
      }
      operand(out, *e.b, Prec::Add);
      return;
    case ExprKind::Call:
    case ExprKind::CellIndex: {
      const bool brace = e.kind == ExprKind::CellIndex;
      operand(out, *e.a, Prec::Postfix);
      out += brace ? '{' : '(';
      list(out, e.args);
      out += brace ? '}' : ')';
      return;
    }
    case ExprKind::Field:
      operand(out, *e.a, Prec::Postfix);
      out += '.' + e.text;
      return;
    case ExprKind::DynField:
      operand(out, *e.a, Prec::Postfix);
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
