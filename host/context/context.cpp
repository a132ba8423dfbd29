#include "host/context/context.h"

#include <vector>

#include "host/context/depth.h"
#include "host/core/errors.h"
#include "host/values/handle.h"

namespace kh {
namespace {
std::vector<ContextFrame> g_stack;
mexLocalFunctionTablePtr g_table = nullptr;
}  // namespace

void pushContext(int nout, int nin) {
  // Past the limit the bracket is not entered: the error unwinds from the
  // caller, whose own bracket the protected point then restores.
  checkCallDepth();
  g_stack.push_back({nout, nin});
}

void popContext(int nout, int nin) {
  if (g_stack.empty()) raise("Internal error: context stack underflow.");
  const ContextFrame f = g_stack.back();
  g_stack.pop_back();
  // The restore passes the plain count of named inputs, the enter the code.
  const int k = f.nin >= 0 ? f.nin : -f.nin - 1;
  if (f.nout != nout || k != nin) raise("Internal error: context bracket mismatch.");
}

std::size_t contextDepth() { return g_stack.size(); }

mexLocalFunctionTablePtr currentLocalFunctionTable() { return g_table; }

mexLocalFunctionTablePtr setCurrentLocalFunctionTable(mexLocalFunctionTablePtr t) {
  mexLocalFunctionTablePtr old = g_table;
  g_table = t;
  return old;
}

ProtectedPoint::ProtectedPoint() : depth_(g_stack.size()), table_(g_table), serial_(nextSerial()) {}

void ProtectedPoint::recover(const std::string& msg, const std::string& identifier) {
  if (g_stack.size() > depth_) g_stack.resize(depth_);
  g_table = table_;
  destroyTemporariesSince(serial_);
  setLastError(msg, identifier);
}

std::string ProtectedPoint::recoverCurrent() {
  const std::exception_ptr e = std::current_exception();
  std::string m = failureMessage(e);
  recover(m, failureIdentifier(e));
  return m;
}

}  // namespace kh
