#include <string>

#include "host/core/errors.h"
#include "host/datafile/data_path.h"
#include "host/datafile/matfile.h"

namespace kh {

std::string resolveMatFileName(std::string_view name) {
  // The system would end the name at the NUL and read or write another file.
  if (name.find('\0') != std::string_view::npos) raise("File names cannot contain NUL characters.");
  const auto slash = name.find_last_of('/');
  const auto base = slash == std::string_view::npos ? name : name.substr(slash + 1);
  // '' or 'dir/' would become the hidden file '.mat'.
  if (base.empty()) raise("'" + std::string(name) + "' is not a file name.");
  if (base.find('.') != std::string_view::npos) return std::string(name);
  return std::string(name) + ".mat";
}

std::string locateMatFile(std::string_view name) {
  if (std::string alias = recordAlias(name); !alias.empty()) return alias;
  return findOnDataPath(resolveMatFileName(name));
}

}  // namespace kh
