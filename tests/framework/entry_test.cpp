// The entry forms: argument-count checks, nargout and nargin, hand-over and
// release of outputs, output checks, and no leaks on any path.
#include "framework/entry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/frame.h"
#include "framework/module.h"
#include "host/context/context.h"
#include "host/context/warnings.h"
#include "host/values/handle.h"

namespace {

#define POOL(X) X(kSeven, kf::num(7))
KF_POOL(POOL)
#undef POOL

mexLocalFunctionTable entryTable{0, nullptr};
kf::Module entryModule{"entryprobe", &entryTable, poolTable};
kf::Function fit{entryModule, "fit", 1, 3, false, {"p", "S", "mu"}};
kf::Function est{entryModule, "est", 1, 3, true, {"est", "v"}};

// What the last body run saw, and what it should assign.
struct Seen {
  int nargout = -1;
  int nargin = -1;
  bool thirdNull = false;
  std::size_t cellElements = 99;
  bool assignFirst = true;
  bool fail = false;
  mexLocalFunctionTablePtr table = nullptr;
} seen;
// Runs inside fit's body once its variables are made: what the caller's
// side (a global, say) does to an input while the body holds it.
std::function<void()> duringFit;

mxArray* Mfit(mxArray** S, mxArray** mu, int nargout_, mxArray* x_, mxArray* y_, mxArray* n_) {
  kf::Frame frame(fit);
  seen.nargin = frame.nargin(x_, y_, n_);
  seen.nargout = nargout_;
  seen.table = kh::currentLocalFunctionTable();
  kf::Var p("p");
  kf::Var x("x", x_);
  kf::Var y("y", y_);
  kf::Var n("n", n_);
  if (duringFit) duringFit();
  if (seen.fail) {
    const mxChar boom[] = {'b', 'o', 'o', 'm'};
    mlfError(mlfReturnValue(mclInitializeString(4, boom)));
  }
  if (seen.assignFirst) p = x.ref();
  mlfAssign(S, entryModule[kSeven]);
  mlfAssign(mu, entryModule[kSeven]);
  return kf::finish(frame, nargout_, p, {S, mu});
}

mxArray* Mest(mxArray** v, int nargout_, mxArray* A_, mxArray* t_, mxArray* X_, mxArray* va_) {
  kf::Frame frame(est);
  seen.nargin = frame.nargin(A_, t_, X_, va_);
  seen.nargout = nargout_;
  seen.thirdNull = X_ == nullptr;
  seen.cellElements = kh::valueOf(va_).numel();
  kf::Var e("est");
  kf::Var A("A", A_);
  kf::Var varargin("varargin", va_);
  e = A.ref();
  mlfAssign(v, entryModule[kSeven]);
  return kf::finish(frame, nargout_, e, {v});
}

void mlxFit(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kf::feval<Mfit>(fit, nlhs, plhs, nrhs, prhs);
}
void mlxEst(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  kf::feval<Mest>(est, nlhs, plhs, nrhs, prhs);
}
mxArray* mlfEst(mxArray** v, mxArray* A, mxArray* t, mxArray* X, ...) {
  va_list ap;
  va_start(ap, X);
  kf::VaEnd end(ap);
  return kf::directVarargin<Mest>(est, kf::outs(v), kf::ins(A, t, X), X, 0, ap);
}

class Entry : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = kh::liveHandles();
    entryModule.initialize();
    seen = Seen{};
    for (double d : {1.0, 2.0, 3.0, 4.0}) in_.push_back(kh::newHandle(kh::Value::scalar(d), false));
  }
  void TearDown() override {
    duringFit = nullptr;
    for (mxArray* a : in_) kh::destroyHandle(a);
    entryModule.terminate();
    EXPECT_EQ(kh::liveHandles(), live_) << "nothing leaked";
    EXPECT_EQ(kh::contextDepth(), 0u);
    EXPECT_EQ(kh::currentLocalFunctionTable(), nullptr);
  }
  // Calls a feval form at a protected point; returns the error ("" if none).
  std::string call(mxFunctionPtr fn, int nlhs, int nrhs, std::vector<mxArray*>* out = nullptr) {
    std::vector<mxArray*> plhs(static_cast<std::size_t>(nlhs > 0 ? nlhs : 1) + 2, nullptr);
    std::string msg;
    kh::protect([&] { fn(nlhs, plhs.data(), nrhs, in_.data()); }, &msg);
    if (out)
      *out = plhs;
    else
      for (mxArray* a : plhs) kh::destroyHandle(a);
    return msg;
  }
  std::size_t live_ = 0;
  std::vector<mxArray*> in_;
};

std::string fitMessage(const char* what, int n) {
  return std::string(
             "Run-time Error: File: fit Line: 1 Column: 1 The function \"fit\" was called "
             "with more than the declared number of ") +
         what + " (" + std::to_string(n) + ").";
}

TEST_F(Entry, CountChecksOutputsFirst) {
  struct Case {
    int nlhs, nrhs;
    std::string error;
  };
  const Case cases[] = {
      {3, 3, ""},
      {4, 3, fitMessage("outputs", 3)},
      {1, 4, fitMessage("inputs", 3)},
      {4, 4, fitMessage("outputs", 3)},
  };
  for (const Case& c : cases) {
    seen.nargout = -1;
    EXPECT_EQ(call(mlxFit, c.nlhs, c.nrhs), c.error) << c.nlhs << " " << c.nrhs;
    if (!c.error.empty()) {
      EXPECT_EQ(seen.nargout, -1) << "no body code runs";
    }
  }
}

TEST_F(Entry, FevalHandsOverRequestedOutputsOnly) {
  std::vector<mxArray*> out;
  ASSERT_EQ(call(mlxFit, 0, 3, &out), "");
  EXPECT_EQ(seen.nargout, 0);
  ASSERT_NE(out[0], nullptr);  // the first output also for nlhs 0
  EXPECT_EQ(kh::valueOf(out[0]).at(0), 1.0);
  EXPECT_EQ(out[1], nullptr);
  for (mxArray* a : out) kh::destroyHandle(a);

  ASSERT_EQ(call(mlxFit, 2, 3, &out), "");
  ASSERT_NE(out[1], nullptr);
  EXPECT_EQ(kh::valueOf(out[1]).at(0), 7.0);
  EXPECT_EQ(out[2], nullptr);  // the third output was destroyed
  for (mxArray* a : out) kh::destroyHandle(a);
}

TEST_F(Entry, MissingInputsAreNullAndNotCounted) {
  ASSERT_EQ(call(mlxFit, 1, 1), "");
  EXPECT_EQ(seen.nargin, 1);
  ASSERT_EQ(call(mlxEst, 1, 2), "");
  EXPECT_TRUE(seen.thirdNull);
  EXPECT_EQ(seen.cellElements, 0u);
  EXPECT_EQ(seen.nargin, 2);
  ASSERT_EQ(call(mlxEst, 2, 4), "");
  EXPECT_EQ(seen.cellElements, 1u);
  EXPECT_EQ(seen.nargin, 4);
}

TEST_F(Entry, DirectFormCountsNonNullSlots) {
  mxArray* mu = nullptr;
  mxArray* p = nullptr;
  ASSERT_TRUE(kh::protect([&] {
    p = kf::direct<Mfit>(fit, kf::outs(static_cast<mxArray**>(nullptr), &mu),
                         kf::ins(in_[0], in_[1], in_[2]));
  }));
  EXPECT_EQ(seen.nargout, 2);
  ASSERT_NE(mu, nullptr);
  EXPECT_EQ(kh::valueOf(mu).at(0), 7.0);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->temporary);
  kh::destroyHandle(p);
  kh::destroyHandle(mu);
}

TEST_F(Entry, DirectVarargin) {
  mxArray* v = nullptr;
  mxArray* r = nullptr;
  ASSERT_TRUE(kh::protect([&] { r = mlfEst(&v, in_[0], in_[1], in_[2], in_[3], nullptr); }));
  EXPECT_EQ(seen.nargin, 4);
  EXPECT_EQ(seen.nargout, 2);
  kh::destroyHandle(r);
  kh::destroyHandle(v);
}

TEST_F(Entry, ExplicitCountForms) {
  mxArray* r = nullptr;
  ASSERT_TRUE(kh::protect([&] {
    r = kf::directN<Mfit>(
        fit, 1, kf::outs(static_cast<mxArray**>(nullptr), static_cast<mxArray**>(nullptr)),
        kf::ins(in_[0], in_[1], in_[2]));
  }));
  EXPECT_EQ(seen.nargout, 1);
  kh::destroyHandle(r);
  ASSERT_TRUE(kh::protect([&] { kf::directV<Mfit>(fit, kf::ins(in_[0], in_[1], in_[2])); }));
  EXPECT_EQ(seen.nargout, 0);
}

TEST_F(Entry, UnsetRequestedOutputWarns) {
  seen.assignFirst = false;
  kh::clearLastWarning();
  ASSERT_EQ(call(mlxFit, 0, 3), "");
  EXPECT_EQ(kh::lastWarning(), "");  // nargout 0 asks for nothing
  ASSERT_EQ(call(mlxFit, 1, 3), "");
  EXPECT_EQ(kh::lastWarning(), "Output argument 'p' of 'fit' was not assigned a value.");
}

TEST_F(Entry, ErrorInBodyLeaksNothing) {
  seen.fail = true;
  EXPECT_EQ(call(mlxFit, 3, 3), "boom");
  EXPECT_EQ(seen.table, &entryTable);
}

// Inputs are read where the caller keeps them, without a copy; the body still
// sees the value it was given when the caller writes or frees its variable
// meanwhile (both are possible through a global), and nothing leaks, also
// when the body then fails.
TEST_F(Entry, BorrowedInputKeepsItsValue) {
  const std::size_t before = kh::liveHandles();
  duringFit = [] {};
  std::vector<mxArray*> out;
  EXPECT_EQ(call(mlxFit, 1, 3, &out), "");
  EXPECT_EQ(kh::liveHandles(), before + 1) << "the inputs were not copied: only the result is new";
  for (mxArray* a : out) kh::destroyHandle(a);

  struct Case {
    const char* what;
    bool fail;
  };
  for (const Case c : {Case{"written", false}, Case{"freed", false}, Case{"written", true}}) {
    mxArray* original = in_[0];
    duringFit = [&] {
      if (std::string(c.what) == "written") {
        mclArrayAssign1(&in_[0], mlfScalar(99), mlfScalar(1));
      } else {
        kh::destroyHandle(in_[0]);
        in_[0] = kh::newHandle(kh::Value::scalar(99), false);
      }
    };
    seen.fail = c.fail;
    out.clear();
    EXPECT_EQ(call(mlxFit, 1, 3, &out), c.fail ? "boom" : "") << c.what;
    EXPECT_NE(in_[0], original) << c.what;
    EXPECT_EQ(kh::valueOf(in_[0]).at(0), 99.0) << c.what;
    if (!c.fail) {
      EXPECT_EQ(kh::valueOf(out[0]).at(0), 1.0) << c.what << ": the body's value";
    }
    for (mxArray* a : out) kh::destroyHandle(a);
    EXPECT_EQ(kh::liveHandles(), before) << c.what << ": the old handle went with the body";
    kh::destroyHandle(in_[0]);
    in_[0] = kh::newHandle(kh::Value::scalar(1), false);
  }
}

// A read that passed its checks is not checked again until the variable
// changes. Whatever changes it (an assignment, or a slot handed out, which
// its holder may fill with anything, even while the variable is being read)
// makes the next read check again, so an unassigned value still warns.
TEST_F(Entry, ReadsCheckAgainOnceTheVariableMayHaveChanged) {
  const std::string warning = "Reference to uninitialized variable 'v'.";
  for (const bool throughSlot : {false, true}) {
    kf::Var v("v");
    v = mlfScalar(1);
    EXPECT_EQ(kh::valueOf(v()).at(0), 1.0);
    EXPECT_EQ(kh::valueOf(v.ref()).at(0), 1.0);
    if (throughSlot) {
      mxArray** slot = v.slot();
      EXPECT_EQ(kh::valueOf(v()).at(0), 1.0);  // a read while the slot is out
      mxDestroyArray(*slot);
      *slot = mclGetUninitializedArray();  // as an output left unassigned
    } else {
      mxArray* placeholder = mclGetUninitializedArray();
      v = placeholder;
      mxDestroyArray(placeholder);
    }
    for (int k = 0; k < 2; ++k) {
      kh::clearLastWarning();
      mxArray* read = v();
      EXPECT_EQ(kh::lastWarning(), warning) << throughSlot << " read " << k;
      EXPECT_TRUE(kh::valueOf(read).isEmpty());
      mxDestroyArray(read);
    }
    v = mlfScalar(2);
    kh::clearLastWarning();
    EXPECT_EQ(kh::valueOf(v()).at(0), 2.0);
    EXPECT_EQ(kh::lastWarning(), "");
  }
}

}  // namespace
