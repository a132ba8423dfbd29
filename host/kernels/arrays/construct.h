// Building arrays: zeros, ones, eye, cell, reshape and diag.
#pragma once

#include <vector>

#include "host/values/value.h"

namespace kh {

// The size asked for by the arguments of zeros/ones/eye/cell: none gives
// 1-by-1, one scalar n gives n-by-n, one vector gives that size, several
// scalars give those dimensions. Negative counts count as 0.
Dims sizeFromArgs(Values args, const char* fn);

Value zeros(Values args);
Value ones(Values args);
Value eye(Values args);
Value cellArray(Values args);
// reshape(x, m, n, ...) or reshape(x, sizevec); one [] count is inferred.
Value reshape(const Value& x, Values args);
// diag(v, k) puts a vector on the k-th diagonal of a square matrix;
// diag(A, k) takes the k-th diagonal of a matrix as a column.
// k must be a whole number; it is checked before anything is sized by it.
Value diag(const Value& x, double k = 0);

}  // namespace kh
