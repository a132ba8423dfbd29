// The array operations as host built-ins callable by name, each with its
// argument-count checks.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arith/elementwise.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/arrays/construct.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/query.h"
#include "host/kernels/arrays/reduce.h"
#include "host/kernels/arrays/sort.h"
#include "host/kernels/messages.h"

namespace kh {
namespace {

using Args = ValueList;

void unaryBuiltin(const char* name, UnaryFn fn) {
  registerBuiltin(name, [fn](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {unary(fn, args[0])};
  });
}

void registerAll() {
  unaryBuiltin("abs", UnaryFn::Abs);
  unaryBuiltin("sqrt", UnaryFn::Sqrt);
  unaryBuiltin("log", UnaryFn::Log);
  unaryBuiltin("cos", UnaryFn::Cos);
  unaryBuiltin("sin", UnaryFn::Sin);
  unaryBuiltin("tan", UnaryFn::Tan);
  unaryBuiltin("exp", UnaryFn::Exp);
  unaryBuiltin("atan", UnaryFn::Atan);
  unaryBuiltin("round", UnaryFn::Round);
  unaryBuiltin("fix", UnaryFn::Fix);
  unaryBuiltin("floor", UnaryFn::Floor);
  unaryBuiltin("ceil", UnaryFn::Ceil);
  unaryBuiltin("sign", UnaryFn::Sign);
  unaryBuiltin("real", UnaryFn::Real);
  unaryBuiltin("imag", UnaryFn::Imag);
  unaryBuiltin("conj", UnaryFn::Conj);
  unaryBuiltin("isnan", UnaryFn::Isnan);
  unaryBuiltin("isinf", UnaryFn::Isinf);
  unaryBuiltin("isfinite", UnaryFn::Isfinite);
  unaryBuiltin("double", UnaryFn::Double);

  const std::pair<const char*, BinOp> arithmetic[] = {
      {"plus", BinOp::Plus},       {"minus", BinOp::Minus},     {"times", BinOp::Times},
      {"rdivide", BinOp::Rdivide}, {"ldivide", BinOp::Ldivide}, {"power", BinOp::Power}};
  for (const auto& entry : arithmetic)
    registerBuiltin(entry.first, [op = entry.second](int nargout, Args& args) -> Args {
      checkArgCounts(args, nargout, 2, 2);
      return {binary(op, args[0], args[1])};
    });
  registerBuiltin("mtimes", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 2);
    return {mtimes(args[0], args[1])};
  });

  registerBuiltin("rem", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 2);
    return {rem(args[0], args[1])};
  });
  registerBuiltin("lower", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {lower(args[0])};
  });
  registerBuiltin("upper", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {upper(args[0])};
  });
  registerBuiltin("transpose", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {transpose(args[0])};
  });
  registerBuiltin("ctranspose", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {ctranspose(args[0])};
  });

  registerBuiltin("zeros", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 0, SIZE_MAX);
    return {zeros(args)};
  });
  registerBuiltin("ones", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 0, SIZE_MAX);
    return {ones(args)};
  });
  registerBuiltin("eye", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 0, SIZE_MAX);
    return {eye(args)};
  });
  registerBuiltin("cell", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 0, SIZE_MAX);
    return {cellArray(args)};
  });
  registerBuiltin("reshape", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, SIZE_MAX);
    return {reshape(args[0], Args(args.begin() + 1, args.end()))};
  });
  registerBuiltin("diag", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 2);
    const double k = args.size() > 1 ? scalarArg(args[1], "k") : 0.0;
    return {diag(args[0], k)};
  });
}

const bool kRegistered = (registerAll(), true);

}  // namespace
}  // namespace kh
