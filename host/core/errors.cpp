#include "host/core/errors.h"

#include <new>

namespace kh {
namespace {
std::string g_lasterr;
std::string g_lasterrId;
}  // namespace

void raise(const std::string& msg) { throw MError(msg); }
void raiseWithId(const std::string& identifier, const std::string& msg) {
  throw MError(msg, identifier);
}

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
std::string failureIdentifier(const std::exception_ptr& e) {
  try {
    std::rethrow_exception(e);
  } catch (const MError& err) {
    return err.identifier();
  } catch (...) {
    return {};
  }
}

const std::string& lastError() { return g_lasterr; }
const std::string& lastErrorIdentifier() { return g_lasterrId; }
void setLastError(const std::string& msg, const std::string& identifier) {
  g_lasterr = msg;
  g_lasterrId = identifier;
}

}  // namespace kh
