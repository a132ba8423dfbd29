#include "host/builtins/arrays/queries.h"

#include <cstdint>
#include <string_view>

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/query.h"
#include "host/kernels/messages.h"

namespace kh::builtin {
namespace {

void giveBool(Call& c, bool b) { c.give(Value::logicalScalar(b)); }

// Whether a character value holds exactly the ASCII text t.
bool textIs(const Value& v, std::string_view t) {
  if (v.numel() != t.size()) return false;
  const char16_t* p = v.chr();
  for (std::size_t i = 0; i < t.size(); ++i)
    if (p[i] != static_cast<char16_t>(t[i])) return false;
  return true;
}

}  // namespace

void size(Call& c) {
  c.counts(1, 2, INT32_MAX);
  const Value& x = c.arg(0);
  if (c.has(1)) {
    if (c.nargout() > 1) raise(msg::kTooManyOut);
    c.give(Value::scalar(static_cast<double>(sizeAlong(x, dimArg(c.arg(1))))));
    return;
  }
  if (c.nargout() <= 1) {
    c.give(sizeVector(x));
    return;
  }
  for (Value& d : sizeOutputs(x, static_cast<std::size_t>(c.nargout()))) c.give(std::move(d));
}

void ndims(Call& c) {
  c.counts(1, 1);
  c.give(Value::scalar(static_cast<double>(c.arg(0).ndims())));
}

void numel(Call& c) {
  c.counts(1, 1);
  c.give(Value::scalar(static_cast<double>(c.arg(0).numel())));
}

void length(Call& c) {
  c.counts(1, 1);
  c.give(Value::scalar(static_cast<double>(c.arg(0).length())));
}

void className(Call& c) {
  c.counts(1, 1);
  if (c.arg(0).isLogical()) {
    c.give(Value::str(std::string_view("logical")));
    return;
  }
  c.give(Value::str(std::string_view(kh::className(c.arg(0)))));
}

void isempty(Call& c) {
  c.counts(1, 1);
  giveBool(c, c.arg(0).isEmpty());
}

void isequal(Call& c) {
  c.counts(2, SIZE_MAX);
  bool eq = true;
  for (std::size_t k = 1; k < c.nargin() && eq; ++k) eq = isEqual(c.arg(0), c.arg(k));
  giveBool(c, eq);
}

void isa(Call& c) {
  c.counts(2, 2);
  const Value& name = c.arg(1);
  if (!name.isChar()) raise("Second argument must be a class name.");
  const Value& x = c.arg(0);
  // The names asked most often are compared in place.
  if (textIs(name, "double")) return giveBool(c, x.isDouble() && !x.isLogical());
  if (textIs(name, "function_handle")) return giveBool(c, x.isFunction());
  giveBool(c, isA(x, name.utf8()));
}

void isreal(Call& c) {
  c.counts(1, 1);
  giveBool(c, isReal(c.arg(0)));
}

void ischar(Call& c) {
  c.counts(1, 1);
  giveBool(c, c.arg(0).isChar());
}

void islogical(Call& c) {
  c.counts(1, 1);
  giveBool(c, c.arg(0).isLogical());
}

void iscell(Call& c) {
  c.counts(1, 1);
  giveBool(c, c.arg(0).isCell());
}

void strcmp(Call& c) {
  c.counts(2, 2);
  c.give(strcmpValue(c.arg(0), c.arg(1)));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("size", size);
  registerBuiltin("ndims", ndims);
  registerBuiltin("numel", numel);
  registerBuiltin("length", length);
  registerBuiltin("class", className);
  registerBuiltin("isempty", isempty);
  registerBuiltin("isequal", isequal);
  registerBuiltin("isa", isa);
  registerBuiltin("isreal", isreal);
  registerBuiltin("ischar", ischar);
  registerBuiltin("isstr", ischar);
  registerBuiltin("islogical", islogical);
  registerBuiltin("iscell", iscell);
  registerBuiltin("strcmp", strcmp);
  return true;
}();
}  // namespace

}  // namespace kh::builtin
