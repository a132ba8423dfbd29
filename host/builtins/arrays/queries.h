// Questions about values: size, ndims, numel, length, class, and the
// predicates isempty, isequal, isa, isreal, ischar (isstr), islogical,
// iscell and strcmp, read once for every door. Inline: the library asks
// these questions at nearly every step, and through its C door the call
// then costs no more than the question.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/builtins/call.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/query.h"
#include "host/kernels/messages.h"

namespace kh::builtin {

namespace detail {

inline void giveBool(Call& c, bool b) { c.give(Value::logicalScalar(b)); }

// Whether a character value holds exactly the ASCII text t.
inline bool textIs(const Value& v, std::string_view t) {
  if (v.numel() != t.size()) return false;
  const char16_t* p = v.chr();
  for (std::size_t i = 0; i < t.size(); ++i)
    if (p[i] != static_cast<char16_t>(t[i])) return false;
  return true;
}

}  // namespace detail

// size(x): the size vector, or with several outputs one dimension each (the
// last takes the product of the rest); size(x, dim) the length along dim.
inline void size(Call& c) {
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
  const auto n = static_cast<std::size_t>(c.nargout());
  for (std::size_t k = 0; k < n; ++k) c.give(Value::scalar(sizeOutput(x, k, n)));
}

inline void ndims(Call& c) {
  c.counts(1, 1);
  c.give(Value::scalar(static_cast<double>(c.arg(0).ndims())));
}

inline void numel(Call& c) {
  c.counts(1, 1);
  c.give(Value::scalar(static_cast<double>(c.arg(0).numel())));
}

inline void length(Call& c) {
  c.counts(1, 1);
  c.give(Value::scalar(static_cast<double>(c.arg(0).length())));
}

// class(x); a logical array is of class "logical"
inline void className(Call& c) {
  c.counts(1, 1);
  if (c.arg(0).isLogical()) {
    c.give(Value::str(std::string_view("logical")));
    return;
  }
  c.give(Value::str(std::string_view(kh::className(c.arg(0)))));
}

// class(x); a logical array is of class "logical"
inline void isempty(Call& c) {
  c.counts(1, 1);
  detail::giveBool(c, c.arg(0).isEmpty());
}

// isequal(a, b, ...): all equal to the first
inline void isequal(Call& c) {
  c.counts(2, SIZE_MAX);
  bool eq = true;
  for (std::size_t k = 1; k < c.nargin() && eq; ++k) eq = isEqual(c.arg(0), c.arg(k));
  detail::giveBool(c, eq);
}

// isequal(a, b, ...): all equal to the first
// isa(x, name): the class, or a category ("numeric", "float"); a logical
// array is neither double nor numeric.
inline void isa(Call& c) {
  c.counts(2, 2);
  const Value& name = c.arg(1);
  if (!name.isChar()) raise("Second argument must be a class name.");
  const Value& x = c.arg(0);
  // The names asked most often are compared in place.
  if (detail::textIs(name, "double")) return detail::giveBool(c, x.isDouble() && !x.isLogical());
  if (detail::textIs(name, "function_handle")) return detail::giveBool(c, x.isFunction());
  detail::giveBool(c, isA(x, name.utf8()));
}

inline void isreal(Call& c) {
  c.counts(1, 1);
  detail::giveBool(c, isReal(c.arg(0)));
}

inline void ischar(Call& c) {
  c.counts(1, 1);
  detail::giveBool(c, c.arg(0).isChar());
}

inline void islogical(Call& c) {
  c.counts(1, 1);
  detail::giveBool(c, c.arg(0).isLogical());
}

inline void iscell(Call& c) {
  c.counts(1, 1);
  detail::giveBool(c, c.arg(0).isCell());
}

inline void strcmp(Call& c) {
  c.counts(2, 2);
  c.give(strcmpValue(c.arg(0), c.arg(1)));
}

}  // namespace kh::builtin
