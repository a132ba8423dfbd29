#include "host/context/errors.h"

namespace kh {
namespace {
std::string g_lasterr;
}

void raise(const std::string& msg) { throw MError(msg); }
const std::string& lastError() { return g_lasterr; }
void setLastError(const std::string& msg) { g_lasterr = msg; }

}  // namespace kh
