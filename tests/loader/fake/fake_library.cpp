// A small library built to the same contract as the real one, compiled by the
// loader tests with different settings to exercise the loader's checks and
// its initialize/terminate order:
//   FAKE_VERSION      text returned by mexVersion
//   FAKE_FAIL_ROW     init/term row whose initializer raises an error (-1: none)
//   FAKE_FORMAT       the descriptor's first field
//   FAKE_NO_LIBRARY   leave out the mexLibrary entry
//   FAKE_LEAK         the function "one" makes an array and never frees it
// Every initializer and terminator appends "I<row>" or "T<row>" to a log
// that the test reads through fakeLog().
#include <cstring>
#include <string>

#include "runtime/constants.h"
#include "runtime/control.h"
#include "runtime/mex_library.h"

#ifndef FAKE_VERSION
#define FAKE_VERSION "MATLAB R12 native"
#endif
#ifndef FAKE_FAIL_ROW
#define FAKE_FAIL_ROW -1
#endif
#ifndef FAKE_FORMAT
#define FAKE_FORMAT 1
#endif

namespace {

std::string g_log;

template <int Row>
void initRow() {
  g_log += "I" + std::to_string(Row) + " ";
  if (Row == FAKE_FAIL_ROW) {
    static const mxChar text[] = {'b', 'o', 'o', 'm'};
    mlfError(mclInitializeString(4, text));
  }
}

template <int Row>
void termRow() {
  g_log += "T" + std::to_string(Row) + " ";
}

void fevalOne(int, mxArray*[], int, mxArray*[]) {
#ifdef FAKE_LEAK
  static const mxChar text[] = {'l', 'o', 's', 't'};
  mclInitializeString(4, text);  // a temporary nobody consumes
#endif
}

mexFunctionTableEntry g_functions[] = {{"one", &fevalOne, 0, 0, nullptr}};
mxArray* g_slot = nullptr;
mexGlobalTableEntry g_globals[] = {{"fake_global", &g_slot}};
mexInitTermTableEntry g_rows[] = {
    {&initRow<0>, &termRow<0>}, {&initRow<1>, &termRow<1>}, {&initRow<2>, &termRow<2>}};
mex_information_struct g_info = {FAKE_FORMAT, 1, g_functions, 1, g_globals, 0, nullptr, 3, g_rows};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) const char* mexVersion(void) { return FAKE_VERSION; }

#ifndef FAKE_NO_LIBRARY
__attribute__((visibility("default"))) mex_information mexLibrary(void) { return &g_info; }
#endif

__attribute__((visibility("default"))) const char* fakeLog(void) { return g_log.c_str(); }

}  // extern "C"
