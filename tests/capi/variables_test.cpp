// nargin counting, varargin cells and warning state.
#include <gtest/gtest.h>

#include "host/context/warnings.h"
#include "host/values/handle.h"
#include "runtime/runtime.h"

namespace {

TEST(Capi, NarginCountsUpToLastSuppliedInput) {
  mxArray* a = kh::newHandle(kh::Value::scalar(1), false);
  mxArray* cell1 = kh::newHandle(kh::Value::cell({1, 1}), false);
  mxArray* cell0 = kh::newHandle(kh::Value::cell({0, 0}), false);
  EXPECT_EQ(mclNargin(2, a, nullptr, nullptr), 1);
  EXPECT_EQ(mclNargin(2, nullptr, a, nullptr), 2);
  EXPECT_EQ(mclNargin(2, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(mclNargin(-4, a, a, nullptr, cell0, nullptr), 2);
  EXPECT_EQ(mclNargin(-4, a, a, a, cell1, nullptr), 4);
  EXPECT_EQ(mclNargin(-1, cell1, nullptr), 1);
  for (mxArray* h : {a, cell1, cell0}) mxDestroyArray(h);
}

TEST(Capi, VararginCellOfNothingIsEmpty) {
  for (int n : {0, -2}) {
    mxArray* c = mclCreateVararginCell(n, nullptr);
    EXPECT_TRUE(kh::valueOf(c).isCell());
    EXPECT_EQ(kh::valueOf(c).dims(), (kh::Dims{0, 0}));
    mxDestroyArray(c);
  }
}

TEST(Capi, WarningStateRestoresExactly) {
  const std::size_t live = kh::liveHandles();
  kh::setWarningsOn(true);
  mxArray* saved = mlfNWarning(1, nullptr);
  mlfNWarning(0, kh::newTemp(kh::Value::str(std::string_view("off"))), nullptr);
  EXPECT_FALSE(kh::warningsOn());
  mlfNWarning(0, saved, nullptr);
  EXPECT_TRUE(kh::warningsOn());
  mlfNWarning(0, kh::newTemp(kh::Value::str(std::string_view("careful"))), nullptr);
  EXPECT_EQ(kh::lastWarning(), "careful");
  EXPECT_EQ(kh::liveHandles(), live);
}

}  // namespace
