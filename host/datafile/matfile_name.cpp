#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/datafile/matfile.h"

namespace kh {

std::string resolveMatFileName(std::string_view name) {
  const auto slash = name.find_last_of('/');
  const auto base = slash == std::string_view::npos ? name : name.substr(slash + 1);
  if (base.find('.') != std::string_view::npos) return std::string(name);
  return std::string(name) + ".mat";
}

std::string locateMatFile(std::string_view name) {
  const std::string file = resolveMatFileName(name);
  std::error_code ec;
  if (file.empty() || file[0] == '/' || std::filesystem::exists(file, ec)) return file;
  const char* path = std::getenv("KESTREL_DATA_PATH");
  if (!path) return file;
  std::string_view dirs(path);
  while (!dirs.empty()) {
    const auto colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    if (!dir.empty()) {
      const std::filesystem::path candidate = std::filesystem::path(dir) / file;
      if (std::filesystem::exists(candidate, ec)) return candidate.string();
    }
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  return file;
}

}  // namespace kh
