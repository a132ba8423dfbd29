#include "host/datafile/matio_session.h"

#include <mutex>

namespace kh::matio {

void quietLog() {
  static std::once_flag once;
  std::call_once(once, [] { Mat_LogInitFunc("kestrel-host", [](int, char*) {}); });
}

std::string className(matio_classes c) {
  switch (c) {
    case MAT_C_EMPTY:
      return "empty";
    case MAT_C_CELL:
      return "cell";
    case MAT_C_STRUCT:
      return "struct";
    case MAT_C_OBJECT:
      return "object";
    case MAT_C_CHAR:
      return "char";
    case MAT_C_SPARSE:
      return "sparse";
    case MAT_C_DOUBLE:
      return "double";
    case MAT_C_SINGLE:
      return "single";
    case MAT_C_INT8:
      return "int8";
    case MAT_C_UINT8:
      return "uint8";
    case MAT_C_INT16:
      return "int16";
    case MAT_C_UINT16:
      return "uint16";
    case MAT_C_INT32:
      return "int32";
    case MAT_C_UINT32:
      return "uint32";
    case MAT_C_INT64:
      return "int64";
    case MAT_C_UINT64:
      return "uint64";
    case MAT_C_FUNCTION:
      return "function_handle";
    case MAT_C_OPAQUE:
      return "opaque";
  }
  return "unknown";
}

}  // namespace kh::matio
