// The frame of a body: the module's local function table installed for the
// body's run, nargin, the variables it owns and the check of its outputs.
// Variables are released when the body ends, also when an error unwinds
// through it, so a body cannot leak.
#pragma once

#include <initializer_list>

#include "framework/function.h"
#include "framework/module.h"
#include "runtime/runtime.h"

namespace kf {

class Frame {
 public:
  explicit Frame(const Function& f)
      : f_(f), previous_(mclSetCurrentLocalFunctionTable(f.module.localTable())) {}
  ~Frame() { mclSetCurrentLocalFunctionTable(previous_); }
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;

  // Number of inputs the caller supplied: the named inputs, then the
  // varargin cell for a varargin function.
  template <typename... A>
  int nargin(A*... in) const {
    return mclNargin(f_.code(), in..., static_cast<mxArray*>(nullptr));
  }

  const Function& function() const { return f_; }

 private:
  const Function& f_;
  mexLocalFunctionTablePtr previous_;
};

// A variable owned by a body: a local (starts as a placeholder, or null when
// only a data-file load can assign it) or an input made the body's own.
class Var {
 public:
  enum Kind { kInput = 0, kLocal = 1 };

  // A local variable holding a placeholder. The placeholder's handle is made
  // only when the variable is read before it is assigned: most locals are
  // assigned first, and a body runs often.
  explicit Var(const char* name) : name_(name), kind_(kLocal), h_(nullptr), lazy_(true) {}
  // A named input or the varargin cell. A temporary is taken over; any other
  // value is read where the caller keeps it (most inputs are only read), and
  // the variable gets a copy of its own when it is first written.
  Var(const char* name, mxArray* param)
      : name_(name), kind_(kInput), h_(param), borrowed_(mclBorrowInput(&h_) != 0) {}
  ~Var() {
    if (borrowed_)
      mclEndBorrow(h_);
    else
      mxDestroyArray(h_);
  }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;

  // A local that only a data-file load can assign: starts null.
  static Var loadOnly(const char* name) { return Var(name, kLocal, nullptr); }
  // An output variable that takes the input of the same M-level name.
  static Var fromInput(const char* name, mxArray* input) {
    Var v(name, kLocal, nullptr);
    mclCopyInputArg(&v.h_, input);
    return v;
  }
  Var(Var&& o) noexcept
      : name_(o.name_),
        kind_(o.kind_),
        h_(o.h_),
        lazy_(o.lazy_),
        borrowed_(o.borrowed_),
        known_(o.known_),
        lent_(o.lent_) {
    o.h_ = nullptr;
    o.borrowed_ = false;
    o.known_ = false;
  }

  // The value read as an operand or a function argument: an unassigned
  // variable warns and reads as an empty array.
  mxArray* operator()() const {
    if (known_) return h_;
    return readChecked();
  }
  // The value read as the object of indexing, a subscript or the whole right
  // side of an assignment: an unassigned variable warns and reads as itself.
  mxArray* ref() const {
    if (known_) return h_;
    return refChecked();
  }

  // Assignment (takes over a temporary, copies anything else).
  Var& operator=(mxArray* v) {
    known_ = false;
    lent_ = false;
    if (borrowed_) {
      mxArray* lent = h_;
      h_ = nullptr;
      borrowed_ = false;
      mlfAssign(&h_, v);
      mclEndBorrow(lent);
    } else {
      mlfAssign(&h_, v);
    }
    return *this;
  }
  // The variable's own handle, for a write in place or as an output slot.
  mxArray** slot() {
    own();
    known_ = false;
    lent_ = true;  // whoever holds the slot may write anything into it
    return &h_;
  }
  mxArray* handle() const {
    placeholderIfUnassigned();
    return h_;
  }
  const char* name() const { return name_; }
  // Hands the handle over (the body's first output on return).
  mxArray* release() {
    own();
    known_ = false;
    mxArray* h = h_;
    h_ = nullptr;
    return h;
  }

 private:
  Var(const char* name, Kind kind, mxArray* h) : name_(name), kind_(kind), h_(h) {}
  void own() {
    if (borrowed_) {
      mclOwnBorrowed(&h_);
      borrowed_ = false;
    }
  }
  // The reads with their checks, which set known_ when they pass.
  mxArray* readChecked() const;
  mxArray* refChecked() const;
  // Gives a local that was never assigned its placeholder handle.
  void placeholderIfUnassigned() const {
    if (!h_ && lazy_) h_ = mclGetUninitializedArray();
  }
  const char* name_;
  Kind kind_;
  mutable mxArray* h_;
  bool lazy_ = false;      // null stands for the placeholder
  bool borrowed_ = false;  // h_ is the caller's (see mclBorrowInput)
  // h_ has passed a read's checks (it holds an assigned value) and cannot
  // have changed since: only an assignment or a slot handed out changes it,
  // and both clear this. Reads are most of a body's steps, and each check
  // asks the run-time for the class.
  mutable bool known_ = false;
  // A slot was handed out since the last assignment: its holder may write
  // a placeholder into it at any time, so every read checks again.
  bool lent_ = false;
};

// Output check at the end of a body: for output j, a null handle becomes a
// placeholder; a placeholder that the caller asked for (nargout >= j) warns.
// Returns the first output, handed over by the variable.
mxArray* finish(const Frame& frame, int nargout, Var& first,
                std::initializer_list<mxArray**> rest = {});
// The same check for a function whose outputs are all slots (none returned).
void finishSlots(const Frame& frame, int nargout, std::initializer_list<mxArray**> slots);

// Globals: assignment binds the slot on first use; reads never bind.
void assignGlobal(mxArray** slot, mxArray* value);
// The slot to hand to a data-file load, bound by the same rule.
mxArray** globalTarget(mxArray** slot);
inline mxArray* readGlobal(mxArray** slot, const char* name) { return mclVg(slot, name); }

}  // namespace kf
