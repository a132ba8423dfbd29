#include "host/builtins/files/formatted_output.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "host/builtins/arguments.h"
#include "host/builtins/registry.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/kernels/messages.h"
#include "host/kernels/text/text_format.h"

namespace kh::builtin {
namespace {

constexpr const char* kInvalidFid = "Invalid file identifier.";
constexpr int kFirstFileId = 3;

struct OpenFile {
  std::FILE* file;
  std::string name;
  std::string permission;  // as fopen was given it
  bool readOnly;
};

// The files fopen opened, by identifier. Whatever is still open when the
// process ends is closed then, so that its buffered text reaches the file.
class FileTable {
 public:
  FileTable() = default;
  FileTable(const FileTable&) = delete;
  FileTable& operator=(const FileTable&) = delete;
  ~FileTable() { closeAll(); }

  // The lowest free identifier from 3 up.
  int add(OpenFile f) {
    int id = kFirstFileId;
    for (const auto& [k, open] : files_) {
      if (k != id) break;
      ++id;
    }
    files_.emplace(id, std::move(f));
    return id;
  }
  OpenFile* find(int id) {
    auto it = files_.find(id);
    return it == files_.end() ? nullptr : &it->second;
  }
  // True when the file's buffered text was written and it closed cleanly.
  bool close(int id) {
    auto it = files_.find(id);
    const bool ok = std::fclose(it->second.file) == 0;
    files_.erase(it);
    return ok;
  }
  bool closeAll() {
    bool ok = true;
    while (!files_.empty()) ok = close(files_.begin()->first) && ok;
    return ok;
  }
  std::vector<double> ids() const {
    std::vector<double> r;
    for (const auto& [k, open] : files_) r.push_back(k);
    return r;
  }

 private:
  std::map<int, OpenFile> files_;
};

FileTable& files() {
  static FileTable t;
  return t;
}

std::string textOf(const Value& v, const char* fn) {
  if (!v.isChar()) raise(std::string("The argument of ") + fn + " must be a text.");
  return v.utf8();
}

// The identifier v names when it is a whole real number, else nothing.
std::optional<int> idOf(const Value& v) {
  if (!v.isDouble() || v.numel() != 1 || v.isComplex()) return std::nullopt;
  const double d = v.at(0);
  if (!(d >= 0 && d < 1e9) || d != std::floor(d)) return std::nullopt;
  return static_cast<int>(d);
}

bool isTextArg(const Value& v, const char* word) { return v.isChar() && v.utf8() == word; }

// The C library's mode for a permission such as "r", "w+", "at" or "rb+":
// one of r, w, a (W and A as w and a), an optional '+', and an optional 't'
// or 'b' before or after it. Empty when the permission is none of these.
std::string cMode(const std::string& permission) {
  if (permission.empty()) return {};
  char base = permission[0];
  if (base == 'W' || base == 'A') base = static_cast<char>(base - 'A' + 'a');
  if (base != 'r' && base != 'w' && base != 'a') return {};
  bool plus = false, kind = false;
  for (std::size_t k = 1; k < permission.size(); ++k) {
    const char c = permission[k];
    if (c == '+' && !plus) {
      plus = true;
    } else if ((c == 't' || c == 'b') && !kind) {
      kind = true;
    } else {
      return {};
    }
  }
  return std::string(1, base) + (plus ? "+" : "") + "b";
}

void fopenAll(Call& call) {
  const std::vector<double> ids = files().ids();
  Value r = Value::numeric({1, ids.size()});
  for (std::size_t k = 0; k < ids.size(); ++k) r.mutRe()[k] = ids[k];
  call.give(std::move(r));
}

// [name, permission, machinefmt] = fopen(fid).
void fopenQuery(Call& call, const Value& fidArg) {
  if (call.nargout() > 3) raise(msg::kTooManyOut);
  const std::optional<int> id = idOf(fidArg);
  const OpenFile* f = id ? files().find(*id) : nullptr;
  if (!f) return giveAll(call, {Value::str(""), Value::str(""), Value::str("")});
  giveAll(call, {Value::str(std::string_view(f->name)), Value::str(std::string_view(f->permission)),
                 Value::str("ieee-le")});
}

void fopenFile(Call& call) {
  call.counts(1, 3, 2);
  if (call.arg(0).rows() > 1) raise("The file name must be a text of one row.");
  const std::string name = textOf(call.arg(0), "fopen");
  const std::string permission = call.nargin() > 1 ? textOf(call.arg(1), "fopen") : "r";
  const std::string mode = cMode(permission);
  if (mode.empty()) raise("Invalid permission '" + permission + "'.");
  if (call.nargin() > 2) {
    // Text goes out as bytes, so only this machine's own order can be
    // honoured; any other is refused instead of being ignored.
    const std::string order = textOf(call.arg(2), "fopen");
    if (order != "n" && order != "native" && order != "l" && order != "ieee-le")
      raise("Only the machine's own byte order (native, ieee-le) is available.");
  }
  auto failure = [&](const std::string& why) {
    giveAll(call, {Value::scalar(-1), Value::str(std::string_view(why))});
  };
  if (name.empty()) return failure("The file name is empty.");
  if (name.find('\0') != std::string::npos) return failure("The file name holds a null character.");
  std::error_code ec;
  // A folder opens for reading on some systems; it is no file to write to
  // or read text from.
  const std::filesystem::file_status st = std::filesystem::status(name, ec);
  if (std::filesystem::is_directory(st)) return failure(std::strerror(EISDIR));
  // Opening a pipe waits for its other end, and the host's one thread with
  // it: pipes and sockets are no files here.
  if (std::filesystem::is_fifo(st) || std::filesystem::is_socket(st))
    return failure("The file is a pipe or a socket, not a regular file.");
  errno = 0;
  std::FILE* f = std::fopen(name.c_str(), mode.c_str());
  if (!f) return failure(errno ? std::strerror(errno) : "The file could not be opened.");
  const int id = files().add({f, name, permission, mode[0] == 'r' && mode[1] != '+'});
  giveAll(call, {Value::scalar(id), Value::str("")});
}

}  // namespace

void fopen(Call& call) {
  if (call.nargin() == 1 && isTextArg(call.arg(0), "all")) {
    if (call.nargout() > 1) raise(msg::kTooManyOut);
    return fopenAll(call);
  }
  if (call.nargin() == 1 && call.arg(0).isDouble()) return fopenQuery(call, call.arg(0));
  fopenFile(call);
}

void fclose(Call& call) {
  call.counts(1, 1);
  if (isTextArg(call.arg(0), "all")) return call.give(Value::scalar(files().closeAll() ? 0 : -1));
  const std::optional<int> id = idOf(call.arg(0));
  if (!id || !files().find(*id)) raise(kInvalidFid);
  call.give(Value::scalar(files().close(*id) ? 0 : -1));
}

void sprintf(Call& call) {
  if (call.nargin() == 0) raise(msg::kNotEnoughIn);
  if (call.nargout() > 2) raise(msg::kTooManyOut);
  const std::string fmt = textOf(call.arg(0), "sprintf");
  call.give(Value::str(formatText(fmt, inputsFrom(call, 1))));
  if (call.nargout() > 1) call.give(Value::str(""));
}

// fprintf(format, ...) writes to the command window; fprintf(fid, format,
// ...) to the file fid names. With an output, the count of bytes written.
void fprintf(Call& call) {
  if (call.nargin() == 0) raise(msg::kNotEnoughIn);
  if (call.nargout() > 1) raise(msg::kTooManyOut);
  std::size_t first = 0;
  double fid = 1;
  if (call.arg(0).isDouble() && call.arg(0).isScalar()) {
    fid = call.arg(0).re()[0];
    first = 1;
    if (call.nargin() < 2) raise(msg::kNotEnoughIn);
  }
  const std::string fmt = textOf(call.arg(first), "fprintf");
  const std::string text = formatText(fmt, inputsFrom(call, first + 1));
  writeToFile(fid, text);
  if (call.nargout() > 0) call.give(Value::scalar(static_cast<double>(text.size())));
}

namespace {
const bool kRegistered = [] {
  registerBuiltin("sprintf", sprintf);
  registerBuiltin("fprintf", fprintf);
  registerBuiltin("fopen", fopen);
  registerBuiltin("fclose", fclose);
  return true;
}();
}  // namespace

void writeToFile(double fid, std::string_view text) {
  if (fid == 1) return emit(text);
  if (fid == 2) return emitError(text);
  OpenFile* f = nullptr;
  if (fid >= kFirstFileId && fid < 1e9 && fid == std::floor(fid))
    f = files().find(static_cast<int>(fid));
  if (!f) raise(kInvalidFid);
  if (std::fwrite(text.data(), 1, text.size(), f->file) != text.size()) {
    std::clearerr(f->file);
    raise("Could not write to the file '" + f->name + "'" +
          (f->readOnly ? ", which is open for reading only." : "."));
  }
}

}  // namespace kh::builtin
