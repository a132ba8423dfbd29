// Small RAII helpers around libmatio: an open file and a variable, closed and
// freed on every path, and matio's own log kept off the terminal.
#pragma once

#include <matio.h>

#include <string>

namespace kh::matio {

// Sends matio's diagnostics nowhere: failures are reported by our own errors.
void quietLog();

struct File {
  mat_t* mat = nullptr;
  File() = default;
  explicit File(mat_t* m) : mat(m) {}
  ~File() {
    if (mat) Mat_Close(mat);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
};

struct Var {
  matvar_t* var = nullptr;
  Var() = default;
  explicit Var(matvar_t* v) : var(v) {}
  ~Var() {
    if (var) Mat_VarFree(var);
  }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  matvar_t* release() {
    matvar_t* v = var;
    var = nullptr;
    return v;
  }
};

// Name of a matio class as a user knows it ("int32", "sparse" ...).
std::string className(matio_classes c);

}  // namespace kh::matio
