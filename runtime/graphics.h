/* Graphics objects: handles are double values; the root is 0. */
#ifndef KESTREL_RUNTIME_GRAPHICS_H
#define KESTREL_RUNTIME_GRAPHICS_H

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

mxArray* mlfNGet(int nargout, mxArray* handle, ...);
mxArray* mlfNSet(int nargout, mxArray* handle, ...);
mxArray* mlfFindobj(mxArray* first, ...);
mxArray* mlfNFigure(int nargout, ...);
mxArray* mlfNAxes(int nargout, ...);
mxArray* mlfNPlot(int nargout, ...);
mxArray* mlfIshandle(mxArray* handles, ...);

#ifdef __cplusplus
}
#endif

#endif
