#include "host/shell/help/help_sources.h"

#include <fstream>
#include <sstream>

#include "host/loader/library.h"
#include "host/shell/help/host_help_text.h"

namespace kh {

const HelpText& hostHelp() {
  static const HelpText text = parseHelpText(hostHelpText(), "host.help");
  return text;
}

namespace {
HelpText& added() {
  static HelpText text;
  return text;
}
}  // namespace

void addHelpText(std::string_view text, const std::string& source) {
  HelpText more = parseHelpText(text, source);
  for (HelpEntry& e : more.entries) added().entries.push_back(std::move(e));
  for (std::string& e : more.errors) added().errors.push_back(std::move(e));
}

const HelpText& addedHelp() { return added(); }

std::string libraryHelpPath(const std::string& libraryPath) {
  const std::string so = ".so";
  if (libraryPath.size() > so.size() && libraryPath.ends_with(so))
    return libraryPath.substr(0, libraryPath.size() - so.size()) + ".help";
  return libraryPath + ".help";
}

HelpText loadedLibraryHelp() {
  const LoadedLibrary* lib = currentLibrary();
  if (!lib || !lib->isOpen()) return {};
  const std::string path = libraryHelpPath(lib->path());
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return parseHelpText(text.str(), path);
}

}  // namespace kh
