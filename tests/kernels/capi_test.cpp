// The C entry points: results, and that temporaries passed in are consumed,
// also when an operation raises an error.
#include <gtest/gtest.h>

#include "host/capi/sink.h"
#include "host/context/context.h"
#include "host/values/handle.h"
#include "runtime/builtins.h"
#include "runtime/calls.h"
#include "runtime/indexing.h"
#include "runtime/lifetime.h"
#include "runtime/operators.h"
#include "runtime/variables.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::data;

mxArray* num(double v) { return newTemp(Value::scalar(v)); }
mxArray* row(std::vector<double> v) { return newTemp(Value::row(v)); }
mxArray* text(const char* s) { return newTemp(Value::str(std::string_view(s))); }

// Reads a result and releases it.
Value take(mxArray* a) {
  Value v = valueOf(a);
  destroyHandle(a);
  return v;
}

class CApi : public ::testing::Test {
 protected:
  void SetUp() override { live_ = liveHandles(); }
  void TearDown() override { EXPECT_EQ(liveHandles(), live_) << "handles leaked"; }
  std::size_t live_ = 0;
};

TEST_F(CApi, ChainOfOperationsConsumesTemporaries) {
  // sum(abs((1:4) - 2.5) .* [1 1 1 1]) = 1.5 + 0.5 + 0.5 + 1.5
  mxArray* r = mlfSum(mclTimes(mlfAbs(mclMinus(mlfColon(num(1), num(4), nullptr), num(2.5))),
                               mlfOnes(num(1), num(4), nullptr)),
                      nullptr);
  EXPECT_EQ(take(r).at(0), 4);
}

TEST_F(CApi, VariablesAreNotReleased) {
  mxArray* x = newHandle(Value::row({1, 2, 3}), false);
  EXPECT_EQ(take(mclPlus(x, x)).at(1), 4);
  EXPECT_EQ(mclLengthInt(x), 3);
  EXPECT_EQ(valueOf(x).numel(), 3u);
  destroyHandle(x);
}

TEST_F(CApi, SameTemporaryTwiceIsReleasedOnce) {
  mxArray* t = num(3);
  EXPECT_EQ(take(mclTimes(t, t)).at(0), 9);
}

TEST_F(CApi, ErrorsReleaseTheirInputs) {
  std::string msg;
  const bool ok = protect([] { mclPlus(row({1, 2}), row({1, 2, 3})); }, &msg);
  EXPECT_FALSE(ok);
  EXPECT_EQ(msg, "Matrix dimensions must agree.");
  EXPECT_FALSE(protect([] { mclArrayRef1(row({1, 2}), num(3)); }, &msg));
  EXPECT_EQ(msg, "Index exceeds matrix dimensions.");
  EXPECT_FALSE(protect([] { mlfIndexRef(row({1}), "(?,?)", num(1), num(0)); }, &msg));
  mxArray* var = nullptr;
  EXPECT_FALSE(protect([&] { mclArrayAssign1(&var, row({1, 2}), row({1, 2, 3})); }, &msg));
  destroyHandle(var);
}

TEST_F(CApi, BoolForms) {
  EXPECT_EQ(mclLtBool(num(1), num(2)), 1);
  EXPECT_EQ(mclGtBool(row({3, 1}), num(2)), 0);
  EXPECT_EQ(mclEqBool(text("ab"), text("ab")), 1);
  EXPECT_EQ(mclNotBool(newTemp(Value::empty())), 0);
  EXPECT_EQ(mclNotBool(num(0)), 1);
  EXPECT_EQ(mclLeBool(num(2), num(2)), 1);
  EXPECT_EQ(mclGeBool(num(1), num(2)), 0);
  EXPECT_EQ(mclNeBool(num(1), num(2)), 1);
}

TEST_F(CApi, AssignIntoPlaceholderCreatesRow) {
  mxArray* b = newHandle(Value(), false);
  mclArrayAssign1(&b, num(7), num(5));
  EXPECT_EQ(valueOf(b).dims(), (Dims{1, 5}));
  mclIntArrayAssign1(&b, num(8), 1);
  EXPECT_EQ(take(mclIntArrayRef1(b, 1)).at(0), 8);
  mclArrayAssign2(&b, num(9), num(2), num(1));
  EXPECT_EQ(take(mclIntArrayRef2(b, 2, 1)).at(0), 9);
  EXPECT_EQ(take(mclArrayRef2(b, num(1), mlfCreateColonIndex())).numel(), 5u);
  destroyHandle(b);

  mxArray* n = nullptr;
  mclArrayAssign1(&n, num(1), num(2));
  EXPECT_EQ(data(valueOf(n)), (std::vector<double>{0, 1}));
  destroyHandle(n);
}

TEST_F(CApi, IndexTexts) {
  mxArray* s = nullptr;
  mlfIndexAssign(&s, ".R", row({1, 2, 3}));
  mlfIndexAssign(&s, ".R(?)", num(2), num(9));
  EXPECT_EQ(data(take(mlfIndexRef(s, ".R"))), (std::vector<double>{1, 9, 3}));
  mlfIndexDelete(&s, ".R(?)", num(1));
  EXPECT_EQ(data(take(mlfIndexRef(s, ".R"))), (std::vector<double>{9, 3}));
  destroyHandle(s);

  mxArray* c = nullptr;
  mlfIndexAssign(&c, "{?}", num(2), text("two"));
  mlfIndexAssign(&c, "{?}(?)", num(1), num(3), num(5));
  EXPECT_EQ(take(mlfIndexRef(c, "{?}", num(2))).utf8(), "two");
  EXPECT_EQ(data(take(mlfIndexRef(c, "{?}", num(1)))), (std::vector<double>{0, 0, 5}));
  EXPECT_EQ(take(mlfIndexRef(c, "{?}(?)", num(2), num(3))).utf8(), "o");
  destroyHandle(c);

  mxArray* v = newHandle(Value::row({1, 2, 3, 4}), false);
  mlfIndexDelete(&v, "(?)", mlfColon(num(1), num(2), nullptr));
  EXPECT_EQ(data(valueOf(v)), (std::vector<double>{3, 4}));
  mlfIndexAssign(&v, "(?,?)", num(2), mlfCreateColonIndex(), row({5, 6}));
  EXPECT_EQ(valueOf(v).dims(), (Dims{2, 2}));
  EXPECT_EQ(take(mlfEnd(v, num(1), num(1))).at(0), 4);
  destroyHandle(v);
}

TEST_F(CApi, OutPointersAndSinks) {
  mxArray* idx = nullptr;
  EXPECT_EQ(take(mlfMax(&idx, row({1, 5, 2}), nullptr, nullptr)).at(0), 5);
  EXPECT_EQ(valueOf(idx).at(0), 2);
  EXPECT_EQ(take(mlfMin(&idx, row({4, 0, 2}), nullptr, nullptr)).at(0), 0);  // slot replaced
  EXPECT_EQ(valueOf(idx).at(0), 2);
  EXPECT_EQ(data(take(mlfMax(nullptr, row({1, 5}), num(3), nullptr))), (std::vector<double>{3, 5}));
  destroyHandle(idx);

  mxArray *m = nullptr, *n = nullptr;
  EXPECT_EQ(mlfSize(mlfVarargout(&m, &n, nullptr), newTemp(Value::numeric({2, 3, 4})), nullptr),
            nullptr);
  EXPECT_EQ(valueOf(m).at(0), 2);
  EXPECT_EQ(valueOf(n).at(0), 12);
  destroyHandle(m);
  destroyHandle(n);
  EXPECT_EQ(data(take(mlfSize(mclValueVarargout(), row({1, 2}), nullptr))),
            (std::vector<double>{1, 2}));
  EXPECT_EQ(take(mlfSize(mclValueVarargout(), row({1, 2}), num(2))).at(0), 2);
  // More names than the door keeps on its stack, and a name that is the
  // input's own variable ([x, n] = size(x)): replaced only after it is read.
  mxArray* six[6] = {};
  mlfSize(mlfVarargout(&six[0], &six[1], &six[2], &six[3], &six[4], &six[5], nullptr),
          newTemp(Value::numeric({2, 3, 4})), nullptr);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(valueOf(six[k]).at(0), k < 3 ? 2 + k : 1) << k;
  for (mxArray* h : six) destroyHandle(h);
  mxArray* x = newHandle(Value::numeric({5, 6}), false);
  n = nullptr;
  mlfSize(mlfVarargout(&x, &n, nullptr), x, nullptr);
  EXPECT_EQ(valueOf(x).at(0), 5);
  EXPECT_EQ(valueOf(n).at(0), 6);
  destroyHandle(x);
  destroyHandle(n);

  mxArray *cols = nullptr, *vals = nullptr;
  EXPECT_EQ(take(mlfFind(&cols, &vals, row({0, 4}))).at(0), 1);
  EXPECT_EQ(valueOf(cols).at(0), 2);
  EXPECT_EQ(valueOf(vals).at(0), 4);
  destroyHandle(cols);
  destroyHandle(vals);

  mxArray* order = nullptr;
  EXPECT_EQ(data(take(mlfSort(&order, row({2, 1}), nullptr))), (std::vector<double>{1, 2}));
  EXPECT_EQ(data(valueOf(order)), (std::vector<double>{2, 1}));
  destroyHandle(order);
}

TEST_F(CApi, SinksAreReusedAndAConsumedOneIsInert) {
  // Sinks are recycled: each new one starts with only its own targets, a sink
  // made and never consumed is freed at shut-down, and discarding a consumed
  // sink again does nothing.
  for (int round = 0; round < 3; ++round) {
    mxArray *a = nullptr, *b = nullptr, *c = nullptr;
    mlfVarargoutList* three = mlfVarargout(&a, &b, &c, nullptr);
    EXPECT_EQ(sinkCount(three), 3);
    mlfSize(three, newTemp(Value::numeric({2, 3, 4})), nullptr);
    EXPECT_EQ(valueOf(c).at(0), 4);
    mlfVarargoutList* one = mlfVarargout(&a, nullptr);
    EXPECT_EQ(sinkCount(one), 1);
    mlfSize(one, newTemp(Value::numeric({7, 1})), nullptr);
    EXPECT_EQ(valueOf(a).at(0), 7);
    EXPECT_EQ(valueOf(b).at(0), 3);  // untouched by the one-target sink
    discardSink(one);                // already consumed: inert
    mlfVarargout(&b, nullptr);       // never consumed
    for (mxArray* h : {a, b, c}) destroyHandle(h);
  }
  freeOutstandingSinks();
}

TEST_F(CApi, BraceListsExpandIntoArguments) {
  mxArray* subs = nullptr;
  mlfIndexAssign(&subs, "{?}", num(1), newTemp(Value::column({1, 2, 1, 2})));
  mlfIndexAssign(&subs, "{?}", num(2), row({2}));
  mxArray* a = newHandle(Value::numeric({2, 2}), false);
  mclArrayAssign2(&a, num(5), num(2), num(2));
  // A(subs{:}): the list gives one subscript per cell.
  const Value r = take(mlfIndexRef(a, "(?)", mlfIndexRef(subs, "{?}", mlfCreateColonIndex())));
  EXPECT_EQ(r.dims(), (Dims{4, 1}));
  EXPECT_EQ(data(r), (std::vector<double>{0, 5, 0, 5}));
  // [c{:}] joins the contents.
  const Value v = take(mlfVertcat(mlfIndexRef(subs, "{?}", mlfCreateColonIndex()), nullptr));
  EXPECT_EQ(data(v), (std::vector<double>{1, 2, 1, 2, 2}));
  // A single element is a plain value.
  EXPECT_EQ(take(mlfIndexRef(subs, "{?}", num(2))).at(0), 2);
  destroyHandle(a);
  destroyHandle(subs);
}

TEST_F(CApi, ListForms) {
  EXPECT_EQ(take(mlfZeros(num(2), num(3), nullptr)).dims(), (Dims{2, 3}));
  EXPECT_EQ(take(mlfZeros(nullptr)).dims(), (Dims{1, 1}));
  EXPECT_EQ(take(mlfHorzcat(row({1}), row({2, 3}), nullptr)).numel(), 3u);
  EXPECT_EQ(take(mlfVertcat(num(1), num(2), nullptr)).dims(), (Dims{2, 1}));
  EXPECT_EQ(take(mlfReshape(row({1, 2, 3, 4}), num(2), num(2), nullptr)).dims(), (Dims{2, 2}));
  EXPECT_EQ(take(mlfIsequal(num(1), num(1), num(2), nullptr)).at(0), 0);
  EXPECT_EQ(take(mlfIsequal(text("a"), num(97), nullptr)).at(0), 1);
  EXPECT_EQ(take(mlfCell(num(1), num(2), nullptr)).dims(), (Dims{1, 2}));
  EXPECT_EQ(take(mlfEye(num(2), nullptr)).at(3), 1);
}

TEST_F(CApi, FevalForms) {
  mxArray* in[2] = {newHandle(Value::str(std::string_view("AB")), false), nullptr};
  mxArray* out[2] = {nullptr, nullptr};
  mlxLower(1, out, 1, in);
  EXPECT_EQ(take(out[0]).utf8(), "ab");
  in[1] = newHandle(Value::scalar(1), false);
  mlxSize(2, out, 1, in);
  EXPECT_EQ(take(out[0]).at(0), 1);
  EXPECT_EQ(take(out[1]).at(0), 2);
  destroyHandle(in[0]);
  in[0] = newHandle(Value::row({1, 7, 3}), false);
  mlxMax(2, out, 1, in);
  EXPECT_EQ(take(out[0]).at(0), 7);
  EXPECT_EQ(take(out[1]).at(0), 2);
  mlxPlus(1, out, 2, in);
  EXPECT_EQ(data(take(out[0])), (std::vector<double>{2, 8, 4}));
  std::string msg;
  EXPECT_FALSE(protect([&] { mlxPlus(1, out, 1, in); }, &msg));
  EXPECT_EQ(msg, "Not enough input arguments.");
  destroyHandle(in[0]);
  destroyHandle(in[1]);
}

}  // namespace
}  // namespace kh
