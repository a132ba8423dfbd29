// The library's fourteen global variables: handle slots shared with the
// host's global workspace through the global table. They start null.
#pragma once

#include "runtime/constants.h"
#include "runtime/mx_types.h"

extern "C" {
extern mxArray* Lpoly;
extern mxArray* Nlarge;
extern mxArray* Nmedium;
extern mxArray* Nsmall;
extern mxArray* T1;
extern mxArray* T2;
extern mxArray* T3;
extern mxArray* pf;
extern mxArray* ppulse;
extern mxArray* pseg;
extern mxArray* psp1;
extern mxArray* psp2;
extern mxArray* psp3;
extern mxArray* seg;
}

namespace kf {

// The address to assign a global through: its slot, bound to the host's
// global workspace first while it is still null.
inline mxArray** global(mxArray*& slot) { return slot ? &slot : mclInitGlobal(&slot); }

}  // namespace kf
