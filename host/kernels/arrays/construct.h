// Building arrays: zeros, ones, eye, cell, reshape and diag.
#pragma once

#include <cstddef>
#include <optional>

#include "host/values/value.h"

namespace kh {

// Arrays of size d: of zeros, of ones, the identity (two dimensions
// only), and a cell of empty matrices.
Value zeros(const Dims& d);
Value ones(const Dims& d);
Value eye(const Dims& d);
Value cellArray(const Dims& d);
// x with the size d, which holds as many elements; with `inferred`, that
// dimension (1 in d) takes what the others leave.
Value reshape(const Value& x, Dims d, std::optional<std::size_t> inferred = std::nullopt);
// diag(v, k) puts a vector on the k-th diagonal of a square matrix;
// diag(A, k) takes the k-th diagonal of a matrix as a column.
// k must be a whole number; it is checked before anything is sized by it.
Value diag(const Value& x, double k = 0);

}  // namespace kh
