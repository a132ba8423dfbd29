// Lean paths. The kernels that the block-wise polynomial fit runs on small
// real matrices (qr, lu, the small square solves, mtimes, the element-wise
// arithmetic, comparisons and logical operators, sum, max and min) have a
// path for real double operands that does only the arithmetic: no heap
// work array, no conversion, no generic dispatch. Each keeps its general
// path beside it, and the two give the same results bit for bit, with the
// same warnings and errors; tests turn the lean paths off to compare them.
#pragma once

namespace kh {

namespace detail {
extern bool leanPathsOn;
}

inline bool leanPaths() { return detail::leanPathsOn; }

// Sends every operation down its general path while it lives.
class GeneralPathsOnly {
 public:
  GeneralPathsOnly() : saved_(detail::leanPathsOn) { detail::leanPathsOn = false; }
  ~GeneralPathsOnly() { detail::leanPathsOn = saved_; }
  GeneralPathsOnly(const GeneralPathsOnly&) = delete;
  GeneralPathsOnly& operator=(const GeneralPathsOnly&) = delete;

 private:
  bool saved_;
};

}  // namespace kh
