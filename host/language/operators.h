// The operators of the command-window language and their binding strength:
// the one table from which the parser reads precedence, the evaluator
// dispatches and the text of an expression is written back.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace kh {

enum class Op : std::uint8_t {
  None,
  OrOr,    // ||, short-circuit
  AndAnd,  // &&, short-circuit
  Or,      // |
  And,     // &
  Eq,      // ==
  Ne,      // ~=
  Lt,      // <
  Le,      // <=
  Gt,      // >
  Ge,      // >=
  Plus,    // +
  Minus,   // -
  Mtimes,  // *
  Mrdivide,
  Mldivide,
  Times,  // .*
  Rdivide,
  Ldivide,
  Mpower,  // ^
  Power,   // .^
  Negate,  // prefix -
  UnaryPlus,
  Not,         // prefix ~
  CTranspose,  // postfix '
  Transpose,   // postfix .'
};

// Binding strength, weakest first. Range (a:b:c) and the prefix operators
// have a level of their own; a lambda's body runs to the end of the
// expression, so it binds more weakly than anything.
enum class Prec : std::uint8_t {
  Lambda,
  OrOr,
  AndAnd,
  Or,
  And,
  Compare,
  Range,
  Add,
  Mul,
  Unary,
  Power,
  Postfix,
  Atom
};

enum class Fix : std::uint8_t { Infix, Prefix, Postfix };

struct OperatorInfo {
  Op op;
  std::string_view text;
  Fix fix;
  Prec prec;
};

inline constexpr OperatorInfo kOperators[] = {
    {Op::None, "", Fix::Infix, Prec::Atom},
    {Op::OrOr, "||", Fix::Infix, Prec::OrOr},
    {Op::AndAnd, "&&", Fix::Infix, Prec::AndAnd},
    {Op::Or, "|", Fix::Infix, Prec::Or},
    {Op::And, "&", Fix::Infix, Prec::And},
    {Op::Eq, "==", Fix::Infix, Prec::Compare},
    {Op::Ne, "~=", Fix::Infix, Prec::Compare},
    {Op::Lt, "<", Fix::Infix, Prec::Compare},
    {Op::Le, "<=", Fix::Infix, Prec::Compare},
    {Op::Gt, ">", Fix::Infix, Prec::Compare},
    {Op::Ge, ">=", Fix::Infix, Prec::Compare},
    {Op::Plus, "+", Fix::Infix, Prec::Add},
    {Op::Minus, "-", Fix::Infix, Prec::Add},
    {Op::Mtimes, "*", Fix::Infix, Prec::Mul},
    {Op::Mrdivide, "/", Fix::Infix, Prec::Mul},
    {Op::Mldivide, "\\", Fix::Infix, Prec::Mul},
    {Op::Times, ".*", Fix::Infix, Prec::Mul},
    {Op::Rdivide, "./", Fix::Infix, Prec::Mul},
    {Op::Ldivide, ".\\", Fix::Infix, Prec::Mul},
    {Op::Mpower, "^", Fix::Infix, Prec::Power},
    {Op::Power, ".^", Fix::Infix, Prec::Power},
    {Op::Negate, "-", Fix::Prefix, Prec::Unary},
    {Op::UnaryPlus, "+", Fix::Prefix, Prec::Unary},
    {Op::Not, "~", Fix::Prefix, Prec::Unary},
    {Op::CTranspose, "'", Fix::Postfix, Prec::Postfix},
    {Op::Transpose, ".'", Fix::Postfix, Prec::Postfix},
};

// The table is indexed by Op.
constexpr bool tableInOrder() {
  int k = 0;
  for (const OperatorInfo& o : kOperators)
    if (static_cast<int>(o.op) != k++) return false;
  return true;
}
static_assert(tableInOrder(), "kOperators lists the operators in the order of Op");

constexpr const OperatorInfo& operatorInfo(Op op) { return kOperators[static_cast<int>(op)]; }

// What a token spelt `text` can be as each fix: Op::None where it is no
// operator of that fix.
struct OperatorsSpelt {
  Op infix = Op::None, prefix = Op::None, postfix = Op::None;
};

namespace detail {
// For each first character, the operators whose text starts with it, as
// bits over Op: most tokens (`=`, `;`, `(`, `,`) start no operator and are
// told so by one load, the others compare one to five texts.
using OperatorMask = std::uint32_t;
static_assert(std::size(kOperators) <= 32, "OperatorMask has a bit for every operator");
constexpr std::array<OperatorMask, 128> operatorsByFirstChar() {
  std::array<OperatorMask, 128> m{};
  for (const OperatorInfo& o : kOperators)
    if (o.op != Op::None) m[static_cast<unsigned char>(o.text[0]) & 127] |= OperatorMask{1} << static_cast<int>(o.op);
  return m;
}
inline constexpr std::array<OperatorMask, 128> kOperatorsByFirstChar = operatorsByFirstChar();
}  // namespace detail

constexpr OperatorsSpelt operatorsSpelt(std::string_view text) {
  OperatorsSpelt r;
  const auto c = static_cast<unsigned char>(text.empty() ? 0 : text[0]);
  for (detail::OperatorMask m = c < 128 ? detail::kOperatorsByFirstChar[c] : 0; m != 0; m &= m - 1) {
    const OperatorInfo& o = kOperators[std::countr_zero(m)];
    if (o.text != text) continue;
    (o.fix == Fix::Infix ? r.infix : o.fix == Fix::Prefix ? r.prefix : r.postfix) = o.op;
  }
  return r;
}
static_assert(operatorsSpelt("-").infix == Op::Minus && operatorsSpelt("-").prefix == Op::Negate);
static_assert(operatorsSpelt(".'").postfix == Op::Transpose && operatorsSpelt(".").infix == Op::None);
static_assert(operatorsSpelt("=").infix == Op::None && operatorsSpelt("").prefix == Op::None);

// The next stronger level.
constexpr Prec stronger(Prec p) { return static_cast<Prec>(static_cast<int>(p) + 1); }

}  // namespace kh
