#include "host/language/scripts.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <system_error>

#include "host/core/errors.h"
#include "host/datafile/data_path.h"
#include "host/language/error_trace.h"
#include "host/language/evaluator.h"
#include "host/language/parsed_text.h"
#include "host/language/workspace.h"
#include "host/values/names.h"

namespace kh {
namespace {

// Scripts read so far, parsed, each kept until its file's modification
// time or size changes.
struct ScriptEntry {
  std::filesystem::file_time_type mtime;
  std::uintmax_t size = 0;
  std::shared_ptr<ParsedText> text;
};

std::shared_ptr<ParsedText> scriptText(const std::string& file) {
  static std::map<std::string, ScriptEntry> scripts;
  std::error_code ec1, ec2;
  const auto mtime = std::filesystem::last_write_time(file, ec1);
  const auto size = std::filesystem::file_size(file, ec2);
  const bool stamped = !ec1 && !ec2;
  if (auto it = scripts.find(file);
      stamped && it != scripts.end() && it->second.mtime == mtime && it->second.size == size)
    return it->second.text;
  std::ifstream in(file, std::ios::binary);
  if (!in) raise("Cannot read the script '" + file + "'.");
  std::ostringstream text;
  text << in.rdbuf();
  std::string source = text.str();
  const bool keep = stamped && source.size() <= kMaxKeptText;
  auto parsed = std::make_shared<ParsedText>(std::move(source), keep);
  if (keep) scripts[file] = {mtime, size, parsed};
  return parsed;
}

}  // namespace

bool runScriptNamed(Evaluator& ev, const std::string& name, int nargout, const ValueList& args) {
  if (!isValidName(name)) return false;
  const std::string file = findOnDataPath(name + ".m");
  if (!onDataPath(name + ".m")) return false;
  if (nargout > 0 || !args.empty())
    raise("Attempt to execute the script '" + name + "' as a function.");
  const std::shared_ptr<ParsedText> parsed = scriptText(file);
  Workspace& ws = ev.workspace();
  // The script's statements run in the caller's evaluator: the caller's
  // line is given back when an error leaves the script.
  const std::size_t callerLine = ev.currentLine();
  std::shared_ptr<const Stmt> stmt;
  try {
    for (std::size_t k = 0;; ++k) {
      stmt.reset();
      stmt = parsed->statement(k, ws);
      if (!stmt || ev.exec(*stmt) == Evaluator::Flow::Return) break;
    }
  } catch (const MError& e) {
    const std::size_t line = stmt ? ev.currentLine() : parsed->errorLine();
    noteErrorPlace(e, name + ".m", line ? line : 1);
    ev.setCurrentLine(callerLine);
    throw;
  }
  return true;
}

}  // namespace kh
