// Protected points, warnings, the output sink and the global workspace.
#include <gtest/gtest.h>

#include "host/context/context.h"
#include "host/context/globals.h"
#include "host/context/output.h"
#include "host/context/warnings.h"
#include "host/values/handle.h"

namespace kh {
namespace {

TEST(Protect, AnErrorRestoresTheRunTimeAndFreesOrphanedTemporaries) {
  mexLocalFunctionTable table{0, nullptr};
  const std::size_t depth = contextDepth(), live = liveHandles();
  std::string msg;
  const bool ok = protect(
      [&] {
        pushContext(1, 2);
        setCurrentLocalFunctionTable(&table);
        newTemp(Value::scalar(1));  // consumed by nobody: the error came first
        raise("boom");
      },
      &msg);
  EXPECT_FALSE(ok);
  EXPECT_EQ(msg, "boom");
  EXPECT_EQ(lastError(), "boom");
  EXPECT_EQ(contextDepth(), depth);
  EXPECT_EQ(currentLocalFunctionTable(), nullptr);
  EXPECT_EQ(liveHandles(), live);
  EXPECT_TRUE(protect([] {}));
}

TEST(Protect, MismatchedBracketIsAnError) {
  pushContext(2, -4);  // three named inputs and varargin
  EXPECT_NO_THROW(popContext(2, 3));
  pushContext(1, 1);
  EXPECT_THROW(popContext(0, 1), MError);
}

TEST(Warnings, PrintOnlyWhenOnButAlwaysRecordTheLastOne) {
  OutputCapture out;
  {
    WarningStateGuard keep;
    setWarningsOn(false);
    warn("quiet");
    EXPECT_EQ(lastWarning(), "quiet");
    EXPECT_EQ(out.text(), "");
  }
  EXPECT_TRUE(warningsOn());
  warn("loud");
  EXPECT_EQ(out.text(), "Warning: loud\n");
}

TEST(Output, CapturesNestAndErrorsGoApart) {
  OutputCapture outer;
  emit("a");
  {
    OutputCapture inner;
    emit("b");
    emitError("e");
    EXPECT_EQ(inner.text(), "b");
    EXPECT_EQ(inner.errors(), "e");
  }
  emit("c");
  EXPECT_EQ(outer.take(), "ac");
  EXPECT_EQ(outer.text(), "");
}

TEST(Globals, ACommandWindowValueIsHandedToTheLibrarySlotThatBindsLater) {
  mxArray** shellSlot = globalSlot("zz_test_global");
  *shellSlot = newHandle(Value::scalar(7), false);
  mxArray* librarySlot = nullptr;
  bindGlobalSlot("zz_test_global", &librarySlot);
  ASSERT_NE(librarySlot, nullptr);
  EXPECT_EQ(librarySlot->v.at(0), 7);
  EXPECT_EQ(globalSlot("zz_test_global"), &librarySlot);
  EXPECT_EQ(globalNameOf(&librarySlot), "zz_test_global");
  unbindLibrarySlots();
  EXPECT_EQ(librarySlot, nullptr);
  EXPECT_EQ(findGlobalSlot("zz_test_global"), nullptr);
}

}  // namespace
}  // namespace kh
