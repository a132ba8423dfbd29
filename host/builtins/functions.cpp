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

using Args = std::vector<Value>;

std::optional<std::size_t> optionalDim(const Args& args, std::size_t k) {
  if (args.size() <= k) return std::nullopt;
  return dimArg(args[k]);
}

void unaryBuiltin(const char* name, UnaryFn fn) {
  registerBuiltin(name, [fn](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {unary(fn, args[0])};
  });
}

Value boolValue(bool b) { return Value::logicalScalar(b); }

template <typename F>
void reduceBuiltin(const char* name, F f) {
  registerBuiltin(name, [f](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 2);
    return {f(args[0], optionalDim(args, 1))};
  });
}

void extremeBuiltin(const char* name, bool isMax) {
  registerBuiltin(name, [isMax](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 3, 2);
    if (args.size() == 2) {
      if (nargout > 1)
        raise(std::string(isMax ? "MAX" : "MIN") +
              " with two matrices to compare and two output arguments is not supported.");
      return {isMax ? maxOf(args[0], args[1]) : minOf(args[0], args[1])};
    }
    if (args.size() == 3 && !args[1].isEmpty())
      raise(std::string(isMax ? "MAX" : "MIN") +
            " with two matrices to compare and a working dimension is not supported.");
    const Extreme e =
        isMax ? maxAlong(args[0], optionalDim(args, 2)) : minAlong(args[0], optionalDim(args, 2));
    return {e.value, e.index};
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

  registerBuiltin("size", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, 1, 1, 2);
    if (args.size() == 2) {
      if (nargout > 1) raise(msg::kTooManyOut);
      return {Value::scalar(static_cast<double>(sizeAlong(args[0], dimArg(args[1]))))};
    }
    if (nargout <= 1) return {sizeVector(args[0])};
    return sizeOutputs(args[0], static_cast<std::size_t>(nargout));
  });
  registerBuiltin("ndims", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {Value::scalar(static_cast<double>(args[0].ndims()))};
  });
  registerBuiltin("numel", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {Value::scalar(static_cast<double>(args[0].numel()))};
  });
  registerBuiltin("length", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {Value::scalar(static_cast<double>(args[0].length()))};
  });
  registerBuiltin("isempty", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {boolValue(args[0].isEmpty())};
  });
  registerBuiltin("class", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    // A logical array is a class of its own, as isa answers.
    if (args[0].isLogical()) return {Value::str("logical")};
    return {Value::str(std::string_view(className(args[0])))};
  });
  registerBuiltin("isequal", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, SIZE_MAX);
    bool eq = true;
    for (std::size_t k = 1; k < args.size() && eq; ++k) eq = isEqual(args[0], args[k]);
    return {boolValue(eq)};
  });
  registerBuiltin("isa", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 2);
    if (!args[1].isChar()) raise("Second argument must be a class name.");
    return {boolValue(isA(args[0], args[1].utf8()))};
  });
  registerBuiltin("isreal", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {boolValue(isReal(args[0]))};
  });
  for (const char* name : {"ischar", "isstr"})
    registerBuiltin(name, [](int nargout, Args& args) -> Args {
      checkArgCounts(args, nargout, 1, 1);
      return {boolValue(args[0].isChar())};
    });
  registerBuiltin("islogical", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {boolValue(args[0].isLogical())};
  });
  registerBuiltin("iscell", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {boolValue(args[0].isCell())};
  });
  registerBuiltin("strcmp", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 2);
    return {strcmpValue(args[0], args[1])};
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

  reduceBuiltin("sum", [](const Value& x, auto d) { return sum(x, d); });
  reduceBuiltin("prod", [](const Value& x, auto d) { return prod(x, d); });
  reduceBuiltin("all", [](const Value& x, auto d) { return all(x, d); });
  reduceBuiltin("any", [](const Value& x, auto d) { return any(x, d); });
  extremeBuiltin("max", true);
  extremeBuiltin("min", false);
  // find(x), find(x, n) and find(x, n, 'first' | 'last').
  registerBuiltin("find", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 3, 3);
    std::size_t limit = SIZE_MAX;
    bool fromEnd = false;
    if (args.size() > 1) {
      constexpr const char* kCount = "The number of positions to find must be a positive integer.";
      if (!args[1].isDouble() || args[1].numel() != 1) raise(kCount);
      const double n = args[1].at(0);
      if (!(n >= 1) || (n != std::floor(n) && !std::isinf(n))) raise(kCount);
      if (n < 0x1p63) limit = static_cast<std::size_t>(n);
    }
    if (args.size() > 2) {
      const std::string where = args[2].isChar() ? args[2].utf8() : "";
      if (where != "first" && where != "last")
        raise("The direction of find must be 'first' or 'last'.");
      fromEnd = where == "last";
    }
    if (nargout <= 1) return {find(args[0], limit, fromEnd)};
    Found f = findSubscripts(args[0], limit, fromEnd);
    return {f.rows, f.cols, f.values};
  });
  // sort(x), sort(x, dim), sort(x, direction) and sort(x, dim, direction),
  // the direction being 'ascend' or 'descend'.
  registerBuiltin("sort", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 3, 2);
    std::optional<std::size_t> dim;
    bool descend = false;
    for (std::size_t k = 1; k < args.size(); ++k) {
      if (args[k].isChar() && (k == 2 || args.size() == 2)) {
        const std::string d = lower(args[k]).utf8();
        if (d != "ascend" && d != "descend")
          raise("The sorting direction must be 'ascend' or 'descend'.");
        descend = d == "descend";
      } else if (k == 1) {
        dim = dimArg(args[k]);
      } else {
        raise("The sorting direction must be 'ascend' or 'descend'.");
      }
    }
    Sorted s = sortAlong(args[0], dim, descend);
    return {s.values, s.index};
  });
  registerBuiltin("diff", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 3);
    std::size_t order = 1;
    if (args.size() > 1 && !args[1].isEmpty()) {
      order = countArg(scalarArg(args[1], "Difference order N"),
                       "Difference order N must be a positive integer scalar.");
    }
    return {diff(args[0], order, optionalDim(args, 2))};
  });
}

const bool kRegistered = (registerAll(), true);

}  // namespace
}  // namespace kh
