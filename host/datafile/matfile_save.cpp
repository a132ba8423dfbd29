#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/core/errors.h"
#include "host/datafile/matfile.h"
#include "host/datafile/matio_session.h"
#include "host/datafile/readers.h"

namespace kh {
namespace {

struct Unsupported {
  std::string what;
};

std::vector<std::size_t> dimsFor(const Value& v) {
  Dims d = v.dims();
  while (d.size() < 2) d.push_back(1);
  return std::vector<std::size_t>(d.begin(), d.end());
}

matvar_t* toVar(const char* name, const Value& v, int depth);

matvar_t* doubleVar(const char* name, const Value& v) {
  std::vector<std::size_t> d = dimsFor(v);
  const int rank = static_cast<int>(d.size());
  const std::size_t n = v.numel();
  if (v.isLogical()) {
    std::vector<std::uint8_t> b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = v.re()[i] != 0.0;
    return Mat_VarCreate(name, MAT_C_UINT8, MAT_T_UINT8, rank, d.data(), n ? b.data() : nullptr,
                         MAT_F_LOGICAL);
  }
  if (v.im()) {
    std::vector<double> re(v.re(), v.re() + n), im(v.im(), v.im() + n);
    mat_complex_split_t z{re.data(), im.data()};
    return Mat_VarCreate(name, MAT_C_DOUBLE, MAT_T_DOUBLE, rank, d.data(), &z, MAT_F_COMPLEX);
  }
  std::vector<double> re(v.re(), v.re() + n);
  return Mat_VarCreate(name, MAT_C_DOUBLE, MAT_T_DOUBLE, rank, d.data(), n ? re.data() : nullptr,
                       0);
}

matvar_t* charVar(const char* name, const Value& v) {
  std::vector<std::size_t> d = dimsFor(v);
  std::vector<std::uint16_t> c(v.chr(), v.chr() + v.numel());
  return Mat_VarCreate(name, MAT_C_CHAR, MAT_T_UINT16, static_cast<int>(d.size()), d.data(),
                       c.empty() ? nullptr : c.data(), 0);
}

matvar_t* cellVar(const char* name, const Value& v, int depth) {
  std::vector<std::size_t> d = dimsFor(v);
  matio::Var var(Mat_VarCreate(name, MAT_C_CELL, MAT_T_CELL, static_cast<int>(d.size()), d.data(),
                               nullptr, 0));
  if (!var.var) return nullptr;
  for (std::size_t i = 0; i < v.numel(); ++i) {
    matvar_t* e = toVar(nullptr, v.cellAt(i), depth + 1);
    if (!e) return nullptr;
    Mat_VarSetCell(var.var, static_cast<int>(i), e);
  }
  return var.release();
}

matvar_t* structVar(const char* name, const Value& v, int depth) {
  std::vector<std::size_t> d = dimsFor(v);
  const auto& fields = v.fieldNames();
  std::vector<const char*> fp;
  for (const std::string& f : fields) fp.push_back(f.c_str());
  fp.push_back(nullptr);  // the list of field names ends with a null
  matio::Var var(Mat_VarCreateStruct2(name, static_cast<int>(d.size()), d.data(), fp.data()));
  if (!var.var) return nullptr;
  for (std::size_t i = 0; i < v.numel(); ++i)
    for (std::size_t f = 0; f < fields.size(); ++f) {
      matvar_t* e = toVar(nullptr, v.fieldAt(i, f), depth + 1);
      if (!e) return nullptr;
      Mat_VarSetStructFieldByIndex(var.var, f, i, e);
    }
  return var.release();
}

matvar_t* toVar(const char* name, const Value& v, int depth) {
  // Deeper than a file may nest is refused here, before it is written.
  if (depth > matfile::kMaxNesting)
    throw Unsupported{"it nests cells or structures more than " +
                      std::to_string(matfile::kMaxNesting) + " levels deep"};
  switch (v.cls()) {
    case mxDOUBLE_CLASS:
      return doubleVar(name, v);
    case mxCHAR_CLASS:
      return charVar(name, v);
    case mxCELL_CLASS:
      return cellVar(name, v, depth);
    case mxSTRUCT_CLASS:
      return structVar(name, v, depth);
    default:
      break;
  }
  const std::string cls = className(v);
  throw Unsupported{"class " + (cls.empty() ? std::string("(unassigned)") : cls) +
                    " cannot be saved"};
}

// Where the bytes of a save go, and how: a regular file (or a new one) is
// written as a temporary file beside it and renamed into place, so that it is
// never left half-written; anything else a name may lead to (a device, a
// pipe) is written straight through. A link is followed, and stays a link.
struct Destination {
  std::filesystem::path path;  // the file the data ends up in
  bool direct = false;         // not a regular file: written straight through
  bool exists = false;
  std::filesystem::perms perms{};
};

Destination destinationOf(const std::string& file) {
  namespace fs = std::filesystem;
  Destination d;
  std::error_code ec;
  d.path = fs::is_symlink(fs::symlink_status(file, ec)) ? fs::weakly_canonical(file, ec)
                                                        : fs::path(file);
  if (ec) d.path = file;
  const fs::file_status st = fs::status(d.path, ec);
  d.exists = !ec && fs::exists(st);
  if (d.exists && fs::is_directory(st))
    raise("Unable to write file '" + file + "': it is a folder.");
  // A device such as /dev/null is written in place; a pipe or a socket
  // would hold the host until someone reads it.
  if (d.exists && (fs::is_fifo(st) || fs::is_socket(st) || fs::is_block_file(st)))
    raise("Unable to write file '" + file + "': it is not a regular file.");
  d.direct = d.exists && !fs::is_regular_file(st);
  d.perms = st.permissions();
  return d;
}

[[noreturn]] void writeFailed(const std::string& file, int err) {
  raise("Unable to write file '" + file + "': " + std::strerror(err) + ".");
}

// Whether the file system that holds dir has next to no room left for us.
bool noRoomLeft(const std::filesystem::path& dir) {
  struct statvfs fs;
  if (::statvfs(dir.c_str(), &fs) != 0) return false;
  return static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize < 64 * 1024;
}

// A new file that nobody else has, in dir, made with the usual permissions
// (those the umask leaves); its name.
std::string freshFile(const std::filesystem::path& dir, const std::string& stem,
                      const std::string& file) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path p = dir / ("." + stem + "." + std::to_string(::getpid()) + "." +
                                           std::to_string(++counter) + ".tmp");
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return p.string();
    }
    if (errno != EEXIST) writeFailed(file, errno);
  }
  writeFailed(file, EEXIST);
}

// Removes the temporary file unless the save got through.
struct TempFile {
  std::string path;
  bool keep = false;
  ~TempFile() {
    if (!keep && !path.empty()) ::unlink(path.c_str());
  }
};

// Every byte of the file at from, written to the file at to (which is not a
// regular file), each write and the close checked.
void copyInto(const std::string& from, const std::filesystem::path& to, const std::string& file) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) writeFailed(file, errno);
  const int out = ::open(to.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (out < 0) {
    const int err = errno;
    ::close(in);
    writeFailed(file, err);
  }
  char buf[65536];
  int err = 0;
  for (;;) {
    const ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) err = errno;
      break;
    }
    for (ssize_t done = 0; done < n && !err;) {
      const ssize_t w = ::write(out, buf + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0)
        err = w < 0 ? errno : EIO;
      else
        done += w;
    }
    if (err) break;
  }
  ::close(in);
  if (::close(out) != 0 && !err) err = errno;
  if (err) writeFailed(file, err);
}

// Forces the file's data to the disk; any error the system kept from an
// earlier write comes out here.
void syncFile(const std::string& path, const std::string& file) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) writeFailed(file, errno);
  const int rc = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  if (rc != 0) writeFailed(file, err);
}

}  // namespace

void saveMatFile(const std::string& file, const NamedValues& vars) {
  matio::quietLog();
  // Convert everything before the file is touched, so a failure leaves it as
  // it was.
  std::vector<std::unique_ptr<matio::Var>> converted;
  for (const auto& [name, value] : vars) {
    try {
      auto var = std::make_unique<matio::Var>(toVar(name.c_str(), value, 0));
      if (!var->var) raise("Unable to save '" + name + "' to '" + file + "'.");
      converted.push_back(std::move(var));
    } catch (const Unsupported& u) {
      raise("Unable to save '" + name + "' to '" + file + "': " + u.what + ".");
    }
  }
  const Destination dest = destinationOf(file);
  const std::filesystem::path dir =
      dest.direct ? std::filesystem::temp_directory_path() : dest.path.parent_path();
  const std::filesystem::path tempDir = dir.empty() ? "." : dir;
  TempFile temp{freshFile(tempDir, dest.path.filename().string(), file)};
  // The writer does not say why a write failed; a file system with no room
  // left is the usual reason, and the one a person can do something about.
  auto failed = [&](const std::string& message) {
    if (noRoomLeft(tempDir)) writeFailed(file, ENOSPC);
    raise(message);
  };
  {
    matio::File mat(Mat_CreateVer(temp.path.c_str(), nullptr, MAT_FT_MAT5));
    if (!mat.mat) failed("Unable to write file '" + file + "'.");
    for (std::size_t i = 0; i < converted.size(); ++i)
      if (Mat_VarWrite(mat.mat, converted[i]->var, MAT_COMPRESSION_NONE) != 0)
        failed("Unable to write '" + vars[i].first + "' to '" + file + "'.");
    const int rc = Mat_Close(mat.mat);
    mat.mat = nullptr;
    if (rc != 0) failed("Unable to write file '" + file + "'.");
  }
  syncFile(temp.path, file);
  // What was written must read back whole: a write the library did not
  // report as failed cannot leave a short file behind unnoticed.
  bool whole = true;
  try {
    std::unordered_set<std::string> names;
    for (const auto& v : vars) names.insert(v.first);
    whole = loadMatFile(temp.path, {}).size() == names.size();
  } catch (const MError&) {
    whole = false;
  }
  if (!whole)
    failed(
        "Unable to write file '" + file +
        "': the written file does not read back whole (is the disk full, or the file larger than "
        "this process may write?).");
  if (dest.direct) {
    copyInto(temp.path, dest.path, file);
    return;
  }
  std::error_code ec;
  if (dest.exists) std::filesystem::permissions(temp.path, dest.perms, ec);
  if (::rename(temp.path.c_str(), dest.path.c_str()) != 0) writeFailed(file, errno);
  temp.keep = true;
}

}  // namespace kh
