#include "editor/record_name.h"

#include <cctype>
#include <string>

#include "editor/editor_figure.h"
#include "host/context/globals.h"
#include "host/datafile/data_path.h"
#include "host/graphics/tree.h"
#include "host/values/handle.h"

namespace kh::editor {
namespace {

// The file last opened into the editor, and the estimate line its load drew.
struct Opened {
  std::string base;
  double line = 0;
};
Opened& opened() {
  static Opened o;
  return o;
}

std::string_view withoutFolder(std::string_view s) {
  const std::size_t slash = s.find_last_of("/\\");
  return slash == std::string_view::npos ? s : s.substr(slash + 1);
}

}  // namespace

std::string shownName(std::string_view given) {
  std::string out;
  for (char c : withoutFolder(given))
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) out += c;
  if (out.size() > 200) {
    out.resize(200);
    // Not in the middle of a character of several bytes.
    while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xc0) == 0x80) out.pop_back();
    if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xc0) out.pop_back();
    out += "...";
  }
  return out.empty() ? "the record" : out;
}

std::string exportBase(std::string_view given) {
  std::string_view name = withoutFolder(given);
  if (name.size() >= 4) {
    std::string ext(name.substr(name.size() - 4));
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".mat") name.remove_suffix(4);
  }
  std::string out;
  for (char c : name.substr(0, 120)) {
    const bool plain = std::isalnum(static_cast<unsigned char>(c)) ||
                       std::string_view(" ._-+,()[]").find(c) != std::string_view::npos;
    out += plain ? c : '_';
  }
  // Not hidden, and not only dots and blanks.
  if (out.find_first_not_of(". ") == std::string::npos) return "record";
  return out;
}

void noteOpenedRecord(std::string_view given) { opened() = {exportBase(given), estimateLine()}; }

std::string recordName() {
  const double line = estimateLine();
  if (line != 0 && line == opened().line) return opened().base;
  const std::string alias = recordAlias("ex_pulse");
  return alias.empty() ? "ex_pulse" : exportBase(alias);
}

std::string figureFileName(gfx::Object* fig) {
  const std::string plain = "figure" + std::to_string(static_cast<long>(fig->handle));
  if (!loadButtonOf(fig)) return plain;
  gfx::Object* line = gfx::tree().find(estimateLine());
  if (!line || line->type != gfx::Type::Line || gfx::Tree::figureOf(line) != fig) return plain;
  return recordName();
}

}  // namespace kh::editor
