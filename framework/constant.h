// How a module describes one constant of its pool: its kind and its value.
// The module lists them once, in pool order; the module's initializer builds
// them in that order (see module.h).
#pragma once

#include <limits>
#include <string_view>
#include <vector>

namespace kf {

struct Constant {
  enum class Kind { kText, kEmptyText, kScalar, kMatrix, kCell };
  Kind kind = Kind::kScalar;
  std::string_view text;      // kText: the characters, length taken as given
  int rows = 0;               // kMatrix, kCell
  int cols = 0;               // kMatrix, kCell
  std::vector<double> data;   // kScalar: one value; kMatrix: column order
  std::vector<int> elements;  // kCell: the module's constants holding the elements
};

// Non-finite values in a table are taken at initialization from the
// run-time's own Inf and NaN.
inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

inline Constant text(std::string_view s) {
  return {Constant::Kind::kText, s, 1, int(s.size()), {}, {}};
}
inline Constant emptyText() { return {Constant::Kind::kEmptyText, {}, 0, 0, {}, {}}; }
inline Constant num(double v) { return {Constant::Kind::kScalar, {}, 1, 1, {v}, {}}; }
// A real matrix, data in column order; matrix(0, 0, {}) is the empty matrix.
inline Constant matrix(int rows, int cols, std::vector<double> data) {
  return {Constant::Kind::kMatrix, {}, rows, cols, std::move(data), {}};
}
// A cell whose elements are earlier constants of the same pool, column order.
inline Constant cell(int rows, int cols, std::vector<int> elements) {
  return {Constant::Kind::kCell, {}, rows, cols, {}, std::move(elements)};
}

}  // namespace kf

// A module's pool written once as a list X(name, constant): gives an enum of
// the names (in pool order) and the table of constants in the same order.
//   #define ROT90_POOL(X) X(kMinusOne, kf::num(-1)) X(kZero, kf::num(0))
//   KF_POOL(ROT90_POOL)
#define KF_POOL_NAME_(name, constant) name,
#define KF_POOL_VALUE_(name, constant) constant,
#define KF_POOL(LIST)                                                   \
  enum PoolName : int { LIST(KF_POOL_NAME_) kPoolSize };                \
  inline const std::vector<kf::Constant>& poolTable() {                 \
    static const std::vector<kf::Constant> table{LIST(KF_POOL_VALUE_)}; \
    return table;                                                       \
  }
