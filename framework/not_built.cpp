#include "framework/not_built.h"

#include <string>
#include <vector>

namespace kf {

void notBuilt(const Function& f) {
  const std::string text = std::string(f.path) + " is not built yet.";
  const std::vector<mxChar> chars(text.begin(), text.end());
  mlfError(mlfReturnValue(mclInitializeString(static_cast<int>(chars.size()), chars.data())));
  __builtin_unreachable();
}

}  // namespace kf
