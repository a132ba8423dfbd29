// Factorizations, random numbers, the filter and text helpers as host
// built-ins.
#include <cmath>

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arith/matrix.h"
#include "host/kernels/arith/random.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/ismember.h"
#include "host/kernels/linalg/decomp.h"
#include "host/kernels/signal/filter1d.h"
#include "host/kernels/text/text_ops.h"

namespace kh {
namespace {

using Args = ValueList;

void registerAll() {
  registerBuiltin("qr", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 2, 2);
    if (args.size() > 1 && !(args[1].isDouble() && args[1].numel() == 1 && args[1].re()[0] == 0))
      raise("Use qr(X,0) for economy size decomposition.");
    QrResult f = qr(args[0], args.size() > 1);
    if (nargout <= 1) return {f.r};
    return {f.q, f.r};
  });
  registerBuiltin("lu", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1, 3);
    LuResult f = lu(args[0], nargout > 2);
    if (nargout > 2) return {f.l, f.u, f.p};
    return {f.l, f.u};
  });
  registerBuiltin("mldivide", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 2);
    return {mldivide(args[0], args[1])};
  });
  registerBuiltin("mrdivide", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 2);
    return {mrdivide(args[0], args[1])};
  });
  registerBuiltin("rand", [](int nargout, Args& args) -> Args {
    if (nargout > 1) raise("Too many output arguments.");
    return {rand(args)};
  });
  registerBuiltin("randn", [](int nargout, Args& args) -> Args {
    if (nargout > 1) raise("Too many output arguments.");
    return {randn(args)};
  });
  registerBuiltin("filter", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 3, 5, 2);
    const Value* zi = args.size() > 3 ? &args[3] : nullptr;
    std::optional<std::size_t> dim;
    if (args.size() > 4) dim = dimArg(args[4]);
    FilterResult r = filter(args[0], args[1], args[2], zi, dim);
    if (nargout > 1) return {r.y, r.zf};
    return {r.y};
  });
  registerBuiltin("char", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 64);
    return {charRows(args)};
  });
  registerBuiltin("deblank", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 1, 1);
    return {deblank(args[0])};
  });
  registerBuiltin("ismember", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 3);
    if (args.size() > 2 && args[2].utf8() != "rows") raise("Unknown flag.");
    return {ismember(args[0], args[1], args.size() > 2)};
  });
  registerBuiltin("sscanf", [](int nargout, Args& args) -> Args {
    checkArgCounts(args, nargout, 2, 3, 4);
    if (!args[0].isChar() || !args[1].isChar()) raise("Input must be a string.");
    std::size_t limit = static_cast<std::size_t>(-1);
    if (args.size() > 2) {
      if (!args[2].isDouble() || args[2].isComplex())
        raise("The size argument of sscanf must be real numbers.");
      double total = 1;
      for (std::size_t i = 0; i < args[2].numel(); ++i) total *= args[2].re()[i];
      if (total >= 0 && total < 0x1p64) limit = static_cast<std::size_t>(total);
    }
    ScanResult r = scanNumbers(args[0].utf8(), args[1].utf8(), limit);
    return {r.values, Value::scalar(static_cast<double>(r.count)),
            Value::str(std::string_view(r.error)), Value::scalar(static_cast<double>(r.next))};
  });
}

const bool kRegistered = (registerAll(), true);

}  // namespace
}  // namespace kh
