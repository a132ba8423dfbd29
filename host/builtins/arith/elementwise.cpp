#include "host/builtins/arith/elementwise.h"

#include "host/builtins/registry.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/arrays/convert.h"

namespace kh::builtin {

void mtimes(Call& c) {
  c.counts(2, 2);
  c.give(kh::mtimes(c.arg(0), c.arg(1)));
}

void rem(Call& c) {
  c.counts(2, 2);
  c.give(kh::rem(c.arg(0), c.arg(1)));
}

void transpose(Call& c) {
  c.counts(1, 1);
  c.give(kh::transpose(c.arg(0)));
}

void ctranspose(Call& c) {
  c.counts(1, 1);
  c.give(kh::ctranspose(c.arg(0)));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("abs", unary<UnaryFn::Abs>);
  registerBuiltin("sqrt", unary<UnaryFn::Sqrt>);
  registerBuiltin("log", unary<UnaryFn::Log>);
  registerBuiltin("cos", unary<UnaryFn::Cos>);
  registerBuiltin("sin", unary<UnaryFn::Sin>);
  registerBuiltin("tan", unary<UnaryFn::Tan>);
  registerBuiltin("exp", unary<UnaryFn::Exp>);
  registerBuiltin("atan", unary<UnaryFn::Atan>);
  registerBuiltin("round", unary<UnaryFn::Round>);
  registerBuiltin("fix", unary<UnaryFn::Fix>);
  registerBuiltin("floor", unary<UnaryFn::Floor>);
  registerBuiltin("ceil", unary<UnaryFn::Ceil>);
  registerBuiltin("sign", unary<UnaryFn::Sign>);
  registerBuiltin("real", unary<UnaryFn::Real>);
  registerBuiltin("imag", unary<UnaryFn::Imag>);
  registerBuiltin("conj", unary<UnaryFn::Conj>);
  registerBuiltin("isnan", unary<UnaryFn::Isnan>);
  registerBuiltin("isinf", unary<UnaryFn::Isinf>);
  registerBuiltin("isfinite", unary<UnaryFn::Isfinite>);
  registerBuiltin("double", unary<UnaryFn::Double>);
  registerBuiltin("plus", binary<BinOp::Plus>);
  registerBuiltin("minus", binary<BinOp::Minus>);
  registerBuiltin("times", binary<BinOp::Times>);
  registerBuiltin("rdivide", binary<BinOp::Rdivide>);
  registerBuiltin("ldivide", binary<BinOp::Ldivide>);
  registerBuiltin("power", binary<BinOp::Power>);
  registerBuiltin("mtimes", mtimes);
  registerBuiltin("rem", rem);
  registerBuiltin("transpose", transpose);
  registerBuiltin("ctranspose", ctranspose);
  registerBuiltin("log2", log2);
  registerBuiltin("atan2", atan2);
  return true;
}();
}  // namespace

}  // namespace kh::builtin
