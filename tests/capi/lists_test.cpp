// Comma-separated lists made by c{:}: their elements reach a called function
// and a varargin cell in order, the cell they came from is left as it was,
// and every handle involved is released.
#include <gtest/gtest.h>

#include <cstdarg>
#include <vector>

#include "host/values/handle.h"
#include "runtime/runtime.h"

namespace {

using kh::Value;

mxArray* var(Value v) { return kh::newHandle(std::move(v), false); }

Value take(mxArray* h) {
  Value v = kh::valueOf(h);
  mxDestroyArray(h);
  return v;
}

// A cell {10, 'ab', [1 2 3]}.
Value sampleCell() {
  Value c = Value::cell({1, 3});
  c.mutCellAt(0) = Value::scalar(10);
  c.mutCellAt(1) = Value::str(std::string_view("ab"));
  c.mutCellAt(2) = Value::row({1, 2, 3});
  return c;
}

// A feval form that answers with its inputs, packed in a cell.
void echo(int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  Value c = Value::cell({1, static_cast<std::size_t>(nrhs)});
  for (int i = 0; i < nrhs; ++i) c.mutCellAt(static_cast<std::size_t>(i)) = kh::valueOf(prhs[i]);
  plhs[0] = kh::newTemp(std::move(c));
}

// The varargin cell of a call with these arguments.
Value vararginOf(mxArray* first, ...) {
  va_list ap;
  va_start(ap, first);
  mxArray* cell = nullptr;
  mclVarargin(&cell, first, 1, ap);
  va_end(ap);
  return take(cell);
}

void expectSample(const Value& got, std::size_t offset) {
  ASSERT_TRUE(got.isCell());
  ASSERT_GE(got.numel(), offset + 3);
  EXPECT_EQ(got.cellAt(offset).at(0), 10.0);
  EXPECT_EQ(got.cellAt(offset + 1).utf8(), "ab");
  EXPECT_EQ(got.cellAt(offset + 2).numel(), 3u);
  EXPECT_EQ(got.cellAt(offset + 2).at(2), 3.0);
}

TEST(Lists, ElementsOfAWholeCellReachAFunctionInOrder) {
  const std::size_t live = kh::liveHandles();
  mxArray* c = var(sampleCell());
  mxArray* f = nullptr;
  mlfAssign(&f, mclCreateSimpleFunctionHandle(echo, "echo"));

  Value got = take(mlfFeval(mclValueVarargout(), f, mlfScalar(1),
                            mlfIndexRef(c, "{?}", mlfCreateColonIndex()), nullptr));
  ASSERT_EQ(got.numel(), 4u);
  EXPECT_EQ(got.cellAt(0).at(0), 1.0);
  expectSample(got, 1);
  // The cell the list came from is unchanged.
  expectSample(kh::valueOf(c), 0);
  EXPECT_EQ(kh::valueOf(c).dims(), (kh::Dims{1, 3}));

  // One element is that element, not a list; no element is no argument.
  mxArray* one = var(Value::cell({1, 1}));
  mxArray* none = var(Value::cell({0, 3}));
  EXPECT_EQ(take(mlfFeval(mclValueVarargout(), f, mlfIndexRef(one, "{?}", mlfCreateColonIndex()),
                          nullptr))
                .numel(),
            1u);
  EXPECT_EQ(take(mlfFeval(mclValueVarargout(), f, mlfIndexRef(none, "{?}", mlfCreateColonIndex()),
                          nullptr))
                .numel(),
            0u);
  // Not a cell: the brace error, and nothing is left behind.
  mxArray* x = var(Value::scalar(3));
  EXPECT_THROW(mlfIndexRef(x, "{?}", mlfCreateColonIndex()), std::exception);
  for (mxArray* h : {c, f, one, none, x}) mxDestroyArray(h);
  EXPECT_EQ(kh::liveHandles(), live);
}

// A feval form that writes over its first input and fails when asked.
void scribble(int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
  mclArrayAssign1(&prhs[0], mlfScalar(-1), mlfScalar(1));
  if (nrhs > 1 && kh::valueOf(prhs[1]).isChar()) mlfError(prhs[1]);
  plhs[0] = kh::newTemp(kh::valueOf(prhs[0]));
}

// feval of a function handle gives the callee handles of its own: the
// caller's variables and temporaries are not the callee's to change or
// free, a temporary passed twice is freed once, the handle may be its own
// argument, and a failing callee leaves nothing behind.
TEST(Lists, FevalOfAHandleOwnsWhatItPasses) {
  const std::size_t live = kh::liveHandles();
  mxArray* f = nullptr;
  mlfAssign(&f, mclCreateSimpleFunctionHandle(scribble, "scribble"));
  mxArray* x = var(Value::row({5, 6}));
  Value got = take(mlfFeval(mclValueVarargout(), f, x, nullptr));
  EXPECT_EQ(got.at(0), -1.0);
  EXPECT_EQ(kh::valueOf(x).at(0), 5.0) << "the caller's variable is unchanged";

  mxArray* t = mlfScalar(7);
  got = take(mlfFeval(mclValueVarargout(), f, t, t, nullptr));
  EXPECT_EQ(got.at(0), -1.0);

  mxArray* g = nullptr;
  mlfAssign(&g, mclCreateSimpleFunctionHandle(echo, "echo"));
  got = take(mlfFeval(mclValueVarargout(), g, g, nullptr));
  EXPECT_TRUE(got.cellAt(0).isFunction());

  EXPECT_THROW(mlfFeval(mclValueVarargout(), f, mlfScalar(1),
                        mlfReturnValue(var(Value::str(std::string_view("no")))), nullptr),
               std::exception);
  for (mxArray* h : {f, g, x}) mxDestroyArray(h);
  EXPECT_EQ(kh::liveHandles(), live);
}

TEST(Lists, VararginTakesAListWholeOrAmongOtherArguments) {
  const std::size_t live = kh::liveHandles();
  mxArray* c = var(sampleCell());
  // The list alone: the cell's elements, as a 1-by-n cell.
  Value alone = vararginOf(mlfIndexRef(c, "{?}", mlfCreateColonIndex()), nullptr);
  EXPECT_EQ(alone.dims(), (kh::Dims{1, 3}));
  expectSample(alone, 0);
  // Among other arguments: expanded in place.
  Value mixed =
      vararginOf(mlfScalar(7), mlfIndexRef(c, "{?}", mlfCreateColonIndex()), mlfScalar(8), nullptr);
  ASSERT_EQ(mixed.numel(), 5u);
  EXPECT_EQ(mixed.cellAt(0).at(0), 7.0);
  expectSample(mixed, 1);
  EXPECT_EQ(mixed.cellAt(4).at(0), 8.0);
  // An empty list gives the empty varargin.
  mxArray* none = var(Value::cell({0, 0}));
  EXPECT_EQ(vararginOf(mlfIndexRef(none, "{?}", mlfCreateColonIndex()), nullptr).dims(),
            (kh::Dims{0, 0}));
  expectSample(kh::valueOf(c), 0);
  mxDestroyArray(c);
  mxDestroyArray(none);
  EXPECT_EQ(kh::liveHandles(), live);
}

}  // namespace
