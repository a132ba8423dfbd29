// Memory policy of the host process. Array operations free and allocate
// buffers of the same sizes over and over (every operation makes a new
// temporary); letting the allocator hand freed memory back to the system
// after each call turns that into page faults and system calls. Keep it.
#include <malloc.h>

namespace {

const bool kPolicySet = [] {
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
  mallopt(M_TOP_PAD, 16 * 1024 * 1024);
  mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
  return true;
}();

}  // namespace
