// Reads of variables, nargin and varargin, and statement results.
#include "runtime/variables.h"

#include <cstdarg>
#include <vector>

#include "host/capi/cs_list.h"
#include "host/context/output.h"
#include "host/context/warnings.h"
#include "host/core/errors.h"
#include "host/kernels/display/display.h"
#include "host/values/handle.h"

namespace {

kh::Value takeValue(mxArray* a) {
  kh::TempGuard g(a);
  return kh::valueOf(a);
}

using kh::HandleList;

mxArray* cellOf(const HandleList& items) {
  if (items.empty()) return kh::newTemp(kh::Value::cell({0, 0}));
  kh::TempGuard g;
  for (mxArray* a : items) g.add(a);
  if (items.size() == 1 && kh::isListHandle(items[0])) {
    // f(c{:}): the list already is the row of values; a temporary one is
    // taken over, any other shared.
    mxArray* a = items[0];
    if (a->v.numel() == 0) return kh::newTemp(kh::Value::cell({0, 0}));
    kh::Value c = a->temporary ? std::move(a->v) : a->v;
    return kh::newTemp(std::move(c));
  }
  kh::ValueList values;
  values.reserve(items.size());
  for (mxArray* a : items) kh::appendArgument(a, values);
  kh::Value c = kh::Value::cell({values.empty() ? 0u : 1u, values.size()});
  for (std::size_t i = 0; i < values.size(); ++i) c.mutCellAt(i) = std::move(values[i]);
  return kh::newTemp(std::move(c));
}

}  // namespace

extern "C" {

mxArray* mclVe(mxArray* a) { return a; }

void mclValidateError(int kind, const char* name) {
  const std::string n = name ? name : "";
  if (kind == 0) kh::raise("Input argument '" + n + "' is undefined.");
  kh::raise("Undefined function or variable '" + n + "'.");
}

int mclUninitWarning(const char* name) {
  kh::warn(std::string("Reference to uninitialized variable '") + (name ? name : "") + "'.");
  return 1;
}

void mclValidateOutputWarning(const char* output_name, const char* function_path) {
  kh::warn(std::string("Output argument '") + (output_name ? output_name : "") + "' of '" +
           (function_path ? function_path : "") + "' was not assigned a value.");
}

// Named inputs count up to the last one supplied (a null handle is an input
// left out). With variable inputs every named input was supplied whenever the
// cell holds anything, and the cell's elements count too.
int mclNargin(int code, ...) {
  const int k = code >= 0 ? code : -code - 1;
  va_list ap;
  va_start(ap, code);
  int last = 0;
  for (int i = 0; i < k; ++i)
    if (va_arg(ap, mxArray*)) last = i + 1;
  std::size_t extra = 0;
  if (code < 0) {
    mxArray* cell = va_arg(ap, mxArray*);
    if (cell) extra = kh::valueOf(cell).numel();
  }
  va_end(ap);
  if (extra > 0) return k + static_cast<int>(extra);
  return last;
}

void mclVarargin(mxArray** cell, mxArray* anchor, int include_anchor, va_list rest) {
  HandleList items;
  if (include_anchor && anchor) {
    items.push_back(anchor);
    va_list ap;
    va_copy(ap, rest);
    while (mxArray* a = va_arg(ap, mxArray*)) items.push_back(a);
    va_end(ap);
  } else if (!include_anchor) {
    va_list ap;
    va_copy(ap, rest);
    while (mxArray* a = va_arg(ap, mxArray*)) items.push_back(a);
    va_end(ap);
  }
  mxArray* c = cellOf(items);
  c->temporary = false;
  if (cell) {
    kh::destroyHandle(*cell);
    *cell = c;
  } else {
    kh::destroyHandle(c);
  }
}

mxArray* mclCreateVararginCell(int n, mxArray** args) {
  HandleList items;
  for (int i = 0; i < n; ++i) items.push_back(args[i]);
  return cellOf(items);
}

// A call that gives no value (a set with no output asked for) stores and
// shows nothing.
void mclAssignAns(mxArray** ans, mxArray* value) {
  if (!value) return;
  kh::Value v = takeValue(value);
  if (!ans) return;
  kh::destroyHandle(*ans);
  *ans = kh::newHandle(std::move(v), false);
}

void mclPrintAns(mxArray** ans, mxArray* value) {
  if (!value) return;
  kh::Value v = takeValue(value);
  kh::emit(kh::formatDisplay("ans", v));
  if (!ans) return;
  kh::destroyHandle(*ans);
  *ans = kh::newHandle(std::move(v), false);
}

}  // extern "C"
