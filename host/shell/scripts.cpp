#include "host/shell/scripts.h"

#include <fstream>
#include <sstream>

#include "host/array/names.h"
#include "host/context/errors.h"
#include "host/datafile/data_path.h"
#include "host/shell/evaluator.h"
#include "host/shell/parser.h"
#include "host/shell/workspace.h"

namespace kh {

bool runScriptNamed(Evaluator& ev, const std::string& name, int nargout,
                    const std::vector<Value>& args) {
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
  while (StmtPtr stmt = parser.next())
    if (ev.exec(*stmt) == Evaluator::Flow::Return) break;
  return true;
}

}  // namespace kh
