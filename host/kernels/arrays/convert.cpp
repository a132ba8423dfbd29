#include "host/kernels/arrays/convert.h"

#include <cmath>

#include "host/core/errors.h"
#include "host/kernels/messages.h"

namespace kh {

bool isNumericLike(const Value& v) { return v.isDouble() || v.isChar(); }

Value toNumeric(const Value& v, const std::string& op) {
  if (v.isDouble()) return v;
  if (v.isChar()) {
    Value r = Value::numeric(v.dims());
    double* d = r.mutRe();
    const char16_t* c = v.chr();
    for (std::size_t i = 0; i < v.numel(); ++i) d[i] = static_cast<double>(c[i]);
    return r;
  }
  if (v.isPlaceholder()) raise("Undefined value used in " + op + ".");
  raise("Function '" + op + "' is not defined for values of class '" + className(v) + "'.");
}

double scalarArg(const Value& v, const std::string& what) {
  if (!isNumericLike(v) || v.isEmpty()) raise(what + " must be a numeric scalar.");
  return toNumeric(v, what).at(0);
}

std::size_t countArg(double v, const char* msg) {
  if (!(v >= 0) || v != std::floor(v) || v > static_cast<double>(kMaxElements)) raise(msg);
  return static_cast<std::size_t>(v);
}

std::size_t dimArg(const Value& v) {
  if (!isNumericLike(v) || v.numel() != 1) raise(msg::kDimPositive);
  const double d = v.isDouble() ? v.at(0) : toNumeric(v, "dim").at(0);
  if (!(d >= 1) || d != std::floor(d) || d > 1e9) raise(msg::kDimPositive);
  return static_cast<std::size_t>(d) - 1;
}

std::size_t firstNonSingleton(const Dims& d) {
  for (std::size_t k = 0; k < d.size(); ++k)
    if (d[k] != 1) return k;
  return 0;
}

Value blankLike(const Value& like, Dims d) {
  switch (like.cls()) {
    case mxCHAR_CLASS: {
      Value r = Value::chars(std::move(d));
      char16_t* c = r.mutChr();
      for (std::size_t i = 0; i < r.numel(); ++i) c[i] = 0;
      return r;
    }
    case mxCELL_CLASS:
      return Value::cell(std::move(d));
    case mxSTRUCT_CLASS:
      return Value::structArray(std::move(d), like.fieldNames());
    case mxFUNCTION_CLASS:
      if (numelOf(normalizeDims(d)) == 1) return like;
      raise("Function handle arrays are not supported.");
    default: {
      Value r = Value::numeric(std::move(d), like.isComplex());
      r.setLogical(like.isLogical());
      return r;
    }
  }
}

void copyElement(Value& dst, std::size_t di, const Value& src, std::size_t si) {
  switch (dst.cls()) {
    case mxCHAR_CLASS:
      dst.mutChr()[di] = src.chr()[si];
      break;
    case mxCELL_CLASS:
      dst.mutCellAt(di) = src.cellAt(si);
      break;
    case mxSTRUCT_CLASS: {
      const auto& names = src.fieldNames();
      for (std::size_t f = 0; f < names.size(); ++f) {
        const int k = dst.addField(names[f]);
        dst.mutFieldAt(di, static_cast<std::size_t>(k)) = src.fieldAt(si, f);
      }
      break;
    }
    case mxFUNCTION_CLASS:
      dst = src;
      break;
    default:
      dst.mutRe()[di] = src.re()[si];
      if (src.isComplex()) {
        dst.mutIm()[di] = src.im()[si];
      } else if (dst.isComplex()) {
        dst.mutIm()[di] = 0.0;
      }
  }
}

Value elementAt(const Value& v, std::size_t i) {
  Value r = blankLike(v, {1, 1});
  copyElement(r, 0, v, i);
  return r;
}

Value charsFrom(const Value& v) {
  if (v.isChar()) return v;
  Value c = Value::chars(v.dims());
  char16_t* p = c.mutChr();
  for (std::size_t i = 0; i < v.numel(); ++i) p[i] = charCode(v.at(i));
  return c;
}

Runs runsAlong(const Dims& d, std::size_t k) {
  Runs r;
  for (std::size_t j = 0; j < d.size(); ++j) {
    if (j < k)
      r.inner *= d[j];
    else if (j == k)
      r.len = d[j];
    else
      r.outer *= d[j];
  }
  return r;
}

}  // namespace kh
