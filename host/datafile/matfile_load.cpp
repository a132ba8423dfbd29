#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>

#include "host/context/errors.h"
#include "host/datafile/matfile.h"
#include "host/datafile/matio_session.h"

namespace kh {
namespace {

// Raised while converting one variable; the caller adds file and variable.
struct Unsupported {
  std::string what;
};

Dims dimsOf(const matvar_t* v) {
  Dims d;
  for (int k = 0; k < v->rank; ++k) d.push_back(v->dims[k]);
  return d;
}

template <typename T>
void copyAs(const void* src, std::size_t n, double* dst) {
  const T* s = static_cast<const T*>(src);
  for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<double>(s[i]);
}

Value toValue(matvar_t* v);

Value doubleValue(const matvar_t* v) {
  const Dims d = dimsOf(v);
  Value r = Value::numeric(d, v->isComplex != 0);
  const std::size_t n = r.numel();
  if (n == 0) return r;
  if (!v->data) throw Unsupported{"its data could not be read"};
  if (v->isComplex) {
    const auto* z = static_cast<const mat_complex_split_t*>(v->data);
    std::memcpy(r.mutRe(), z->Re, n * sizeof(double));
    std::memcpy(r.mutIm(), z->Im, n * sizeof(double));
    r.dropZeroImag();
  } else {
    std::memcpy(r.mutRe(), v->data, n * sizeof(double));
  }
  return r;
}

Value logicalValue(const matvar_t* v) {
  Value r = Value::numeric(dimsOf(v));
  if (r.numel() > 0) {
    if (!v->data) throw Unsupported{"its data could not be read"};
    const auto* s = static_cast<const std::uint8_t*>(v->data);
    double* d = r.mutRe();
    for (std::size_t i = 0; i < r.numel(); ++i) d[i] = s[i] ? 1.0 : 0.0;
  }
  r.setLogical(true);
  return r;
}

Value charValue(const matvar_t* v) {
  Value r = Value::chars(dimsOf(v));
  const std::size_t n = r.numel();
  if (n == 0) return r;
  if (!v->data) throw Unsupported{"its data could not be read"};
  char16_t* out = r.mutChr();
  switch (v->data_type) {
    case MAT_T_UTF8: {
      const std::string bytes(static_cast<const char*>(v->data), v->nbytes);
      const std::u16string u = toU16(bytes);
      for (std::size_t i = 0; i < n; ++i)
        out[i] = u.size() == n ? u[i] : static_cast<unsigned char>(bytes[i]);
      break;
    }
    case MAT_T_UINT8:
    case MAT_T_INT8: {
      const auto* s = static_cast<const std::uint8_t*>(v->data);
      for (std::size_t i = 0; i < n; ++i) out[i] = s[i];
      break;
    }
    case MAT_T_UINT16:
    case MAT_T_INT16:
    case MAT_T_UTF16:
      std::memcpy(out, v->data, n * sizeof(char16_t));
      break;
    case MAT_T_UINT32:
    case MAT_T_INT32:
    case MAT_T_UTF32: {
      const auto* s = static_cast<const std::uint32_t*>(v->data);
      for (std::size_t i = 0; i < n; ++i) out[i] = s[i] > 0xFFFF ? u'?' : s[i];
      break;
    }
    default:
      throw Unsupported{"its characters are stored in an unknown form"};
  }
  return r;
}

Value cellValue(matvar_t* v) {
  Value r = Value::cell(dimsOf(v));
  for (std::size_t i = 0; i < r.numel(); ++i) {
    matvar_t* e = Mat_VarGetCell(v, static_cast<int>(i));
    r.mutCellAt(i) = e ? toValue(e) : Value::empty();
  }
  return r;
}

Value structValue(matvar_t* v) {
  const unsigned nf = Mat_VarGetNumberOfFields(v);
  char* const* names = Mat_VarGetStructFieldnames(v);
  std::vector<std::string> fields;
  for (unsigned f = 0; f < nf; ++f) fields.emplace_back(names && names[f] ? names[f] : "");
  Value r = Value::structArray(dimsOf(v), fields);
  for (std::size_t i = 0; i < r.numel(); ++i)
    for (unsigned f = 0; f < nf; ++f) {
      matvar_t* e = Mat_VarGetStructFieldByIndex(v, f, i);
      r.mutFieldAt(i, f) = e ? toValue(e) : Value::empty();
    }
  return r;
}

Value toValue(matvar_t* v) {
  switch (v->class_type) {
    case MAT_C_DOUBLE:
      return doubleValue(v);
    case MAT_C_UINT8:
      if (v->isLogical) return logicalValue(v);
      break;
    case MAT_C_EMPTY: {
      Dims d = dimsOf(v);
      return Value::numeric(d.empty() ? Dims{0, 0} : d);
    }
    case MAT_C_CHAR:
      return charValue(v);
    case MAT_C_CELL:
      return cellValue(v);
    case MAT_C_STRUCT:
      return structValue(v);
    default:
      break;
  }
  throw Unsupported{"class " + matio::className(v->class_type) + " is not supported"};
}

}  // namespace

NamedValues loadMatFile(const std::string& file, const std::vector<std::string>& names) {
  matio::quietLog();
  // Find out first whether the file can be read at all, for a plain message.
  if (FILE* f = std::fopen(file.c_str(), "rb")) {
    std::fclose(f);
  } else {
    raise("Unable to read file '" + file + "': " + std::strerror(errno) + ".");
  }
  matio::File mat(Mat_Open(file.c_str(), MAT_ACC_RDONLY));
  if (!mat.mat) raise("Unable to read file '" + file + "': it is not a MAT file.");

  const std::unordered_set<std::string> wanted(names.begin(), names.end());
  NamedValues out;
  std::unordered_set<std::string> seen;
  while (true) {
    matio::Var v(Mat_VarReadNext(mat.mat));
    if (!v.var) break;
    const std::string name = v.var->name ? v.var->name : "";
    if (!wanted.empty() && !wanted.count(name)) continue;
    try {
      Value val = toValue(v.var);
      if (seen.insert(name).second) out.emplace_back(name, std::move(val));
    } catch (const Unsupported& u) {
      raise("Unable to load '" + name + "' from '" + file + "': " + u.what + ".");
    }
  }
  return out;
}

}  // namespace kh
