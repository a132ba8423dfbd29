// Convolution, decompositions, norms and text search as host built-ins.
#include "host/kernels/linalg/linalg.h"

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/signal/convolution.h"
#include "host/kernels/text/strmatch.h"

namespace kh {
namespace {

using Args = ValueList;

void registerAll() {
  registerBuiltin("conv2", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 4);
    if (args.size() == 2) return {conv2(args[0], args[1], ConvShape::Full)};
    if (args[2].isChar()) {
      if (args.size() > 3) raise("Too many input arguments.");
      return {conv2(args[0], args[1], convShapeFromText(args[2]))};
    }
    const ConvShape s = args.size() > 3 ? convShapeFromText(args[3]) : ConvShape::Full;
    return {conv2Separable(args[0], args[1], args[2], s)};
  });
  registerBuiltin("svd", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 2, 3);
    if (nargout <= 1) return {singularValues(args[0])};
    SvdResult r = svd(args[0], args.size() > 1);
    return {r.u, r.s, r.v};
  });
  registerBuiltin("norm", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 2);
    return {norm(args[0], args.size() > 1 ? &args[1] : nullptr)};
  });
  registerBuiltin("strmatch", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 3);
    if (args.size() > 2 && args[2].utf8() != "exact") raise("Invalid flag.");
    return {strmatch(args[0], args[1], args.size() > 2)};
  });
}

const bool kRegistered = (registerAll(), true);

}  // namespace
}  // namespace kh
