// Fuzz target: the sources of records a review or a batch reads besides MAT
// files. Every input is read both as a detector's click list and as a sound
// file (through libsndfile and the host's own check of its chunk sizes);
// each must give its clicks and problems, or be read or refused whole with
// an error. A crash, a hang, a leak or a sanitizer report is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "editor/sources/click_list.h"
#include "editor/sources/sound_file.h"
#include "host/context/context.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> problems;
  kh::protect([&] { kh::editor::parseClickList(bytes, 1e6, "clicks.csv", &problems); });

  static const std::string path = "/dev/shm/kestrel-fuzz-" + std::to_string(getpid()) + ".wav";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  kh::editor::truncatedContainer(path);
  for (int channel : {1, 2})
    kh::protect([&] {
      kh::editor::SoundFile sound(path, channel);
      // The start and the end of the channel, as the cuts of a review read them.
      std::vector<double> out(5000);
      const std::size_t frames = static_cast<std::size_t>(sound.frames());
      const std::size_t n = frames < out.size() ? frames : out.size();
      sound.read(0, n, out.data());
      sound.read(frames - n, n, out.data());
    });
  return 0;
}
