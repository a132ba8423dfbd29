// The short paths of the operator and indexing entry points (two real
// scalars, one element of a real array, results written over a temporary
// operand) give exactly what the general paths give, and never write over
// data a variable still holds.
#include <gtest/gtest.h>

#include <cmath>

#include "host/context/context.h"
#include "host/values/handle.h"
#include "runtime/runtime.h"

namespace {

using kh::Value;

mxArray* temp(Value v) { return kh::newTemp(std::move(v)); }
mxArray* var(Value v) { return kh::newHandle(std::move(v), false); }

Value take(mxArray* h) {
  Value v = kh::valueOf(h);
  mxDestroyArray(h);
  return v;
}

Value logicalRow(std::vector<double> v) {
  Value r = Value::row(v);
  r.setLogical(true);
  return r;
}

TEST(ShortPaths, ScalarArithmeticAndComparisons) {
  const std::size_t live = kh::liveHandles();
  Value sum = take(mclPlus(mlfScalar(2), mlfScalar(0.5)));
  EXPECT_EQ(sum.at(0), 2.5);
  EXPECT_FALSE(sum.isLogical());
  // Logical scalars add as numbers; the result is not logical.
  Value t = Value::logicalScalar(true);
  Value two = take(mclPlus(temp(t), temp(t)));
  EXPECT_EQ(two.at(0), 2.0);
  EXPECT_FALSE(two.isLogical());
  EXPECT_TRUE(std::isinf(take(mclMrdivide(mlfScalar(1), mlfScalar(0))).at(0)));
  EXPECT_TRUE(std::isnan(take(mclMtimes(mlfScalar(0), mlfScalar(INFINITY))).at(0)));
  Value lt = take(mclLt(mlfScalar(1), mlfScalar(2)));
  EXPECT_TRUE(lt.isLogical());
  EXPECT_EQ(lt.at(0), 1.0);
  EXPECT_EQ(mclEqBool(mlfScalar(NAN), mlfScalar(NAN)), 0);
  EXPECT_EQ(mclNeBool(mlfScalar(NAN), mlfScalar(NAN)), 1);
  // A character operand takes the general path: 'a' is 97.
  EXPECT_EQ(take(mclPlus(temp(Value::str(std::string_view("a"))), mlfScalar(1))).at(0), 98.0);
  EXPECT_EQ(kh::liveHandles(), live);
}

TEST(ShortPaths, OneElementKeepsTheLogicalFlagAndTheChecks) {
  const std::size_t live = kh::liveHandles();
  mxArray* mask = var(logicalRow({1, 0, 1}));
  Value e = take(mclIntArrayRef1(mask, 2));
  EXPECT_TRUE(e.isLogical());
  EXPECT_EQ(e.at(0), 0.0);
  mxArray* x = var(Value::row({10, 20, 30}));
  EXPECT_EQ(take(mclArrayRef1(x, mlfScalar(3))).at(0), 30.0);
  // A logical subscript selects by mask, not by position.
  Value byMask = take(mclArrayRef1(x, temp(Value::logicalScalar(true))));
  EXPECT_EQ(byMask.at(0), 10.0);
  for (double bad : {0.0, 4.0, 1.5, std::nan("")}) {
    std::string msg;
    EXPECT_FALSE(kh::protect([&] { mxDestroyArray(mclArrayRef1(x, mlfScalar(bad))); }, &msg))
        << bad;
    EXPECT_FALSE(msg.empty());
  }
  mxDestroyArray(mask);
  mxDestroyArray(x);
  EXPECT_EQ(kh::liveHandles(), live);
}

TEST(ShortPaths, ResultsGoOverTemporariesButNeverOverVariables) {
  const std::size_t live = kh::liveHandles();
  mxArray* x = var(Value::row({1, -2, 3, -4}));
  // x(:) shares x's data: abs of it must not change x.
  mxArray* shared = mclArrayRef1(x, mlfCreateColonIndex());
  Value a = take(mlfAbs(shared));
  EXPECT_EQ(a.at(1), 2.0);
  EXPECT_EQ(kh::valueOf(x).at(1), -2.0);
  // x - x with the same variable twice, and a temporary minus itself.
  Value z = take(mclMinus(x, x));
  EXPECT_EQ(z.at(3), 0.0);
  mxArray* t = mclTimes(x, mlfScalar(2));
  Value same = take(mclPlus(t, t));
  EXPECT_EQ(same.at(1), -8.0);
  // Scalar expansion on either side of a temporary array; comparisons give
  // logical results, arithmetic on logical temporaries does not.
  EXPECT_EQ(take(mclMinus(mlfScalar(10), mclTimes(x, mlfScalar(1)))).at(2), 7.0);
  Value gt = take(mclGt(mclTimes(x, mlfScalar(1)), mlfScalar(0)));
  EXPECT_TRUE(gt.isLogical());
  EXPECT_EQ(gt.at(0), 1.0);
  EXPECT_EQ(gt.at(1), 0.0);
  Value sumMask = take(mclPlus(mclGt(x, mlfScalar(0)), mclGt(x, mlfScalar(0))));
  EXPECT_FALSE(sumMask.isLogical());
  EXPECT_EQ(sumMask.at(2), 2.0);
  Value fl = take(mlfFloor(mclRdivide(x, mlfScalar(2))));
  EXPECT_EQ(fl.at(0), 0.0);
  EXPECT_EQ(fl.at(1), -1.0);
  // Sizes that disagree still fail, and free the temporaries.
  std::string msg;
  EXPECT_FALSE(kh::protect(
      [&] {
        mxDestroyArray(mclPlus(mclTimes(x, mlfScalar(1)), temp(Value::row({1, 2}))));
      },
      &msg));
  EXPECT_EQ(kh::valueOf(x).at(0), 1.0);
  mxDestroyArray(x);
  EXPECT_EQ(kh::liveHandles(), live);
}

// The right side or a subscript of an indexed assignment may be the variable
// being written: x(4) = x grows nothing and fails, x(2:3) = x(1:2) reads
// the old elements, x(x(1)) = 7 indexes with the old value, and s.f = s
// nests the old structure.
TEST(ShortPaths, AssignmentsThatReadTheVariableTheyWrite) {
  const std::size_t live = kh::liveHandles();
  mxArray* x = var(Value::row({1, 2, 3}));
  mxArray* copy = var(kh::valueOf(x));
  std::string msg;
  EXPECT_FALSE(kh::protect([&] { mclArrayAssign1(&x, x, mlfScalar(4)); }, &msg));
  EXPECT_EQ(kh::valueOf(x).numel(), 3u);
  mclArrayAssign2(&x, x, mlfScalar(1), mlfCreateColonIndex());
  EXPECT_EQ(kh::valueOf(x).at(2), 3.0);
  mxArray* head = mclArrayRef1(x, mlfColon(mlfScalar(1), mlfScalar(2), nullptr));
  mclArrayAssign1(&x, head, mlfColon(mlfScalar(2), mlfScalar(3), nullptr));
  EXPECT_EQ(kh::valueOf(x).at(0), 1.0);
  EXPECT_EQ(kh::valueOf(x).at(1), 1.0);
  EXPECT_EQ(kh::valueOf(x).at(2), 2.0);
  mxArray* one = var(Value::scalar(1));
  mclArrayAssign1(&one, mlfScalar(7), one);
  EXPECT_EQ(kh::valueOf(one).numel(), 1u);
  EXPECT_EQ(kh::valueOf(one).at(0), 7.0);
  // A variable that shared its data with x is untouched by all of it.
  EXPECT_EQ(kh::valueOf(copy).at(1), 2.0);
  mxArray* s = nullptr;
  mlfIndexAssign(&s, ".f", mlfScalar(5));
  mlfIndexAssign(&s, ".g", s);
  const Value& outer = kh::valueOf(s);
  ASSERT_TRUE(outer.isStruct());
  const Value& inner = outer.fieldAt(0, static_cast<std::size_t>(outer.fieldIndex("g")));
  ASSERT_TRUE(inner.isStruct());
  EXPECT_EQ(inner.fieldIndex("g"), -1);
  EXPECT_EQ(inner.fieldAt(0, 0).at(0), 5.0);
  for (mxArray* h : {x, copy, one, s}) mxDestroyArray(h);
  EXPECT_EQ(kh::liveHandles(), live);
}

}  // namespace
