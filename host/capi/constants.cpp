// Module constants and the library's global variables.
#include "runtime/constants.h"

#include <limits>

#include "host/context/globals.h"
#include "host/values/handle.h"

namespace {

kh::Value charMatrix(std::size_t rows, std::size_t cols, const mxChar* chars) {
  kh::Value v = kh::Value::chars({rows, cols});
  if (chars && v.numel() > 0) {
    char16_t* out = v.mutChr();
    for (std::size_t i = 0; i < v.numel(); ++i) out[i] = static_cast<char16_t>(chars[i]);
  }
  return v;
}

std::size_t count(int n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

}  // namespace

extern "C" {

mxArray* mclInitializeString(int length, const mxChar* chars) {
  return kh::newHandle(charMatrix(1, count(length), chars), false);
}

mxArray* mclInitializeDouble(double value) {
  return kh::newHandle(kh::Value::scalar(value), false);
}

mxArray* mclInitializeDoubleVector(int rows, int cols, const double* data) {
  kh::Value v = kh::Value::matrix(count(rows), count(cols));
  if (data && v.numel() > 0) {
    double* out = v.mutRe();
    for (std::size_t i = 0; i < v.numel(); ++i) out[i] = data[i];
  }
  return kh::newHandle(std::move(v), false);
}

mxArray* mclInitializeCharVector(int rows, int cols, const mxChar* chars) {
  return kh::newHandle(charMatrix(count(rows), count(cols), chars), false);
}

// The cell holds copies of the element constants' values; copy-on-write
// makes them share storage.
mxArray* mclInitializeCellVector(int rows, int cols, mxArray** elements) {
  kh::Value v = kh::Value::cell({count(rows), count(cols)});
  for (std::size_t i = 0; i < v.numel(); ++i)
    if (elements && elements[i]) v.mutCellAt(i) = kh::valueOf(elements[i]);
  return kh::newHandle(std::move(v), false);
}

mxArray* mlfScalar(double value) { return kh::newTemp(kh::Value::scalar(value)); }

double mclGetInf(void) { return std::numeric_limits<double>::infinity(); }

double mclGetNaN(void) { return std::numeric_limits<double>::quiet_NaN(); }

// The loader has already registered the library's slots under their names,
// so binding is only counted here.
mxArray** mclInitGlobal(mxArray** slot) {
  kh::countInitGlobal();
  return slot;
}

mxArray* mclVg(mxArray** slot, const char* /*name*/) {
  if (!slot || !*slot) return kh::newTemp(kh::Value::empty());
  return *slot;
}

}  // extern "C"
