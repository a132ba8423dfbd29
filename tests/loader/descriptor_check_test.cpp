// Descriptors the loader must refuse before it touches their tables.
#include "host/loader/descriptor_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

void dummyFeval(int, mxArray*[], int, mxArray*[]) {}

mexFunctionTableEntry g_fn[1] = {{"f", &dummyFeval, 1, 1, nullptr}};
mxArray* g_slot = nullptr;
mexGlobalTableEntry g_globals[1] = {{"g", &g_slot}};
mexInitTermTableEntry g_init[1] = {{nullptr, nullptr}};

mex_information_struct sound() { return {1, 1, g_fn, 1, g_globals, 0, nullptr, 1, g_init}; }

struct Fault {
  const char* label;
  std::function<void(mex_information_struct&)> spoil;
  const char* expected;
};

class DescriptorFault : public ::testing::TestWithParam<Fault> {};

TEST_P(DescriptorFault, IsReported) {
  mex_information_struct d = sound();
  GetParam().spoil(d);
  EXPECT_EQ(kh::descriptorFault(d), GetParam().expected);
}

mexFunctionTableEntry g_unnamed[1] = {{nullptr, &dummyFeval, 0, 0, nullptr}};
mexFunctionTableEntry g_noEntry[1] = {{"f", nullptr, 0, 0, nullptr}};
mexGlobalTableEntry g_noSlot[1] = {{"g", nullptr}};
mexLocalFunctionTable g_badLocals = {2, nullptr};
mexFunctionTableEntry g_withBadLocals[1] = {{"f", &dummyFeval, 0, 0, &g_badLocals}};

INSTANTIATE_TEST_SUITE_P(
    Faults, DescriptorFault,
    ::testing::Values(
        Fault{"sound", [](auto&) {}, ""},
        Fault{"format", [](auto& d) { d.version = 2; }, "unknown descriptor format 2 (expected 1)"},
        Fault{"neg_functions", [](auto& d) { d.file_function_table_length = -1; },
              "negative function count"},
        Fault{"neg_init", [](auto& d) { d.init_fcn_table_length = -3; },
              "negative init/term count"},
        Fault{"no_function_table", [](auto& d) { d.file_function_table = nullptr; },
              "the function table is missing"},
        Fault{"no_global_table", [](auto& d) { d.global_variable_table = nullptr; },
              "the global table is missing"},
        Fault{"no_init_table", [](auto& d) { d.init_fcn_table = nullptr; },
              "the init/term table is missing"},
        Fault{"empty_tables_may_be_null",
              [](auto& d) {
                d.file_function_table_length = 0;
                d.file_function_table = nullptr;
                d.global_variable_table_length = 0;
                d.global_variable_table = nullptr;
              },
              ""},
        Fault{"unnamed_function", [](auto& d) { d.file_function_table = g_unnamed; },
              "row 0 of the function table has no name"},
        Fault{"no_entry_point", [](auto& d) { d.file_function_table = g_noEntry; },
              "row 0 of the function table has no entry point"},
        Fault{"bad_locals", [](auto& d) { d.file_function_table = g_withBadLocals; },
              "row 0 of the function table has a malformed local function table"},
        Fault{"global_without_slot", [](auto& d) { d.global_variable_table = g_noSlot; },
              "row 0 of the global table has no slot"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
