// The descriptor and its tables, and the binding rule for globals.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/frame.h"
#include "framework/globals.h"
#include "host/context/globals.h"
#include "host/values/handle.h"
#include "runtime/runtime.h"

extern "C" mex_information mexLibrary(void);
extern "C" const char* mexVersion(void);

namespace {

TEST(Registration, Descriptor) {
  mex_information d = mexLibrary();
  EXPECT_EQ(d, mexLibrary());
  EXPECT_EQ(d->version, 1);
  EXPECT_EQ(d->file_function_table_length, 28);
  EXPECT_EQ(d->global_variable_table_length, 14);
  EXPECT_EQ(d->npaths, 0);
  EXPECT_EQ(d->paths, nullptr);
  EXPECT_EQ(d->init_fcn_table_length, 29);
  EXPECT_STREQ(mexVersion(), "MATLAB R12 native");
  EXPECT_EQ(d->init_fcn_table[0].initialize, &libmatlbmxInitialize);
  EXPECT_EQ(d->init_fcn_table[0].terminate, &libmatlbmxTerminate);

  struct Row {
    const char* name;
    int code, nout;
  };
  const Row rows[] = {{"kestrel", 1, 0},
                      {"axis", -1, 3},
                      {"hanning", -1, 1},
                      {"strvcat", -1, 1},
                      {"normest1", -4, 4},
                      {"polyfit", 3, 3},
                      {"signal/private/check_order", 1, 3}};
  for (const Row& r : rows) {
    const mexFunctionTableEntry* found = nullptr;
    for (int i = 0; i < 28; ++i)
      if (std::strcmp(d->file_function_table[i].name, r.name) == 0)
        found = &d->file_function_table[i];
    ASSERT_NE(found, nullptr) << r.name;
    EXPECT_EQ(found->nargin, r.code) << r.name;
    EXPECT_EQ(found->nargout, r.nout) << r.name;
  }
  EXPECT_STREQ(d->file_function_table[0].name, "kestrel");
  EXPECT_EQ(d->file_function_table[0].local_function_table->length, 5);
  EXPECT_STREQ(d->file_function_table[0].local_function_table->entries[4].name, "tpswma");

  const char* globals[] = {"Lpoly", "Nlarge", "Nmedium", "Nsmall", "T1",   "T2",   "T3",
                           "pf",    "ppulse", "pseg",    "psp1",   "psp2", "psp3", "seg"};
  for (int i = 0; i < 14; ++i) {
    EXPECT_STREQ(d->global_variable_table[i].name, globals[i]);
    EXPECT_EQ(*d->global_variable_table[i].variable, nullptr);
  }
}

TEST(Registration, GlobalIsBoundOnFirstAssignmentOnly) {
  ASSERT_EQ(Lpoly, nullptr);
  const std::size_t calls = kh::initGlobalCalls();
  kf::assignGlobal(&Lpoly, mlfScalar(3));
  EXPECT_EQ(kh::initGlobalCalls(), calls + 1);
  kf::assignGlobal(&Lpoly, mlfScalar(4));
  EXPECT_EQ(kh::initGlobalCalls(), calls + 1);
  EXPECT_EQ(kh::valueOf(kf::readGlobal(&Lpoly, "Lpoly")).at(0), 4.0);
  mxArray* unset = kf::readGlobal(&seg, "seg");  // never assigned: an empty array
  EXPECT_TRUE(kh::valueOf(unset).isEmpty());
  mxDestroyArray(unset);
  mxDestroyArray(Lpoly);
  Lpoly = nullptr;
}

}  // namespace
