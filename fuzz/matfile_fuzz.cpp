// Fuzz target: the MAT-file readers. Every input must load or fail with an
// error, read whole and read for a record's two variables; a crash, a hang,
// a leak or a sanitizer report is a finding.
// Version 7.3 inputs are left out: they are read by the HDF5 library.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "host/context/context.h"
#include "host/datafile/matfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= 128 && data[124] == 0x00 && data[125] == 0x02) return 0;
  static const std::string path = "/dev/shm/kestrel-fuzz-" + std::to_string(getpid()) + ".mat";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  kh::protect([&] { kh::loadMatFile(path, {}); });
  // As the editor reads a record: the variables not asked for are passed over.
  kh::protect([&] { kh::loadMatFile(path, {"s", "cl"}); });
  return 0;
}
