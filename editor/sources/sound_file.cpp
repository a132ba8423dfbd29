#include "editor/sources/sound_file.h"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "host/core/errors.h"
#include "host/core/text.h"

namespace kh::editor {
namespace {

// Frames read from libsndfile at a time (of all channels, interleaved).
constexpr std::size_t kChunkFrames = 1 << 14;

[[noreturn]] void unreadable(const std::string& file, const std::string& why) {
  raise("Unable to read the sound file '" + file + "': " + why + ".");
}

// The bytes at `at` of an open file; false when fewer are there.
bool bytesAt(int fd, std::uint64_t at, void* out, std::size_t n) {
  char* p = static_cast<char*>(out);
  while (n > 0) {
    const ssize_t r = ::pread(fd, p, n, static_cast<off_t>(at));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    at += static_cast<std::uint64_t>(r);
    n -= static_cast<std::size_t>(r);
  }
  return true;
}

std::uint64_t number(const unsigned char* b, int size, bool bigEndian) {
  std::uint64_t v = 0;
  for (int k = 0; k < size; ++k) v |= std::uint64_t{b[bigEndian ? size - 1 - k : k]} << (8 * k);
  return v;
}

bool printable(const unsigned char* id) {
  return std::all_of(id, id + 4, [](unsigned char c) { return c >= 0x20 && c < 0x7f; });
}

std::string truncated(const std::string& chunk, std::uint64_t declared, std::uint64_t there) {
  return "it is truncated: its '" + chunk + "' chunk declares " + std::to_string(declared) +
         " bytes, but only " + std::to_string(there) + " follow its header";
}

// A Sony Wave64 file: chunks named by 16-byte GUIDs (the first four bytes
// being the RIFF name), each with a 64-bit little-endian size that counts its
// 24-byte header, aligned to 8 bytes.
std::string truncatedWave64(int fd, std::uint64_t size) {
  for (std::uint64_t at = 40; at + 24 <= size;) {
    unsigned char h[24];
    if (!bytesAt(fd, at, h, sizeof h) || !printable(h)) return "";
    const std::uint64_t n = number(h + 16, 8, false);
    if (n < 24) return "";
    const std::string id(reinterpret_cast<const char*>(h), 4);
    if (n - 24 > size - at - 24) return truncated(id, n - 24, size - at - 24);
    if (id == "data") return "";
    at += (n + 7) / 8 * 8;
  }
  return "";
}

// A Sun/NeXT file: a header giving where the sound data starts and how many
// bytes it holds (all ones: not known).
std::string truncatedSun(const unsigned char* head, std::uint64_t size) {
  const bool bigEndian = std::memcmp(head, ".snd", 4) == 0;
  const std::uint64_t offset = number(head + 4, 4, bigEndian);
  const std::uint64_t n = number(head + 8, 4, bigEndian);
  if (n == 0xFFFFFFFFu || offset > size) return "";
  if (n > size - offset)
    return "it is truncated: its header declares " + std::to_string(n) +
           " bytes of sound, but only " + std::to_string(size - offset) + " follow it";
  return "";
}

}  // namespace

std::string truncatedContainer(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "";
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  const off_t end = ::lseek(fd, 0, SEEK_END);
  unsigned char head[12];
  if (end < 12 || !bytesAt(fd, 0, head, sizeof head)) return "";
  const auto size = static_cast<std::uint64_t>(end);
  if (std::memcmp(head, ".snd", 4) == 0 || std::memcmp(head, "dns.", 4) == 0)
    return truncatedSun(head, size);
  if (std::memcmp(head, "riff", 4) == 0) return truncatedWave64(fd, size);
  const bool riff = std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0;
  const bool rifx = std::memcmp(head, "RIFX", 4) == 0;
  const bool aiff = std::memcmp(head, "FORM", 4) == 0 && (std::memcmp(head + 8, "AIFF", 4) == 0 ||
                                                          std::memcmp(head + 8, "AIFC", 4) == 0);
  if (!((riff || rifx) && std::memcmp(head + 8, "WAVE", 4) == 0) && !aiff) return "";
  const bool bigEndian = rifx || aiff;
  const bool rf64 = std::memcmp(head, "RF64", 4) == 0;
  const char* sound = aiff ? "SSND" : "data";
  std::uint64_t rf64Data = 0;  // the sound data's size as an RF64 file's ds64 chunk gives it
  bool odd = false;            // the chunk before had an odd size
  for (std::uint64_t at = 12; at + 8 <= size;) {
    unsigned char h[8];
    if (!bytesAt(fd, at, h, sizeof h)) return "";
    if (!printable(h)) {
      // Some writers leave out the pad byte after a chunk of odd size.
      if (odd && bytesAt(fd, at - 1, h, sizeof h) && printable(h))
        --at;
      else
        return "";  // not a chunk: libsndfile judges the rest
    }
    std::uint64_t n = number(h + 4, 4, bigEndian);
    const std::uint64_t body = at + 8;
    if (rf64 && std::memcmp(h, "ds64", 4) == 0 && n >= 16) {
      unsigned char d[16];
      if (bytesAt(fd, body, d, sizeof d)) rf64Data = number(d + 8, 8, false);
    }
    if (rf64 && std::memcmp(h, "data", 4) == 0 && n == 0xFFFFFFFFu) n = rf64Data;
    if (n > size - body)
      return truncated(std::string(reinterpret_cast<const char*>(h), 4), n, size - body);
    if (std::memcmp(h, sound, 4) == 0) return "";
    odd = n % 2 != 0;
    at = body + n + (odd ? 1 : 0);
  }
  return "";
}

SoundFile::SoundFile(const std::string& file, int channel) : file_(file), channel_(channel) {
  std::error_code ec;
  const auto st = std::filesystem::status(file, ec);
  if (ec || !std::filesystem::exists(st)) unreadable(file, std::strerror(ENOENT));
  if (std::filesystem::is_directory(st)) unreadable(file, "it is a folder");
  if (!std::filesystem::is_regular_file(st)) unreadable(file, "it is not a regular file");
  if (const std::string why = truncatedContainer(file); !why.empty()) unreadable(file, why);
  SF_INFO info{};
  sf_ = ::sf_open(file.c_str(), SFM_READ, &info);
  if (!sf_)
    unreadable(file, std::string("libsndfile does not read it (") + ::sf_strerror(nullptr) + ")");
  auto refuse = [&](const std::string& why) {
    ::sf_close(sf_);
    sf_ = nullptr;
    unreadable(file, why);
  };
  if (info.channels <= 0) refuse("it has no channels");
  if (info.frames <= 0) refuse("it holds no samples");
  if (info.frames >= (sf_count_t{1} << 53)) refuse("its length is not known");
  // Integer samples scaled to -1..1 (libsndfile's default, said here so
  // that it holds whatever the default becomes).
  ::sf_command(sf_, SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
  if (channel < 1 || channel > info.channels)
    refuse("it has " + std::to_string(info.channels) +
           (info.channels == 1 ? " channel" : " channels") + ", and channel " +
           std::to_string(channel) + " was asked for");
  // The last sample must be there: a compressed file (FLAC) cut short
  // still declares its whole length.
  std::vector<double> last(static_cast<std::size_t>(info.channels));
  if (::sf_seek(sf_, info.frames - 1, SEEK_SET) < 0 || ::sf_readf_double(sf_, last.data(), 1) != 1)
    refuse("it is truncated or damaged: its last sample, " + std::to_string(info.frames) +
           ", cannot be read (" + ::sf_strerror(sf_) + ")");
  next_ = static_cast<std::size_t>(info.frames);
  frames_ = static_cast<double>(info.frames);
  channels_ = info.channels;
}

SoundFile::~SoundFile() {
  if (sf_) ::sf_close(sf_);
}

void SoundFile::read(std::size_t first, std::size_t count, double* out) {
  if (static_cast<double>(first) + static_cast<double>(count) > frames_)
    raise("The sound file '" + file_ + "' has " + std::to_string(static_cast<long long>(frames_)) +
          " samples, not the " + std::to_string(first + count) + " asked for.");
  if (first != next_) {
    if (::sf_seek(sf_, static_cast<sf_count_t>(first), SEEK_SET) < 0) {
      next_ = static_cast<std::size_t>(-1);
      unreadable(file_, "it cannot be read from sample " + std::to_string(first + 1) + " on (" +
                            ::sf_strerror(sf_) + "); it is damaged");
    }
    next_ = first;
  }
  const auto channels = static_cast<std::size_t>(channels_);
  const std::size_t pick = static_cast<std::size_t>(channel_) - 1;
  if (channels > 1) interleaved_.resize(std::min(count, kChunkFrames) * channels);
  while (count > 0) {
    const std::size_t n = std::min(count, kChunkFrames);
    // One channel is read straight into place; several through the buffer.
    double* to = channels == 1 ? out : interleaved_.data();
    const sf_count_t got = ::sf_readf_double(sf_, to, static_cast<sf_count_t>(n));
    if (got != static_cast<sf_count_t>(n)) {
      const std::size_t end = next_ + static_cast<std::size_t>(std::max<sf_count_t>(got, 0));
      next_ = static_cast<std::size_t>(-1);
      unreadable(file_, "it ends after sample " + std::to_string(end) + " of the " +
                            std::to_string(static_cast<long long>(frames_)) +
                            " its header declares (it is truncated or damaged)");
    }
    if (channels > 1)
      for (std::size_t k = 0; k < n; ++k) out[k] = interleaved_[k * channels + pick];
    out += n;
    count -= n;
    next_ += n;
  }
}

}  // namespace kh::editor
