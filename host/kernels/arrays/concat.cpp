#include "host/kernels/arrays/concat.h"

#include <algorithm>

#include "host/core/errors.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/messages.h"

namespace kh {
namespace {

mxClassID resultClass(Values parts) {
  bool anyCell = false, anyChar = false, anyStruct = false, anyFn = false;
  for (const auto& p : parts) {
    anyCell |= p.isCell();
    anyChar |= p.isChar();
    anyStruct |= p.isStruct();
    anyFn |= p.isFunction();
  }
  if (anyCell) return mxCELL_CLASS;
  if (anyFn) raise("Function handles cannot be concatenated.");
  if (anyStruct) {
    for (const auto& p : parts)
      if (!p.isStruct()) raise("Structures can only be concatenated with structures.");
    return mxSTRUCT_CLASS;
  }
  return anyChar ? mxCHAR_CLASS : mxDOUBLE_CLASS;
}

Value convertTo(const Value& v, mxClassID cls) {
  if (v.cls() == cls) return v;
  if (cls == mxCELL_CLASS) {
    Value c = Value::cell({1, 1});
    c.mutCellAt(0) = v;
    return c;
  }
  if (cls == mxCHAR_CLASS) return charsFrom(v);
  return toNumeric(v, "concatenation");
}

bool isNull(const Value& v) {
  return v.isPlaceholder() || (v.ndims() == 2 && v.rows() == 0 && v.cols() == 0);
}

}  // namespace

Value concat(Values all, std::size_t dim) {
  ValueList parts;
  for (const auto& p : all)
    if (!isNull(p)) parts.push_back(p);
  if (parts.empty()) {
    // [] of nothing keeps the class of its operands ('' stays text).
    for (const auto& p : all)
      if (p.isChar() || p.isCell()) return blankLike(p, {0, 0});
    return Value::empty();
  }
  // Beside a cell, any other operand is one element: it is put in a cell of
  // its own before the sizes are compared ([{1, 2}, [3 4 5]] has 3 cells).
  if (resultClass(parts) == mxCELL_CLASS)
    for (auto& p : parts)
      if (!p.isCell()) p = convertTo(p, mxCELL_CLASS);
  // Empty operands that do not fit are skipped too, as long as something
  // non-empty is there to define the size.
  bool anyFull = false;
  for (const auto& p : parts) anyFull |= !p.isEmpty();
  if (anyFull) {
    ValueList full;
    for (const auto& p : parts)
      if (!p.isEmpty()) full.push_back(p);
    Dims ref = full[0].dims();
    bool fits = true;
    for (const auto& p : parts) {
      Dims d = p.dims();
      if (d.size() != ref.size()) {
        fits = false;
        continue;
      }
      for (std::size_t j = 0; j < d.size(); ++j)
        if (j != dim && d[j] != ref[j]) fits = false;
    }
    if (!fits) parts = full;
  }
  const mxClassID cls = resultClass(parts);
  std::size_t nd = std::max<std::size_t>(dim + 1, 2);
  for (const auto& p : parts) nd = std::max(nd, p.ndims());
  Dims out(nd, 0);
  const Dims first = [&] {
    Dims d = parts[0].dims();
    d.resize(nd, 1);
    return d;
  }();
  out = first;
  out[dim] = 0;
  bool allLogical = true;
  for (const auto& p : parts) {
    Dims d = p.dims();
    d.resize(nd, 1);
    for (std::size_t j = 0; j < nd; ++j)
      if (j != dim && d[j] != first[j]) raise(dim == 1 ? msg::kHorzcatRows : msg::kVertcatCols);
    out[dim] += d[dim];
    allLogical &= p.isLogical();
  }
  ValueList conv;
  for (const auto& p : parts) conv.push_back(convertTo(p, cls));
  Value r = blankLike(conv[0], out);
  // Elements are laid out as [inner block][dim][outer]; copy block by block.
  std::size_t inner = 1, outer = 1;
  for (std::size_t j = 0; j < dim; ++j) inner *= out[j];
  for (std::size_t j = dim + 1; j < nd; ++j) outer *= out[j];
  // Each part holds `outer` blocks of inner*len contiguous elements.
  const bool blocks = r.isDouble() || r.isChar();
  bool anyComplex = false;
  for (const auto& p : conv) anyComplex |= p.isComplex();
  // (The imaginary part first: making a value complex can move its real part.)
  double* zi = r.isDouble() && r.numel() && anyComplex ? r.mutIm() : nullptr;
  double* zr = r.isDouble() && r.numel() ? r.mutRe() : nullptr;
  char16_t* zc = r.isChar() && r.numel() ? r.mutChr() : nullptr;
  std::size_t offset = 0;
  for (const auto& p : conv) {
    Dims d = p.dims();
    d.resize(nd, 1);
    const std::size_t len = d[dim];
    const std::size_t block = inner * len;
    if (blocks) {
      if (block != 0) {
        for (std::size_t o = 0; o < outer; ++o) {
          const std::size_t from = o * block, to = offset * inner + o * inner * out[dim];
          if (zr) {
            std::copy(p.re() + from, p.re() + from + block, zr + to);
            if (p.isComplex()) std::copy(p.im() + from, p.im() + from + block, zi + to);
          } else {
            std::copy(p.chr() + from, p.chr() + from + block, zc + to);
          }
        }
      }
      offset += len;
      continue;
    }
    for (std::size_t o = 0; o < outer; ++o)
      for (std::size_t l = 0; l < len; ++l)
        for (std::size_t i = 0; i < inner; ++i)
          copyElement(r, i + (offset + l) * inner + o * inner * out[dim], p,
                      i + l * inner + o * inner * len);
    offset += len;
  }
  if (r.isDouble()) {
    r.setLogical(allLogical);
    r.dropZeroImag();
  }
  return r;
}

}  // namespace kh
