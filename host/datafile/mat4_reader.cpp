// The version 4 MAT-file reader: a run of matrices, each a 20-byte header
// (type, rows, columns, imaginary flag, name length), the name, and the real
// and imaginary parts. Sizes are checked against the bytes that follow
// before anything is allocated.
#include <cstdint>
#include <cstring>
#include <string>

#include "host/core/errors.h"
#include "host/datafile/readers.h"

namespace kh::matfile {
namespace {

struct Header {
  std::int32_t type, rows, cols, imag, namelen;
};

// The header at p in one byte order, or false when it makes no sense there.
bool readHeader(const unsigned char* p, bool bigEndian, Header& h) {
  std::int32_t w[5];
  std::memcpy(w, p, sizeof w);
  if (bigEndian)
    for (auto& x : w)
      x = static_cast<std::int32_t>(__builtin_bswap32(static_cast<std::uint32_t>(x)));
  h = {w[0], w[1], w[2], w[3], w[4]};
  if (h.type < 0 || h.type > 9999) return false;
  const int m = h.type / 1000, o = h.type / 100 % 10, prec = h.type / 10 % 10, t = h.type % 10;
  return m == (bigEndian ? 1 : 0) && o == 0 && prec <= 5 && t <= 2 && h.rows >= 0 && h.cols >= 0 &&
         (h.imag == 0 || h.imag == 1) && h.namelen > 0 && h.namelen <= 4096;
}

std::size_t precisionSize(int prec) {
  static const std::size_t kSizes[] = {8, 4, 4, 2, 2, 1};
  return kSizes[prec];
}

double number(const unsigned char* p, int prec, bool swap) {
  unsigned char b[8];
  const std::size_t n = precisionSize(prec);
  std::memcpy(b, p, n);
  if (swap)
    for (std::size_t i = 0; i < n / 2; ++i) std::swap(b[i], b[n - 1 - i]);
  switch (prec) {
    case 0: {
      double v;
      std::memcpy(&v, b, 8);
      return v;
    }
    case 1: {
      float v;
      std::memcpy(&v, b, 4);
      return v;
    }
    case 2: {
      std::int32_t v;
      std::memcpy(&v, b, 4);
      return v;
    }
    case 3: {
      std::int16_t v;
      std::memcpy(&v, b, 2);
      return v;
    }
    case 4: {
      std::uint16_t v;
      std::memcpy(&v, b, 2);
      return v;
    }
    default:
      return b[0];
  }
}

}  // namespace

bool looksLikeMat4(std::string_view bytes) {
  if (bytes.size() < 20) return false;
  Header h;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  return readHeader(p, false, h) || readHeader(p, true, h);
}

void readMat4(std::string_view bytes, Collector& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t left = bytes.size() - pos;
    if (left < 20) throw FileFault{"", "the file ends inside the header of a variable"};
    Header h;
    bool big = false;
    if (!readHeader(p + pos, false, h)) {
      big = true;
      if (!readHeader(p + pos, true, h)) throw FileFault{"", "it holds a damaged variable header"};
    }
    const bool swap = big != (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__);
    pos += 20;
    const auto namelen = static_cast<std::size_t>(h.namelen);
    if (namelen > bytes.size() - pos)
      throw FileFault{"", "the file ends inside the name of a variable"};
    std::string name(reinterpret_cast<const char*>(p + pos), namelen);
    if (const auto nul = name.find('\0'); nul != std::string::npos) name.resize(nul);
    pos += namelen;
    const int prec = h.type / 10 % 10, kind = h.type % 10;
    const std::size_t rows = static_cast<std::size_t>(h.rows),
                      cols = static_cast<std::size_t>(h.cols);
    // The data must be there before anything is multiplied out: compared by
    // division, so that no product of the declared sizes can wrap.
    const std::size_t avail = bytes.size() - pos;
    const std::size_t perElement = precisionSize(prec) * (h.imag ? 2 : 1);
    if (rows != 0 && cols > avail / perElement / rows)
      throw FileFault{name, "the file ends early: it declares " + std::to_string(rows) + "-by-" +
                                std::to_string(cols) + " elements, and " + std::to_string(avail) +
                                " bytes are present"};
    const std::size_t n = rows * cols;
    const std::size_t part = n * precisionSize(prec);
    const std::size_t need = n * perElement;
    const unsigned char* re = p + pos;
    pos += need;
    if (!out.wants(name)) continue;
    out.add(name, [&] {
      if (kind == 2) throw FileFault{"", "class sparse is not supported"};
      const std::size_t es = precisionSize(prec);
      if (kind == 1) {
        if (h.imag) throw FileFault{"", "its text is marked complex"};
        Value v = Value::chars({rows, cols});
        char16_t* c = n ? v.mutChr() : nullptr;
        for (std::size_t i = 0; i < n; ++i) {
          const double x = number(re + i * es, prec, swap);
          c[i] = x >= 0 && x <= 65535 ? static_cast<char16_t>(x) : u'?';
        }
        return v;
      }
      Value v = Value::numericForWrite({rows, cols}, h.imag != 0);
      if (n == 0) return v;
      if (h.imag) {
        double* z = v.mutIm();
        for (std::size_t i = 0; i < n; ++i) z[i] = number(re + part + i * es, prec, swap);
      }
      double* z = v.mutRe();
      for (std::size_t i = 0; i < n; ++i) z[i] = number(re + i * es, prec, swap);
      v.dropZeroImag();
      return v;
    });
  }
}

}  // namespace kh::matfile
