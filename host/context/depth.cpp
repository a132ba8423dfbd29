#include "host/context/depth.h"

#include <algorithm>
#include <string>

#include "host/context/context.h"
#include "host/core/errors.h"

namespace kh {
namespace {

std::size_t g_shellCalls = 0;

[[noreturn]] void tooDeep() {
  raise("Maximum recursion limit of " + std::to_string(kMaxCallDepth) + " reached.");
}

}  // namespace

std::size_t callDepth() { return contextDepth() + g_shellCalls; }

void checkCallDepth() {
  if (callDepth() >= kMaxCallDepth) tooDeep();
  checkStackRoom("Calls are");
}

CallDepthGuard::CallDepthGuard() {
  checkCallDepth();
  ++g_shellCalls;
}

CallDepthGuard::~CallDepthGuard() { --g_shellCalls; }

}  // namespace kh
