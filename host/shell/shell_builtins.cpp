// Host built-ins that belong to the command window: disp, error, warning,
// lasterr, feval, sprintf, fprintf, format, and the named constants (pi, Inf, NaN, eps, i, j, true,
// false).
#include <cmath>
#include <limits>

#include "host/array/handle.h"
#include "host/context/depth.h"
#include "host/context/errors.h"
#include "host/context/output.h"
#include "host/context/warnings.h"
#include "host/loader/registry.h"
#include "host/ops/builtin_registry.h"
#include "host/ops/construct.h"
#include "host/ops/text_format.h"
#include "host/shell/display.h"
#include "runtime/builtins.h"

namespace kh {
namespace {

void checkCounts(int nargout, std::size_t nargs, std::size_t minIn, std::size_t maxIn, int maxOut) {
  if (nargs < minIn) raise("Not enough input arguments.");
  if (nargs > maxIn) raise("Too many input arguments.");
  if (nargout > maxOut) raise("Too many output arguments.");
}

std::string textOf(const Value& v, const char* fn) {
  if (!v.isChar()) raise(std::string("The argument of ") + fn + " must be a text.");
  return v.utf8();
}

const BuiltinRegistrar kDisp("disp", [](int nargout, std::vector<Value>& args) {
  checkCounts(nargout, args.size(), 1, 1, 0);
  emit(formatDisp(args[0]));
  return std::vector<Value>{};
});

const BuiltinRegistrar kError("error", [](int, std::vector<Value>& args) -> std::vector<Value> {
  if (args.empty()) raise("Not enough input arguments.");
  // error(format, args...) formats the message first.
  const std::string msg =
      args.size() > 1
          ? formatText(textOf(args[0], "error"), std::vector<Value>(args.begin() + 1, args.end()))
          : textOf(args[0], "error");
  // An empty message raises nothing.
  if (msg.empty()) return {};
  raise(msg);
});

const BuiltinRegistrar kWarning("warning", [](int nargout, std::vector<Value>& args) {
  checkCounts(nargout, args.size(), 0, 1, 1);
  if (args.empty()) {
    emit(std::string("Warnings are ") + (warningsOn() ? "on" : "off") + ".\n");
    return std::vector<Value>{};
  }
  const std::string text = textOf(args[0], "warning");
  const bool wasOn = warningsOn();
  if (text == "on" || text == "off") {
    setWarningsOn(text == "on");
  } else if (text == "backtrace" || text == "debug" || text == "query") {
    // Accepted for compatibility; nothing to change.
  } else {
    warn(text);
  }
  if (nargout > 0) return std::vector<Value>{Value::str(wasOn ? "on" : "off")};
  return std::vector<Value>{};
});

const BuiltinRegistrar kLasterr("lasterr", [](int nargout, std::vector<Value>& args) {
  checkCounts(nargout, args.size(), 0, 1, 1);
  Value last = Value::str(lastError());
  if (!args.empty()) setLastError(textOf(args[0], "lasterr"));
  return std::vector<Value>{last};
});

const BuiltinRegistrar kFeval("feval", [](int nargout, std::vector<Value>& args) {
  if (args.empty()) raise("Not enough input arguments.");
  CallDepthGuard depth;
  // The call's own list becomes the callee's: the function goes out of it
  // in place, so a chain of fevals shares one list instead of copying the
  // remaining arguments at every step.
  const Value f = std::move(args.front());
  args.erase(args.begin());
  std::string name;
  if (f.isFunction()) {
    const FunctionRef& ref = f.functionRef();
    if (ref.fn) return callFevalForm(ref.fn, nargout, args);
    name = ref.name;
  } else {
    name = textOf(f, "feval");
  }
  // Registered functions, and "module/local" names of local functions.
  if (const mexFunctionTableEntry* e = findLibraryFunction(name, true))
    return callFevalForm(e->function, nargout, args);
  if (const BuiltinFn* b = findBuiltin(name)) return (*b)(nargout, args);
  raise("Undefined function '" + name + "'.");
});

const BuiltinRegistrar kSprintf("sprintf", [](int nargout, std::vector<Value>& args) {
  if (args.empty()) raise("Not enough input arguments.");
  if (nargout > 2) raise("Too many output arguments.");
  const std::string fmt = textOf(args[0], "sprintf");
  const std::vector<Value> rest(args.begin() + 1, args.end());
  std::vector<Value> out{Value::str(formatText(fmt, rest))};
  if (nargout > 1) out.push_back(Value::str(""));
  return out;
});

const BuiltinRegistrar kFprintf("fprintf", [](int nargout, std::vector<Value>& args) {
  if (args.empty()) raise("Not enough input arguments.");
  if (nargout > 1) raise("Too many output arguments.");
  // fprintf(fid, format, ...): 1 is the command window, 2 the error stream.
  std::size_t first = 0;
  double fid = 1;
  if (args[0].isDouble() && args[0].isScalar()) {
    fid = args[0].re()[0];
    if (fid != 1 && fid != 2) raise("Invalid file identifier.");
    first = 1;
    if (args.size() < 2) raise("Not enough input arguments.");
  }
  const std::string fmt = textOf(args[first], "fprintf");
  const std::vector<Value> rest(args.begin() + static_cast<std::ptrdiff_t>(first) + 1, args.end());
  const std::string text = formatText(fmt, rest);
  if (fid == 2)
    emitError(text);
  else
    emit(text);
  if (nargout > 0) return std::vector<Value>{Value::scalar(static_cast<double>(text.size()))};
  return std::vector<Value>{};
});

// Only the host's one display format exists; "format" and "format short"
// are accepted, others are refused rather than silently ignored.
const BuiltinRegistrar kFormat("format", [](int nargout, std::vector<Value>& args) {
  checkCounts(nargout, args.size(), 0, 1, 0);
  if (!args.empty()) {
    const std::string f = textOf(args[0], "format");
    if (f != "short" && f != "loose")
      raise("Only \"format short\" is available in this command window.");
  }
  return std::vector<Value>{};
});

// A named constant: c, or an array of c with the size the arguments ask for.
BuiltinFn constant(const char* name, double re, double im, bool logical) {
  return [name, re, im, logical](int nargout, std::vector<Value>& args) {
    if (nargout > 1) raise("Too many output arguments.");
    Value v = args.empty() ? Value::numeric({1, 1}, im != 0)
                           : Value::numeric(sizeFromArgs(args, name), im != 0);
    for (std::size_t k = 0; k < v.numel(); ++k) v.mutRe()[k] = re;
    if (im != 0)
      for (std::size_t k = 0; k < v.numel(); ++k) v.mutIm()[k] = im;
    v.setLogical(logical);
    return std::vector<Value>{v};
  };
}

const bool kConstants = [] {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const char* n : {"Inf", "inf"}) registerBuiltin(n, constant(n, inf, 0, false));
  for (const char* n : {"NaN", "nan"}) registerBuiltin(n, constant(n, nan, 0, false));
  registerBuiltin("pi", constant("pi", M_PI, 0, false));
  registerBuiltin("eps", constant("eps", std::numeric_limits<double>::epsilon(), 0, false));
  registerBuiltin("realmax", constant("realmax", std::numeric_limits<double>::max(), 0, false));
  registerBuiltin("realmin", constant("realmin", std::numeric_limits<double>::min(), 0, false));
  for (const char* n : {"i", "j"}) registerBuiltin(n, constant(n, 0, 1, false));
  registerBuiltin("true", constant("true", 1, 0, true));
  registerBuiltin("false", constant("false", 0, 0, true));
  return true;
}();

}  // namespace
}  // namespace kh

// The run-time's display of a value, as disp(x) at the command window.
extern "C" void mlfDisp(mxArray* x) {
  kh::TempGuard guard(x);
  kh::emit(kh::formatDisp(kh::valueOf(x)));
}
