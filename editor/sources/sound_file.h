// One channel of a sound file (WAV, FLAC, AIFF, ...), read through
// libsndfile as doubles: integer samples scaled to -1..1 (divided by 2^15
// for 16-bit, 2^23 for 24-bit, 2^31 for 32-bit; 8-bit, A-law and mu-law as
// libsndfile decodes them), floating-point samples as they are stored.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct sf_private_tag;  // libsndfile's SNDFILE

namespace kh::editor {

class SoundFile {
 public:
  // Opens the file and checks it whole before anything is read: raises,
  // naming the file, when it is not a regular file, libsndfile cannot read
  // it, it has no channels or no samples, it is truncated (its header
  // declares more sound data than the file holds, or its last sample cannot
  // be read), or it has no channel `channel` (1 is the first).
  SoundFile(const std::string& file, int channel);
  ~SoundFile();
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  double frames() const { return frames_; }  // samples per channel
  int channels() const { return channels_; }

  // The channel's samples first+1 .. first+count into out. Raises, naming
  // the file, when they are not all there.
  void read(std::size_t first, std::size_t count, double* out);

 private:
  std::string file_;
  sf_private_tag* sf_ = nullptr;
  double frames_ = 0;
  int channels_ = 0;
  int channel_ = 1;
  std::size_t next_ = 0;             // the frame libsndfile reads next
  std::vector<double> interleaved_;  // frames of all channels, as libsndfile reads them
};

// Why a WAV (RIFF, RIFX, RF64), Wave64, AIFF or Sun (.au) file is truncated
// ("" when it is not, or is none of these): a chunk before the sound data,
// or the sound data itself, declares more bytes than the file holds after
// it. libsndfile reads what is there of such a file without a word.
std::string truncatedContainer(const std::string& file);

}  // namespace kh::editor
