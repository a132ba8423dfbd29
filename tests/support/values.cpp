#include "tests/support/values.h"

namespace kt {
namespace {

std::string at(const std::string& where, std::size_t i) {
  return where + "(" + std::to_string(i + 1) + ")";
}

std::string diff(const kh::Value& a, const kh::Value& b, const std::string& where) {
  if (a.cls() != b.cls()) return where + ": class " + kh::className(a) + " vs " + kh::className(b);
  if (a.dims() != b.dims())
    return where + ": size " + kh::dimsText(a.dims()) + " vs " + kh::dimsText(b.dims());
  if (a.isLogical() != b.isLogical()) return where + ": logical flag differs";
  const std::size_t n = a.numel();
  switch (a.cls()) {
    case mxDOUBLE_CLASS:
      if (a.isComplex() != b.isComplex()) return where + ": complexity differs";
      for (std::size_t i = 0; i < n; ++i) {
        if (a.cat(i) != b.cat(i) && !(a.at(i) != a.at(i) && b.at(i) != b.at(i)))
          return at(where, i) + ": " + std::to_string(a.at(i)) + " vs " + std::to_string(b.at(i));
      }
      return "";
    case mxCHAR_CLASS:
      return a.u16() == b.u16() ? "" : where + ": text '" + a.utf8() + "' vs '" + b.utf8() + "'";
    case mxCELL_CLASS:
      for (std::size_t i = 0; i < n; ++i)
        if (std::string d =
                diff(a.cellAt(i), b.cellAt(i), where + "{" + std::to_string(i + 1) + "}");
            !d.empty())
          return d;
      return "";
    case mxSTRUCT_CLASS:
      if (a.fieldNames() != b.fieldNames()) return where + ": field names differ";
      for (std::size_t i = 0; i < n; ++i)
        for (std::size_t f = 0; f < a.fieldNames().size(); ++f)
          if (std::string d =
                  diff(a.fieldAt(i, f), b.fieldAt(i, f), at(where, i) + "." + a.fieldNames()[f]);
              !d.empty())
            return d;
      return "";
    case mxFUNCTION_CLASS:
      return a.functionRef().name == b.functionRef().name &&
                     a.functionRef().fn == b.functionRef().fn
                 ? ""
                 : where + ": function handles differ";
    default:
      return "";
  }
}

}  // namespace

std::string valueDifference(const kh::Value& a, const kh::Value& b) { return diff(a, b, "value"); }

}  // namespace kt
