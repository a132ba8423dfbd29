#include "host/language/scripts.h"

#include <fstream>
#include <sstream>

#include "host/core/errors.h"
#include "host/datafile/data_path.h"
#include "host/language/error_trace.h"
#include "host/language/evaluator.h"
#include "host/language/parser.h"
#include "host/language/workspace.h"
#include "host/values/names.h"

namespace kh {

bool runScriptNamed(Evaluator& ev, const std::string& name, int nargout, const ValueList& args) {
  if (!isValidName(name)) return false;
  const std::string file = findOnDataPath(name + ".m");
  if (!onDataPath(name + ".m")) return false;
  if (nargout > 0 || !args.empty())
    raise("Attempt to execute the script '" + name + "' as a function.");
  std::ifstream in(file, std::ios::binary);
  if (!in) raise("Cannot read the script '" + file + "'.");
  std::ostringstream text;
  text << in.rdbuf();
  const std::string source = text.str();
  Workspace& ws = ev.workspace();
  Parser parser(source, [&ws](const std::string& n) { return ws.has(n); });
  // The script's statements run in the caller's evaluator: the caller's
  // line is given back when an error leaves the script.
  const std::size_t callerLine = ev.currentLine();
  StmtPtr stmt;
  try {
    for (;;) {
      stmt.reset();
      stmt = parser.next();
      if (!stmt || ev.exec(*stmt) == Evaluator::Flow::Return) break;
    }
  } catch (const MError& e) {
    const std::size_t line = stmt ? ev.currentLine() : parser.errorLine();
    noteErrorPlace(e, name + ".m", line ? line : 1);
    ev.setCurrentLine(callerLine);
    throw;
  }
  return true;
}

}  // namespace kh
