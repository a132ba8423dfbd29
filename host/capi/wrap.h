// Helpers shared by the thin C wrappers over the array operations: reading
// null-terminated argument lists, releasing temporaries among the inputs,
// and storing results through out-pointers.
#pragma once

#include <cstdarg>
#include <vector>

#include "host/capi/cs_list.h"
#include "host/values/handle.h"

namespace kh {

// Owns the handles passed to one call and releases the temporaries among
// them when the call ends, on success or when an error unwinds. A handle
// passed twice is released once.
class CallInputs {
 public:
  CallInputs() = default;
  template <typename... A>
  explicit CallInputs(A*... a) {
    (add(a), ...);
  }
  ~CallInputs() { hs_.releaseTemporaries(); }
  CallInputs(const CallInputs&) = delete;
  CallInputs& operator=(const CallInputs&) = delete;
  void add(mxArray* a) { hs_.add(a); }
  // A temporary handle for the call's result, v: one of the inputs when
  // one is a temporary (the call would free it), else a new one.
  mxArray* result(Value&& v) {
    if (mxArray* h = hs_.takeReusable()) return renewTemp(h, std::move(v));
    return newTemp(std::move(v));
  }

 private:
  HandleSet hs_;
};

// The element of a real double scalar (logical or not), or null for any
// other value: operations on two such scalars, the bulk of a program's
// bookkeeping, take a short path.
inline const double* realScalar(const mxArray* h) {
  if (!h) return nullptr;
  const Value& v = h->v;
  return v.isDouble() && v.numel() == 1 && !v.isComplex() ? v.re() : nullptr;
}

// Whether a handle can be given the result of the call it is an input of:
// a temporary (the call would free it) that no body borrows and that is not
// a list.
inline bool reusableTemp(const mxArray* h) { return h->temporary && !h->list && !h->borrows; }

// The result z of an operation on two real scalars a and b that has read
// them, as CallInputs would deliver it (the first reusable temporary input
// takes the result, the other temporary goes), without a guard object: the
// short path of the operators.
inline mxArray* scalarResult(mxArray* a, mxArray* b, Value&& z) {
  mxArray* keep = reusableTemp(a) ? a : reusableTemp(b) ? b : nullptr;
  if (a != keep) releaseIfTemp(a);
  if (b != keep && b != a) releaseIfTemp(b);
  if (keep) return renewTemp(keep, std::move(z));
  return newTemp(std::move(z));
}

// The value of an input of an operation that may write its result over an
// operand: a temporary's value is taken (the call frees the handle anyway),
// anything else is copied, sharing its data, so it is never written over.
inline Value takeOrCopy(mxArray* h, const mxArray* other) {
  if (h && h->temporary && !h->list && h != other) return std::move(h->v);
  return valueOf(h);
}

// Reads handles from ap until a null handle, recording each in `in`.
inline HandleList readList(mxArray* first, va_list ap, CallInputs& in) {
  HandleList out;
  for (mxArray* a = first; a; a = va_arg(ap, mxArray*)) {
    in.add(a);
    out.push_back(a);
  }
  return out;
}

// The values of an argument list; a list handle stands for its elements.
inline ValueList valuesOf(const HandleList& hs) {
  ValueList v;
  v.reserve(hs.size());
  for (mxArray* h : hs) appendArgument(h, v);
  return v;
}

// Stores v into the caller's slot (when the slot is wanted), releasing what
// the slot held before.
inline void setOutput(mxArray** slot, Value v) {
  if (!slot) return;
  mxArray* old = *slot;
  *slot = newHandle(std::move(v), false);
  destroyHandle(old);
}

}  // namespace kh
