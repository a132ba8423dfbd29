#include "host/context/errors.h"

#include <new>

namespace kh {
namespace {
std::string g_lasterr;
}

void raise(const std::string& msg) { throw MError(msg); }

std::string failureMessage(const std::exception_ptr& e) {
  try {
    std::rethrow_exception(e);
  } catch (const MError& err) {
    return err.message();
  } catch (const std::bad_alloc&) {
    return "Out of memory.";
  } catch (const std::length_error&) {
    return "Maximum variable size allowed by the program is exceeded.";
  } catch (const std::exception& err) {
    return std::string("Internal error: ") + err.what() + ".";
  } catch (...) {
    return "Internal error: an unknown failure.";
  }
}
const std::string& lastError() { return g_lasterr; }
void setLastError(const std::string& msg) { g_lasterr = msg; }

}  // namespace kh
