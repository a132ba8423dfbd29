#include "host/kernels/display/display_format.h"

#include <algorithm>
#include <cctype>

#include "host/core/errors.h"

namespace kh {
namespace {
DisplayFormat current;

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}
}  // namespace

const DisplayFormat& displayFormat() { return current; }

void setDisplayFormat(const std::vector<std::string>& words) {
  if (words.empty()) {
    current = DisplayFormat{};
    return;
  }
  DisplayFormat f = current;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string w = lower(words[i]);
    // "short g" may also be written "shortg" or "shortG".
    const bool g = (i + 1 < words.size() && lower(words[i + 1]) == "g");
    if (w == "short" || w == "long") {
      const bool isLong = w == "long";
      f.style = g ? (isLong ? NumberStyle::LongG : NumberStyle::ShortG)
                  : (isLong ? NumberStyle::Long : NumberStyle::Short);
      if (g) ++i;
    } else if (w == "shortg") {
      f.style = NumberStyle::ShortG;
    } else if (w == "longg") {
      f.style = NumberStyle::LongG;
    } else if (w == "compact") {
      f.compact = true;
    } else if (w == "loose") {
      f.compact = false;
    } else {
      raise("Unknown format \"" + words[i] +
            "\": use short, long, short g, long g, compact or loose.");
    }
  }
  current = f;
}

}  // namespace kh
