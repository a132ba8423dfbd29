/* Operators. Array forms return temporaries; Bool forms return the truth of
 * the element-wise result. */
#ifndef KESTREL_RUNTIME_OPERATORS_H
#define KESTREL_RUNTIME_OPERATORS_H

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

mxArray* mclPlus(mxArray* a, mxArray* b);
mxArray* mclMinus(mxArray* a, mxArray* b);
mxArray* mclMtimes(mxArray* a, mxArray* b);
mxArray* mclTimes(mxArray* a, mxArray* b);
mxArray* mclMrdivide(mxArray* a, mxArray* b);
mxArray* mclRdivide(mxArray* a, mxArray* b);
mxArray* mclUminus(mxArray* a);
mxArray* mclAnd(mxArray* a, mxArray* b);
mxArray* mclOr(mxArray* a, mxArray* b);
mxArray* mclNot(mxArray* a);
mxArray* mclEq(mxArray* a, mxArray* b);
mxArray* mclNe(mxArray* a, mxArray* b);
mxArray* mclLt(mxArray* a, mxArray* b);
mxArray* mclLe(mxArray* a, mxArray* b);
mxArray* mclGt(mxArray* a, mxArray* b);
mxArray* mclGe(mxArray* a, mxArray* b);

int mclEqBool(mxArray* a, mxArray* b);
int mclNeBool(mxArray* a, mxArray* b);
int mclLtBool(mxArray* a, mxArray* b);
int mclLeBool(mxArray* a, mxArray* b);
int mclGtBool(mxArray* a, mxArray* b);
int mclGeBool(mxArray* a, mxArray* b);
int mclNotBool(mxArray* a);

mxArray* mlfPower(mxArray* a, mxArray* b);
mxArray* mlfMldivide(mxArray* a, mxArray* b);
mxArray* mlfCtranspose(mxArray* a);
mxArray* mlfTranspose(mxArray* a);

#ifdef __cplusplus
}
#endif

#endif
