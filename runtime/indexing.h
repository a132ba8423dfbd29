/* Indexing: references, assignments, deletions, ranges. */
#ifndef KESTREL_RUNTIME_INDEXING_H
#define KESTREL_RUNTIME_INDEXING_H

#include "mx_types.h"

#ifdef __cplusplus
extern "C" {
#endif

mxArray* mclArrayRef1(mxArray* a, mxArray* i);
mxArray* mclArrayRef2(mxArray* a, mxArray* i, mxArray* j);
mxArray* mclIntArrayRef1(mxArray* a, int i);
mxArray* mclIntArrayRef2(mxArray* a, int i, int j);
void mclArrayAssign1(mxArray** dest, mxArray* src, mxArray* i);
void mclArrayAssign2(mxArray** dest, mxArray* src, mxArray* i, mxArray* j);
void mclIntArrayAssign1(mxArray** dest, mxArray* src, int i);
/* Length: the largest dimension, 0 for an empty array. */
int mclLengthInt(mxArray* a);

/* Generic indexing driven by a text: "(?)" with one subscript per '?',
 * "{?}" for cell contents, ".name" for a field; parts may be chained. */
mxArray* mlfIndexRef(mxArray* a, const char* index_string, ...);
void mlfIndexAssign(mxArray** dest, const char* index_string, ...);
void mlfIndexDelete(mxArray** dest, const char* index_string, ...);

/* a:b when c is null, else a:b:c (b is the step). */
mxArray* mlfColon(mxArray* a, mxArray* b, mxArray* c);
/* The ':' subscript (all elements). */
mxArray* mlfCreateColonIndex(void);
/* The value of 'end' in subscript position k of n subscripts. */
mxArray* mlfEnd(mxArray* a, mxArray* k, mxArray* n);

#ifdef __cplusplus
}
#endif

#endif
