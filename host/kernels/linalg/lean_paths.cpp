#include "host/kernels/linalg/lean_paths.h"

namespace kh::detail {

bool leanPathsOn = true;

}  // namespace kh::detail
