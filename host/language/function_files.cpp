#include "host/language/function_files.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>

#include "host/context/depth.h"
#include "host/core/errors.h"
#include "host/datafile/data_path.h"
#include "host/language/error_trace.h"
#include "host/language/evaluator.h"
#include "host/language/parser.h"
#include "host/language/workspace.h"
#include "host/values/names.h"

namespace kh {
namespace {

struct CacheEntry {
  std::filesystem::file_time_type mtime;
  std::uintmax_t size = 0;
  std::shared_ptr<const FunctionFile> file;  // null: a script
};

std::map<std::string, CacheEntry>& cache() {
  static std::map<std::string, CacheEntry> entries;
  return entries;
}

std::string baseName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

std::size_t lineCount(std::string_view text) {
  std::size_t n = 1;
  for (char c : text)
    if (c == '\n') ++n;
  if (!text.empty() && text.back() == '\n') --n;
  return n;
}

std::shared_ptr<const FunctionFile> parseFile(const std::string& path, const std::string& stem,
                                              const std::string& source) {
  auto file = std::make_shared<FunctionFile>();
  file->path = path;
  file->fileName = baseName(path);
  file->stem = stem;
  Parser parser(source, [](const std::string&) { return false; });
  try {
    file->functions = parser.functionFile();
  } catch (const IncompleteInput&) {
    // Said of the file, not of text still being typed.
    const std::size_t last = lineCount(source);
    try {
      raise("Parse error (line " + std::to_string(last) +
            "): the file ends inside an unfinished statement or block.");
    } catch (const MError& e) {
      noteErrorPlace(e, file->fileName, last);
      throw;
    }
  } catch (const MError& e) {
    noteErrorPlace(e, file->fileName, parser.errorLine() ? parser.errorLine() : 1);
    throw;
  }
  return file;
}

class FileFunction final : public Callable {
 public:
  FileFunction(std::shared_ptr<const FunctionFile> file, const FunctionDef& f)
      : file_(std::move(file)), f_(f) {}
  ValueList call(int nargout, ValueList& args) const override {
    CallDepthGuard depth;
    return callFunction(file_, f_, nargout, args);
  }
  std::string text() const override { return f_.name; }

 private:
  std::shared_ptr<const FunctionFile> file_;  // keeps f_ alive
  const FunctionDef& f_;
};

// A handle to the function file of a name, which finds the file anew at
// each call (and so sees it change); for code outside the command window
// too, such as a library function given the handle.
class NamedFileFunction final : public Callable {
 public:
  explicit NamedFileFunction(std::string name) : name_(std::move(name)) {}
  ValueList call(int nargout, ValueList& args) const override {
    CallDepthGuard depth;
    ValueList out;
    if (!callFunctionFileNamed(name_, nargout, args, out))
      raise("Undefined function '" + name_ + "'.");
    return out;
  }
  std::string text() const override { return name_; }

 private:
  std::string name_;
};

[[noreturn]] void notAssigned(const std::string& output, const std::string& function) {
  raise("Output argument \"" + output + "\" (and maybe others) not assigned during call to \"" +
        function + "\".");
}

}  // namespace

const FunctionDef* FunctionFile::find(const std::string& name) const {
  if (functions.empty()) return nullptr;
  if (name == stem) return functions.front().get();
  for (std::size_t i = 1; i < functions.size(); ++i)
    if (functions[i]->name == name) return functions[i].get();
  return nullptr;
}

bool isFunctionFileText(std::string_view text) {
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t eol = text.find('\n', p);
    if (eol == std::string_view::npos) eol = text.size();
    std::string_view line = text.substr(p, eol - p);
    p = eol + 1;
    const std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string_view::npos || line[start] == '%') continue;
    line.remove_prefix(start);
    constexpr std::string_view kw = "function";
    if (line.substr(0, kw.size()) != kw) return false;
    if (line.size() == kw.size()) return true;
    const unsigned char c = static_cast<unsigned char>(line[kw.size()]);
    return !(std::isalnum(c) || c == '_');
  }
  return false;
}

std::shared_ptr<const FunctionFile> functionFileNamed(const std::string& name) {
  if (!isValidName(name)) return nullptr;
  const std::string leaf = name + ".m";
  if (!onDataPath(leaf)) return nullptr;
  const std::string path = findOnDataPath(leaf);
  std::error_code ec;
  const auto mtime = std::filesystem::last_write_time(path, ec);
  const std::uintmax_t size = ec ? 0 : std::filesystem::file_size(path, ec);
  auto& entries = cache();
  if (!ec) {
    auto it = entries.find(path);
    if (it != entries.end() && it->second.mtime == mtime && it->second.size == size)
      return it->second.file;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) raise("Cannot read the file '" + path + "'.");
  std::ostringstream text;
  text << in.rdbuf();
  const std::string source = text.str();
  std::shared_ptr<const FunctionFile> file;
  entries.erase(path);
  if (isFunctionFileText(source)) file = parseFile(path, name, source);
  if (!ec) entries[path] = CacheEntry{mtime, size, file};
  return file;
}

ValueList callFunction(const std::shared_ptr<const FunctionFile>& file, const FunctionDef& f,
                       int nargout, ValueList& args) {
  const bool varargin = !f.params.empty() && f.params.back() == "varargin";
  const std::size_t named = f.params.size() - (varargin ? 1 : 0);
  if (!varargin && args.size() > f.params.size()) raise("Too many input arguments.");
  const bool varargout = !f.outputs.empty() && f.outputs.back() == "varargout";
  const std::size_t namedOut = f.outputs.size() - (varargout ? 1 : 0);
  if (!varargout && nargout > static_cast<int>(f.outputs.size()))
    raise("Too many output arguments.");
  const std::string& title = &f == file->functions.front().get() ? file->stem : f.name;

  Workspace ws;
  for (std::size_t i = 0; i < named && i < args.size(); ++i)
    if (f.params[i] != "~" && !args[i].isPlaceholder()) ws.set(f.params[i], args[i]);
  if (varargin) {
    const std::size_t extra = args.size() > named ? args.size() - named : 0;
    Value rest = Value::cell({1, extra});
    for (std::size_t i = 0; i < extra; ++i) rest.mutCellAt(i) = args[named + i];
    ws.set("varargin", std::move(rest));
  }
  Evaluator ev(ws, CallFrame{file, static_cast<int>(args.size()), nargout});
  try {
    ev.execBlock(f.body);
  } catch (const MError& e) {
    noteErrorPlace(e, file->fileName, ev.currentLine());
    throw;
  }
  if (ev.exitRequested()) return {};  // exit: the outputs no longer matter

  // nargout 0 still hands back the first output when it is set (ans).
  const std::size_t want = nargout > 0 ? static_cast<std::size_t>(nargout) : 1;
  ValueList out;
  for (std::size_t k = 0; k < namedOut && k < want; ++k) {
    std::optional<Value> v = ws.get(f.outputs[k]);
    if (!v || v->isPlaceholder()) {
      if (nargout == 0) return out;
      notAssigned(f.outputs[k], title);
    }
    out.push_back(std::move(*v));
  }
  if (varargout && out.size() < want) {
    std::optional<Value> rest = ws.get("varargout");
    if (rest && !rest->isCell()) raise("\"varargout\" must be a cell array.");
    const std::size_t have = rest ? rest->numel() : 0;
    for (std::size_t k = 0; out.size() < want; ++k) {
      if (k >= have) {
        if (nargout == 0) return out;
        notAssigned("varargout{" + std::to_string(k + 1) + "}", title);
      }
      out.push_back(rest->cellAt(k));
    }
  }
  return out;
}

bool callFunctionFileNamed(const std::string& name, int nargout, ValueList& args, ValueList& out) {
  std::shared_ptr<const FunctionFile> file = functionFileNamed(name);
  if (!file) return false;
  out = callFunction(file, *file->functions.front(), nargout, args);
  return true;
}

Value fileFunctionHandle(const std::shared_ptr<const FunctionFile>& file, const FunctionDef& f) {
  FunctionRef ref;
  ref.name = &f == file->functions.front().get() ? file->stem : f.name;
  ref.callable = std::make_shared<FileFunction>(file, f);
  return Value::function(std::move(ref));
}

Value functionFileHandle(const std::string& name) {
  FunctionRef ref;
  ref.name = name;
  ref.callable = std::make_shared<NamedFileFunction>(name);
  return Value::function(std::move(ref));
}

}  // namespace kh
