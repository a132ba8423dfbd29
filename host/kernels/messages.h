// The texts of the errors raised by the array operations, kept in one place
// so that every operation reports the same situation the same way.
#pragma once

namespace kh::msg {

inline constexpr const char* kDimsAgree = "Matrix dimensions must agree.";
inline constexpr const char* kInnerDims = "Inner matrix dimensions must agree.";
inline constexpr const char* kIndexExceeds = "Index exceeds matrix dimensions.";
inline constexpr const char* kIndexNotPositive = "Index into matrix is negative or zero.";
inline constexpr const char* kIndexNotInteger =
    "Subscript indices must either be real positive integers or logicals.";
inline constexpr const char* kAssignCount =
    "In an assignment  A(I) = B, the number of elements in B and I must be the same.";
inline constexpr const char* kAssignShape = "Subscripted assignment dimension mismatch.";
inline constexpr const char* kCannotResize =
    "In an assignment  A(I) = B, a matrix A cannot be resized.";
inline constexpr const char* kDeleteRange = "Matrix index is out of range for deletion.";
inline constexpr const char* kDeleteOneIndex =
    "A null assignment can have only one non-colon index.";
inline constexpr const char* kHorzcatRows =
    "All matrices on a row in the bracketed expression must have the same number of rows.";
inline constexpr const char* kVertcatCols =
    "All rows in the bracketed expression must have the same number of columns.";
inline constexpr const char* kNotEnoughIn = "Not enough input arguments.";
inline constexpr const char* kTooManyIn = "Too many input arguments.";
inline constexpr const char* kTooManyOut = "Too many output arguments.";
inline constexpr const char* kTransposeNd = "Transpose on ND array is not defined.";
inline constexpr const char* kReshapeCount = "To RESHAPE the number of elements must not change.";
inline constexpr const char* kCellRefNonCell =
    "Cell contents reference from a non-cell array object.";
inline constexpr const char* kFieldOfNonStruct =
    "Attempt to reference field of non-structure array.";
inline constexpr const char* kDimPositive = "Dimension argument must be a positive integer scalar.";

}  // namespace kh::msg
