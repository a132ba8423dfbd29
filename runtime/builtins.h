/* Built-in functions of the run-time. Out-pointers come first and may be
 * null (output not wanted); lists of arguments end with a null handle. */
#ifndef KESTREL_RUNTIME_BUILTINS_H
#define KESTREL_RUNTIME_BUILTINS_H

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Element-wise functions of one array. */
mxArray* mlfAbs(mxArray* x);
mxArray* mlfCeil(mxArray* x);
mxArray* mlfConj(mxArray* x);
mxArray* mlfCos(mxArray* x);
mxArray* mlfDouble(mxArray* x);
mxArray* mlfFix(mxArray* x);
mxArray* mlfFloor(mxArray* x);
mxArray* mlfImag(mxArray* x);
mxArray* mlfIsfinite(mxArray* x);
mxArray* mlfIsinf(mxArray* x);
mxArray* mlfIsnan(mxArray* x);
mxArray* mlfLog(mxArray* x);
mxArray* mlfReal(mxArray* x);
mxArray* mlfRound(mxArray* x);
mxArray* mlfSign(mxArray* x);
mxArray* mlfSqrt(mxArray* x);
mxArray* mlfLower(mxArray* x);
mxArray* mlfRem(mxArray* x, mxArray* y);

/* Predicates and queries. */
mxArray* mlfIsa(mxArray* x, mxArray* class_name);
mxArray* mlfIsempty(mxArray* x);
mxArray* mlfIsequal(mxArray* a, mxArray* b, ...);
mxArray* mlfIsreal(mxArray* x);
mxArray* mlfIsstr(mxArray* x);
mxArray* mlfNdims(mxArray* x);
/* size(X) into the sink: one value gives the size vector, several give the
 * dimensions; with dim the length along that dimension. */
mxArray* mlfSize(mlfVarargoutList* sink, mxArray* x, mxArray* dim);

/* Construction. */
mxArray* mlfZeros(mxArray* first, ...);
mxArray* mlfOnes(mxArray* first, ...);
mxArray* mlfEye(mxArray* first, ...);
mxArray* mlfCell(mxArray* first, ...);
mxArray* mlfHorzcat(mxArray* first, ...);
mxArray* mlfVertcat(mxArray* first, ...);
mxArray* mlfChar(mxArray* first, ...);
mxArray* mlfReshape(mxArray* x, ...);
mxArray* mlfNRand(int nargout, ...);

/* Reductions and searches. */
mxArray* mlfAll(mxArray* x, mxArray* dim);
mxArray* mlfAny(mxArray* x, mxArray* dim);
mxArray* mlfSum(mxArray* x, mxArray* dim);
mxArray* mlfProd(mxArray* x, mxArray* dim);
mxArray* mlfMax(mxArray** index, mxArray* x, mxArray* y, mxArray* dim);
mxArray* mlfMin(mxArray** index, mxArray* x, mxArray* y, mxArray* dim);
mxArray* mlfDiff(mxArray* x, mxArray* n, mxArray* dim);
mxArray* mlfDiag(mxArray* x, mxArray* k);
mxArray* mlfFind(mxArray** cols, mxArray** values, mxArray* x);
mxArray* mlfSort(mxArray** index, mxArray* x, mxArray* dim);
mxArray* mlfIsmember(mxArray* a, mxArray* s, mxArray* flag);

/* Linear algebra and signal processing. */
mxArray* mlfNorm(mxArray* x, mxArray* p);
mxArray* mlfQr(mxArray** r, mxArray** e, mxArray* a, mxArray* econ);
mxArray* mlfLu(mxArray** u, mxArray** p, mxArray* a, mxArray* thresh);
mxArray* mlfSvd(mxArray** s, mxArray** v, mxArray* a, mxArray* econ);
mxArray* mlfConv2(mxArray* a, mxArray* b, mxArray* c, mxArray* shape);
mxArray* mlfFilter(mxArray** zf, mxArray* b, mxArray* a, mxArray* x, mxArray* zi, mxArray* dim);

/* Text. */
mxArray* mlfStrcmp(mxArray* a, mxArray* b);
mxArray* mlfStrmatch(mxArray* str, mxArray* strs, mxArray* flag);
mxArray* mlfDeblank(mxArray* s);
mxArray* mlfSprintf(mxArray** errmsg, mxArray* format, ...);
mxArray* mlfSscanf(mxArray** count, mxArray** errmsg, mxArray** next, mxArray* s, mxArray* format,
                   mxArray* size);
/* Formatted print to the command window: mlfNFprintf(nargout, format, args..., null). */
mxArray* mlfNFprintf(int nargout, mxArray* format, ...);
/* Displays a value on the command window. */
void mlfDisp(mxArray* x);

#ifdef __cplusplus
}
#endif

#endif
