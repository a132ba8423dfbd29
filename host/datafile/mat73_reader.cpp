// The version 7.3 reader: an HDF5 file, read through libmatio. Numbers of
// every numeric class load as doubles (see exactDouble). matio gives
// every variable whose class attribute it does not know the class "empty";
// such a variable with elements is refused with the class the file names,
// read from the attribute itself, never taken as an array of zeros.
#include <hdf5.h>
#include <matio.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "host/core/errors.h"
#include "host/core/limits.h"
#include "host/datafile/matio_session.h"
#include "host/datafile/readers.h"

namespace kh::matfile {
namespace {

[[noreturn]] void fault(const std::string& what) { throw FileFault{"", what}; }

Dims dimsOf(const matvar_t* v) {
  Dims d;
  for (int k = 0; k < v->rank; ++k) d.push_back(v->dims[k]);
  return d;
}

std::size_t countOf(const matvar_t* v) {
  try {
    return numelOf(dimsOf(v));
  } catch (const MError&) {
    fault("its dimensions are too large");
  }
}

// The MATLAB_class attribute of the top-level object `name`, or "".
std::string classAttribute(const std::string& file, const std::string& name) {
  std::string out;
  const hid_t f = H5Fopen(file.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
  if (f < 0) return out;
  const hid_t o = H5Oopen(f, name.c_str(), H5P_DEFAULT);
  if (o >= 0) {
    if (H5Aexists(o, "MATLAB_class") > 0) {
      const hid_t a = H5Aopen(o, "MATLAB_class", H5P_DEFAULT);
      const hid_t t = a >= 0 ? H5Aget_type(a) : -1;
      if (t >= 0 && H5Tget_class(t) == H5T_STRING) {
        if (H5Tis_variable_str(t) > 0) {
          char* s = nullptr;
          if (H5Aread(a, t, &s) >= 0 && s) out = s;
          if (s) H5free_memory(s);
        } else {
          const std::size_t n = H5Tget_size(t);
          if (n > 0 && n < 4096) {
            std::string s(n, '\0');
            if (H5Aread(a, t, s.data()) >= 0) out = s.substr(0, s.find('\0'));
          }
        }
      }
      if (t >= 0) H5Tclose(t);
      if (a >= 0) H5Aclose(a);
    }
    H5Oclose(o);
  }
  H5Fclose(f);
  return out;
}

class Converter {
 public:
  explicit Converter(const std::string& file) : file_(file) {}

  Value value(matvar_t* v, int depth, const std::string& topName) {
    if (depth > kMaxNesting)
      fault("it nests cells or structures more than " + std::to_string(kMaxNesting) +
            " levels deep");
    checkStackRoom("Cells or structures in the file are");
    switch (v->class_type) {
      case MAT_C_DOUBLE:
        return doubles(v);
      case MAT_C_UINT8:
        if (v->isLogical) return logicals(v);
        return numbers(v);
      case MAT_C_SINGLE:
      case MAT_C_INT8:
      case MAT_C_INT16:
      case MAT_C_UINT16:
      case MAT_C_INT32:
      case MAT_C_UINT32:
      case MAT_C_INT64:
      case MAT_C_UINT64:
        return numbers(v);
      case MAT_C_EMPTY: {
        if (countOf(v) == 0) {
          Dims d = dimsOf(v);
          return Value::numeric(d.empty() ? Dims{0, 0} : d);
        }
        const std::string cls = depth == 0 ? classAttribute(file_, topName) : "";
        fault(cls.empty() ? std::string("its class is not one the reader knows")
                          : "class '" + cls + "' is not supported");
      }
      case MAT_C_CHAR:
        return chars(v);
      case MAT_C_CELL:
        return cell(v, depth);
      case MAT_C_STRUCT:
        return structure(v, depth);
      default:
        break;
    }
    fault("class " + matio::className(v->class_type) + " is not supported");
  }

 private:
  static void needData(const matvar_t* v, std::size_t n, std::size_t bytesEach) {
    if (!v->data || v->nbytes / bytesEach < n) fault("its data could not be read in full");
  }

  Value doubles(const matvar_t* v) {
    const std::size_t n = countOf(v);
    Value r = Value::numeric(dimsOf(v), v->isComplex != 0);
    if (n == 0) return r;
    if (v->isComplex) {
      const auto* z = static_cast<const mat_complex_split_t*>(v->data);
      needData(v, n, sizeof(double));
      if (!z->Re || !z->Im) fault("its data could not be read in full");
      std::memcpy(r.mutIm(), z->Im, n * sizeof(double));
      std::memcpy(r.mutRe(), z->Re, n * sizeof(double));
      r.dropZeroImag();
    } else {
      needData(v, n, sizeof(double));
      std::memcpy(r.mutRe(), v->data, n * sizeof(double));
    }
    return r;
  }

  // A variable of another numeric class, as its double values.
  Value numbers(const matvar_t* v) {
    const std::size_t n = countOf(v);
    Value r = Value::numeric(dimsOf(v), v->isComplex != 0);
    if (n == 0) return r;
    const std::size_t size = Mat_SizeOf(v->data_type);
    if (size == 0) fault("its numbers are stored in an unknown form");
    needData(v, n, size);
    if (v->isComplex) {
      const auto* z = static_cast<const mat_complex_split_t*>(v->data);
      if (!z->Re || !z->Im) fault("its data could not be read in full");
      convert(v->data_type, z->Im, n, r.mutIm());
      convert(v->data_type, z->Re, n, r.mutRe());
      r.dropZeroImag();
    } else {
      convert(v->data_type, v->data, n, r.mutRe());
    }
    return r;
  }

  // n numbers of matio's data type as doubles, each exactly.
  static void convert(matio_types type, const void* data, std::size_t n, double* out) {
    auto all = [&](auto tag) {
      using T = decltype(tag);
      const auto* in = static_cast<const T*>(data);
      for (std::size_t i = 0; i < n; ++i) {
        if constexpr (std::is_integral_v<T> && sizeof(T) == 8)
          out[i] = exactDouble(in[i], i);
        else
          out[i] = static_cast<double>(in[i]);
      }
    };
    switch (type) {
      case MAT_T_INT8:
        return all(std::int8_t{});
      case MAT_T_UINT8:
        return all(std::uint8_t{});
      case MAT_T_INT16:
        return all(std::int16_t{});
      case MAT_T_UINT16:
        return all(std::uint16_t{});
      case MAT_T_INT32:
        return all(std::int32_t{});
      case MAT_T_UINT32:
        return all(std::uint32_t{});
      case MAT_T_INT64:
        return all(std::int64_t{});
      case MAT_T_UINT64:
        return all(std::uint64_t{});
      case MAT_T_SINGLE:
        return all(float{});
      case MAT_T_DOUBLE:
        return all(double{});
      default:
        fault("its numbers are stored in an unknown form");
    }
  }

  Value logicals(const matvar_t* v) {
    const std::size_t n = countOf(v);
    Value r = Value::numeric(dimsOf(v));
    if (n > 0) {
      needData(v, n, 1);
      const auto* s = static_cast<const std::uint8_t*>(v->data);
      double* d = r.mutRe();
      for (std::size_t i = 0; i < n; ++i) d[i] = s[i] ? 1.0 : 0.0;
    }
    r.setLogical(true);
    return r;
  }

  Value chars(const matvar_t* v) {
    const std::size_t n = countOf(v);
    Value r = Value::chars(dimsOf(v));
    if (n == 0) return r;
    char16_t* out = r.mutChr();
    switch (v->data_type) {
      case MAT_T_UINT8:
      case MAT_T_INT8:
      case MAT_T_UTF8: {
        needData(v, n, 1);
        const auto* s = static_cast<const std::uint8_t*>(v->data);
        for (std::size_t i = 0; i < n; ++i) out[i] = s[i];
        break;
      }
      case MAT_T_UINT16:
      case MAT_T_INT16:
      case MAT_T_UTF16:
        needData(v, n, 2);
        std::memcpy(out, v->data, n * sizeof(char16_t));
        break;
      case MAT_T_UINT32:
      case MAT_T_INT32:
      case MAT_T_UTF32: {
        needData(v, n, 4);
        const auto* s = static_cast<const std::uint32_t*>(v->data);
        for (std::size_t i = 0; i < n; ++i) out[i] = s[i] > 0xFFFF ? u'?' : s[i];
        break;
      }
      default:
        fault("its characters are stored in an unknown form");
    }
    return r;
  }

  Value cell(matvar_t* v, int depth) {
    const std::size_t n = countOf(v);
    if (n > 0 && !v->data) fault("its cells could not be read");
    Value r = Value::cell(dimsOf(v));
    for (std::size_t i = 0; i < n; ++i) {
      matvar_t* e = Mat_VarGetCell(v, static_cast<int>(i));
      r.mutCellAt(i) = e ? value(e, depth + 1, "") : Value::empty();
    }
    return r;
  }

  Value structure(matvar_t* v, int depth) {
    const unsigned nf = Mat_VarGetNumberOfFields(v);
    char* const* names = Mat_VarGetStructFieldnames(v);
    std::vector<std::string> fields;
    for (unsigned f = 0; f < nf; ++f) fields.emplace_back(names && names[f] ? names[f] : "");
    checkFieldNames(fields);
    const std::size_t n = countOf(v);
    Value r = Value::structArray(dimsOf(v), fields);
    for (std::size_t i = 0; nf && i < n; ++i)
      for (unsigned f = 0; f < nf; ++f) {
        matvar_t* e = Mat_VarGetStructFieldByIndex(v, f, i);
        r.mutFieldAt(i, f) = e ? value(e, depth + 1, "") : Value::empty();
      }
    return r;
  }

  const std::string& file_;
};

}  // namespace

void readMat73(const std::string& file, Collector& out) {
  matio::quietLog();
  // HDF5 reports its own failures on standard error unless told not to.
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
  matio::File mat(Mat_Open(file.c_str(), MAT_ACC_RDONLY));
  if (!mat.mat) fault("it is not a MAT file");
  Converter convert(file);
  while (true) {
    matio::Var v(Mat_VarReadNext(mat.mat));
    if (!v.var) break;
    const std::string name = v.var->name ? v.var->name : "";
    if (out.wants(name)) out.add(name, [&] { return convert.value(v.var, 0, name); });
  }
}

}  // namespace kh::matfile
