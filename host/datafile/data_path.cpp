#include "host/datafile/data_path.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

namespace kh {
namespace {

std::vector<std::string>& folders() {
  static std::vector<std::string> f;
  return f;
}

std::map<std::string, std::string, std::less<>>& aliases() {
  static std::map<std::string, std::string, std::less<>> a;
  return a;
}

bool isFile(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}

// The path's folders in the order they are searched (after the current one).
std::vector<std::string> searchFolders() {
  std::vector<std::string> out;
  if (const char* env = std::getenv("KESTREL_DATA_PATH")) {
    std::string_view dirs(env);
    while (!dirs.empty()) {
      const auto colon = dirs.find(':');
      if (const std::string_view d = dirs.substr(0, colon); !d.empty()) out.emplace_back(d);
      if (colon == std::string_view::npos) break;
      dirs.remove_prefix(colon + 1);
    }
  }
  out.insert(out.end(), folders().begin(), folders().end());
  return out;
}

}  // namespace

void addDataFolder(const std::string& dir) { folders().push_back(dir); }

void setRecordAlias(const std::string& name, const std::string& file) { aliases()[name] = file; }

std::string recordAlias(std::string_view name) {
  auto it = aliases().find(name);
  return it == aliases().end() ? std::string() : it->second;
}

std::string findOnDataPath(const std::string& file) {
  if (file.empty() || file[0] == '/' || isFile(file)) return file;
  for (const std::string& dir : searchFolders()) {
    const std::filesystem::path candidate = std::filesystem::path(dir) / file;
    if (isFile(candidate)) return candidate.string();
  }
  return file;
}

bool onDataPath(const std::string& file) { return isFile(findOnDataPath(file)); }

}  // namespace kh
