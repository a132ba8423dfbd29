// loadMatFile: finds out which form a file has and hands it to that reader;
// every failure becomes one error that names the file (and the variable),
// and nothing of a file that fails is returned.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <type_traits>
#include <unordered_set>

#include "host/core/errors.h"
#include "host/datafile/matfile.h"
#include "host/datafile/readers.h"
#include "host/values/names.h"

namespace kh {
namespace matfile {

bool Collector::wants(const std::string& name) const {
  if (!isValidName(name))
    throw FileFault{"", "it holds a variable with the invalid name '" + name + "'"};
  for (const auto& v : out_)
    if (v.first == name) return false;
  if (names_.empty()) return true;
  for (const std::string& n : names_)
    if (n == name) return true;
  return false;
}

void checkFieldNames(const std::vector<std::string>& fields) {
  std::unordered_set<std::string_view> seen;
  for (const std::string& f : fields) {
    if (!isValidName(f)) throw FileFault{"", "it has a field with the invalid name '" + f + "'"};
    if (!seen.insert(f).second) throw FileFault{"", "it has the field '" + f + "' twice"};
  }
}

namespace {

template <typename T>
double exact(T v, std::size_t index) {
  const auto d = static_cast<double>(v);
  // The largest values round up to 2^63 (2^64 unsigned), which T cannot hold.
  constexpr double kBeyond = std::is_signed_v<T> ? 9223372036854775808.0 : 18446744073709551616.0;
  if (d >= kBeyond || static_cast<T>(d) != v)
    throw FileFault{"", "its element " + std::to_string(index + 1) + " (" + std::to_string(v) +
                            ") cannot be held exactly as a double"};
  return d;
}

}  // namespace

double exactDouble(std::int64_t v, std::size_t index) { return exact(v, index); }
double exactDouble(std::uint64_t v, std::size_t index) { return exact(v, index); }

}  // namespace matfile

namespace {

[[noreturn]] void unreadable(const std::string& file, const std::string& why) {
  raise("Unable to read file '" + file + "': " + why + ".");
}

// The whole file; it must be a regular file that can be read to its end.
// Errors call it `shown`.
std::string contents(const std::string& file, const std::string& shown) {
  std::error_code ec;
  const auto st = std::filesystem::status(file, ec);
  if (ec || !std::filesystem::exists(st)) unreadable(shown, std::strerror(ENOENT));
  if (std::filesystem::is_directory(st)) unreadable(shown, "it is a folder");
  if (!std::filesystem::is_regular_file(st)) unreadable(shown, "it is not a regular file");
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) unreadable(shown, std::strerror(errno));
  std::string bytes;
  const auto size = std::filesystem::file_size(file, ec);
  if (!ec && size > 0) {
    checkArrayBytes(size, 1);
    bytes.reserve(size);
  }
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      unreadable(shown,
                 std::string("it could not be read to its end (") + std::strerror(err) + ")");
    }
    if (n == 0) break;
    checkArrayBytes(bytes.size() + static_cast<std::size_t>(n), 1);
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (bytes.empty()) unreadable(shown, "it is empty");
  return bytes;
}

// The version word of a level 5 header (0x0100, or 0x0200 for HDF5 files),
// or 0 when the bytes do not start with one.
unsigned headerVersion(std::string_view b) {
  if (b.size() < 128) return 0;
  const auto lo = static_cast<unsigned char>(b[124]), hi = static_cast<unsigned char>(b[125]);
  if (b[126] == 'I' && b[127] == 'M') return lo | hi << 8;
  if (b[126] == 'M' && b[127] == 'I') return hi | lo << 8;
  return 0;
}

}  // namespace

NamedValues loadMatFile(const std::string& file, const std::vector<std::string>& names,
                        const std::string& shownAs) {
  const std::string& shown = shownAs.empty() ? file : shownAs;
  const std::string bytes = contents(file, shown);
  matfile::Collector out(names);
  try {
    const unsigned version = headerVersion(bytes);
    if (version == 0x0100)
      matfile::readMat5(bytes, out);
    else if (version == 0x0200)
      matfile::readMat73(file, out);
    else if (matfile::looksLikeMat4(bytes))
      matfile::readMat4(bytes, out);
    else
      unreadable(shown, "it is not a MAT file");
    return out.take();
  } catch (const matfile::FileFault& f) {
    if (f.variable.empty()) unreadable(shown, f.what);
    raise("Unable to load '" + f.variable + "' from '" + shown + "': " + f.what + ".");
  }
}

}  // namespace kh
