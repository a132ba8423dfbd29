#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/context/errors.h"
#include "host/datafile/matfile.h"
#include "host/datafile/matio_session.h"

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

matvar_t* toVar(const char* name, const Value& v);

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

matvar_t* cellVar(const char* name, const Value& v) {
  std::vector<std::size_t> d = dimsFor(v);
  matio::Var var(Mat_VarCreate(name, MAT_C_CELL, MAT_T_CELL, static_cast<int>(d.size()), d.data(),
                               nullptr, 0));
  if (!var.var) return nullptr;
  for (std::size_t i = 0; i < v.numel(); ++i) {
    matvar_t* e = toVar(nullptr, v.cellAt(i));
    if (!e) return nullptr;
    Mat_VarSetCell(var.var, static_cast<int>(i), e);
  }
  return var.release();
}

matvar_t* structVar(const char* name, const Value& v) {
  std::vector<std::size_t> d = dimsFor(v);
  const auto& fields = v.fieldNames();
  std::vector<const char*> fp;
  for (const std::string& f : fields) fp.push_back(f.c_str());
  fp.push_back(nullptr);  // the list of field names ends with a null
  matio::Var var(Mat_VarCreateStruct2(name, static_cast<int>(d.size()), d.data(), fp.data()));
  if (!var.var) return nullptr;
  for (std::size_t i = 0; i < v.numel(); ++i)
    for (std::size_t f = 0; f < fields.size(); ++f) {
      matvar_t* e = toVar(nullptr, v.fieldAt(i, f));
      if (!e) return nullptr;
      Mat_VarSetStructFieldByIndex(var.var, f, i, e);
    }
  return var.release();
}

matvar_t* toVar(const char* name, const Value& v) {
  switch (v.cls()) {
    case mxDOUBLE_CLASS:
      return doubleVar(name, v);
    case mxCHAR_CLASS:
      return charVar(name, v);
    case mxCELL_CLASS:
      return cellVar(name, v);
    case mxSTRUCT_CLASS:
      return structVar(name, v);
    default:
      break;
  }
  const std::string cls = className(v);
  throw Unsupported{"class " + (cls.empty() ? std::string("(unassigned)") : cls) +
                    " cannot be saved"};
}

}  // namespace

void saveMatFile(const std::string& file, const NamedValues& vars) {
  matio::quietLog();
  // Convert everything before the file is touched, so a failure leaves it as
  // it was.
  std::vector<std::unique_ptr<matio::Var>> converted;
  for (const auto& [name, value] : vars) {
    try {
      auto var = std::make_unique<matio::Var>(toVar(name.c_str(), value));
      if (!var->var) raise("Unable to save '" + name + "' to '" + file + "'.");
      converted.push_back(std::move(var));
    } catch (const Unsupported& u) {
      raise("Unable to save '" + name + "' to '" + file + "': " + u.what + ".");
    }
  }
  matio::File mat(Mat_CreateVer(file.c_str(), nullptr, MAT_FT_MAT5));
  if (!mat.mat) raise("Unable to write file '" + file + "'.");
  for (std::size_t i = 0; i < converted.size(); ++i)
    if (Mat_VarWrite(mat.mat, converted[i]->var, MAT_COMPRESSION_NONE) != 0)
      raise("Unable to write '" + vars[i].first + "' to '" + file + "'.");
  if (Mat_Close(mat.mat) != 0) {
    mat.mat = nullptr;
    raise("Unable to write file '" + file + "'.");
  }
  mat.mat = nullptr;
}

}  // namespace kh
