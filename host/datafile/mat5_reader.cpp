// The version 5 MAT-file reader. A file is a 128-byte header and a run of
// tagged data elements; each variable is one matrix element (or a compressed
// element that inflates to one), whose sub-elements give its flags,
// dimensions, name and data. Every length a tag declares is checked against
// the bytes that hold it, and every element count against the data present,
// before anything is allocated: a damaged, truncated or hostile file is
// refused with a FileFault, never read past its end or taken on trust.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "host/core/errors.h"
#include "host/core/limits.h"
#include "host/datafile/readers.h"

namespace kh::matfile {
namespace {

// Data types of the tags.
enum : std::uint32_t {
  miINT8 = 1,
  miUINT8 = 2,
  miINT16 = 3,
  miUINT16 = 4,
  miINT32 = 5,
  miUINT32 = 6,
  miSINGLE = 7,
  miDOUBLE = 9,
  miINT64 = 12,
  miUINT64 = 13,
  miMATRIX = 14,
  miCOMPRESSED = 15,
  miUTF8 = 16,
  miUTF16 = 17,
  miUTF32 = 18,
};

// Array classes of the flags.
enum : std::uint32_t {
  kCell = 1,
  kStruct = 2,
  kObject = 3,
  kChar = 4,
  kSparse = 5,
  kDouble = 6,
  kSingle = 7,
  kInt8 = 8,
  kUint8 = 9,
  kInt16 = 10,
  kUint16 = 11,
  kInt32 = 12,
  kUint32 = 13,
  kInt64 = 14,
  kUint64 = 15,
  kFunction = 16,
  kOpaque = 17,
};

constexpr std::uint32_t kComplexFlag = 0x0800;
constexpr std::uint32_t kLogicalFlag = 0x0200;

// Bytes per element of a numeric data type; 0 for the others.
std::size_t typeSize(std::uint32_t t) {
  switch (t) {
    case miINT8:
    case miUINT8:
    case miUTF8:
      return 1;
    case miINT16:
    case miUINT16:
    case miUTF16:
      return 2;
    case miINT32:
    case miUINT32:
    case miSINGLE:
    case miUTF32:
      return 4;
    case miDOUBLE:
    case miINT64:
    case miUINT64:
      return 8;
    default:
      return 0;
  }
}

std::string className(std::uint32_t c) {
  static const char* const kNames[] = {
      "",       "cell",   "struct",          "object", "char",   "sparse", "double",
      "single", "int8",   "uint8",           "int16",  "uint16", "int32",  "uint32",
      "int64",  "uint64", "function_handle", "opaque"};
  if (c >= 1 && c <= 17) return kNames[c];
  return "unknown (" + std::to_string(c) + ")";
}

[[noreturn]] void fault(const std::string& what) { throw FileFault{"", what}; }

// "1 element", "3 elements".
std::string count(std::size_t n, const char* noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// One tagged element: its type and the bytes of its data.
struct Element {
  std::uint32_t type = 0;
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

// Reads the elements of a run of bytes in order, in the file's byte order.
class Cursor {
 public:
  Cursor(const unsigned char* begin, std::size_t size, bool swap)
      : p_(begin), end_(begin + size), swap_(swap) {}

  bool atEnd() const { return p_ == end_; }
  std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }

  std::uint32_t u32(const unsigned char* at) const {
    std::uint32_t v;
    std::memcpy(&v, at, 4);
    return swap_ ? __builtin_bswap32(v) : v;
  }

  // The next element. A tag whose data would pass the end of the run means
  // the file was cut short or is damaged; `what` names the element for the
  // message.
  Element next(const char* what) {
    if (left() < 8) fault(std::string("the file ends inside the tag of ") + what);
    Element e;
    const std::uint32_t first = u32(p_);
    if (first >> 16) {
      // The small form: type and size in one word, up to 4 bytes of data.
      e.type = first & 0xffff;
      e.size = first >> 16;
      if (e.size > 4) fault(std::string("the tag of ") + what + " is damaged");
      e.data = p_ + 4;
      p_ += 8;
      return e;
    }
    e.type = first;
    e.size = u32(p_ + 4);
    e.data = p_ + 8;
    if (e.size > left() - 8)
      fault(std::string("the file ends early: ") + what + " declares " + std::to_string(e.size) +
            " bytes, " + std::to_string(left() - 8) + " are present");
    // Data is padded to a multiple of 8 bytes, except after a compressed
    // element; the padding of the very last element may be missing.
    std::size_t step = 8 + e.size;
    if (e.type != miCOMPRESSED) step += (8 - e.size % 8) % 8;
    p_ += step < left() ? step : left();
    return e;
  }

 private:
  const unsigned char* p_;
  const unsigned char* end_;
  bool swap_;
};

template <typename T>
T load(const unsigned char* p, bool swap) {
  T v;
  std::memcpy(&v, p, sizeof v);
  if (swap) {
    if constexpr (sizeof(T) == 2) {
      std::uint16_t u;
      std::memcpy(&u, &v, 2);
      u = __builtin_bswap16(u);
      std::memcpy(&v, &u, 2);
    } else if constexpr (sizeof(T) == 4) {
      std::uint32_t u;
      std::memcpy(&u, &v, 4);
      u = __builtin_bswap32(u);
      std::memcpy(&v, &u, 4);
    } else if constexpr (sizeof(T) == 8) {
      std::uint64_t u;
      std::memcpy(&u, &v, 8);
      u = __builtin_bswap64(u);
      std::memcpy(&v, &u, 8);
    }
  }
  return v;
}

// The n numbers of a numeric element as doubles, each exactly.
void toDoubles(const Element& e, std::size_t n, bool swap, double* out) {
  const unsigned char* p = e.data;
  for (std::size_t i = 0; i < n; ++i) {
    switch (e.type) {
      case miINT8:
        out[i] = load<std::int8_t>(p + i, swap);
        break;
      case miUINT8:
        out[i] = load<std::uint8_t>(p + i, swap);
        break;
      case miINT16:
        out[i] = load<std::int16_t>(p + 2 * i, swap);
        break;
      case miUINT16:
        out[i] = load<std::uint16_t>(p + 2 * i, swap);
        break;
      case miINT32:
        out[i] = load<std::int32_t>(p + 4 * i, swap);
        break;
      case miUINT32:
        out[i] = load<std::uint32_t>(p + 4 * i, swap);
        break;
      case miSINGLE:
        out[i] = load<float>(p + 4 * i, swap);
        break;
      case miDOUBLE:
        out[i] = load<double>(p + 8 * i, swap);
        break;
      case miINT64:
        out[i] = exactDouble(load<std::int64_t>(p + 8 * i, swap), i);
        break;
      case miUINT64:
        out[i] = exactDouble(load<std::uint64_t>(p + 8 * i, swap), i);
        break;
    }
  }
}

// The header of a matrix element: what the first three sub-elements say.
struct ArrayHeader {
  std::uint32_t cls = 0;
  std::uint32_t flags = 0;
  Dims dims;
  std::string name;
};

class Reader {
 public:
  explicit Reader(bool swap) : swap_(swap) {}

  // The header of the matrix element e, leaving `in` at its class data.
  ArrayHeader header(Cursor& in) {
    ArrayHeader h;
    const Element flags = in.next("the array flags");
    if (flags.type != miUINT32 || flags.size < 8) fault("its array flags are damaged");
    const std::uint32_t word = in.u32(flags.data);
    h.cls = word & 0xff;
    h.flags = word;
    const Element dims = in.next("the dimensions");
    if (dims.type != miINT32 || dims.size < 8 || dims.size % 4) fault("its dimensions are damaged");
    std::int32_t negative = 0;
    for (std::size_t k = 0; k < dims.size / 4; ++k) {
      const auto d = static_cast<std::int32_t>(in.u32(dims.data + 4 * k));
      if (d < 0) negative = d;
      h.dims.push_back(d < 0 ? 0 : static_cast<std::size_t>(d));
    }
    const Element name = in.next("the name");
    if (name.type != miINT8 && name.type != miUINT8 && name.type != miUTF8)
      fault("its name is damaged");
    h.name.assign(reinterpret_cast<const char*>(name.data), name.size);
    if (const auto nul = h.name.find('\0'); nul != std::string::npos) h.name.resize(nul);
    // Reported once the name is known, so that the message can give it.
    if (negative)
      throw FileFault{h.name,
                      "it declares a negative dimension (" + std::to_string(negative) + ")"};
    return h;
  }

  // The value of matrix element e (the data of a miMATRIX tag).
  Value array(const Element& e, int depth) {
    if (depth > kMaxNesting)
      fault("it nests cells or structures more than " + std::to_string(kMaxNesting) +
            " levels deep");
    checkStackRoom("Cells or structures in the file are");
    // An empty element stands for an empty matrix (an unset cell, say).
    if (e.size == 0) return Value::empty();
    Cursor in(e.data, e.size, swap_);
    ArrayHeader h = header(in);
    std::size_t numel;
    try {
      numel = numelOf(h.dims);
    } catch (const MError&) {
      fault("its dimensions are too large");
    }
    switch (h.cls) {
      case kDouble:
      case kSingle:
      case kInt8:
      case kUint8:
      case kInt16:
      case kUint16:
      case kInt32:
      case kUint32:
      case kInt64:
      case kUint64:
        return numeric(in, h, numel);
      case kChar:
        return chars(in, h, numel);
      case kCell:
        return cell(in, h, numel, depth);
      case kStruct:
        return structure(in, h, numel, depth);
      default:
        fault("class " + className(h.cls) + " is not supported");
    }
  }

 private:
  // The numeric data element that must hold n numbers.
  Element numbers(Cursor& in, std::size_t n, const char* part) {
    if (n == 0 && in.atEnd()) return {};
    const Element d = in.next(part);
    const std::size_t size = typeSize(d.type);
    if (size == 0 || d.type == miUTF8 || d.type == miUTF16 || d.type == miUTF32)
      fault(std::string("its ") + part + " is stored in an unknown form");
    if (d.size % size) fault(std::string("its ") + part + " is damaged");
    if (d.size / size != n)
      fault(std::string("its ") + part + " holds " + count(d.size / size, "element") +
            " where its size declares " + std::to_string(n));
    return d;
  }

  // Every numeric class loads as its double values (the host computes in
  // doubles only); a logical array, whatever class holds it, as true and
  // false.
  Value numeric(Cursor& in, const ArrayHeader& h, std::size_t n) {
    const bool logical = (h.flags & kLogicalFlag) != 0;
    const bool complex = (h.flags & kComplexFlag) != 0;
    if (logical && complex) fault("it is marked both logical and complex");
    const Element re = numbers(in, n, "real part");
    Element im;
    if (complex && !(n == 0 && in.atEnd())) {
      if (in.atEnd()) fault("it is marked complex but its imaginary part is missing");
      im = numbers(in, n, "imaginary part");
    }
    // Only now, with the data known to be there, is the value made.
    Value r = Value::numericForWrite(h.dims, complex);
    if (n == 0) {
      r.setLogical(logical);
      return r;
    }
    if (complex) toDoubles(im, n, swap_, r.mutIm());
    toDoubles(re, n, swap_, r.mutRe());
    if (logical) {
      double* d = r.mutRe();
      for (std::size_t i = 0; i < n; ++i) d[i] = d[i] != 0.0 ? 1.0 : 0.0;
      r.setLogical(true);
    }
    if (complex) r.dropZeroImag();
    return r;
  }

  Value chars(Cursor& in, const ArrayHeader& h, std::size_t n) {
    if (n == 0 && in.atEnd()) return Value::chars(h.dims);
    const Element d = in.next("text");
    std::u16string text;
    switch (d.type) {
      case miUTF8: {
        const std::string bytes(reinterpret_cast<const char*>(d.data), d.size);
        // Only what decodes to exactly n characters is taken as UTF-8;
        // otherwise each byte is one character.
        text = toU16(bytes);
        if (text.size() != n) {
          text.clear();
          for (unsigned char c : bytes) text.push_back(c);
        }
        break;
      }
      case miINT8:
      case miUINT8:
        for (std::size_t i = 0; i < d.size; ++i) text.push_back(d.data[i]);
        break;
      case miINT16:
      case miUINT16:
      case miUTF16:
        if (d.size % 2) fault("its text is damaged");
        for (std::size_t i = 0; i < d.size / 2; ++i)
          text.push_back(load<std::uint16_t>(d.data + 2 * i, swap_));
        break;
      case miINT32:
      case miUINT32:
      case miUTF32:
        if (d.size % 4) fault("its text is damaged");
        for (std::size_t i = 0; i < d.size / 4; ++i) {
          const std::uint32_t c = load<std::uint32_t>(d.data + 4 * i, swap_);
          text.push_back(c > 0xffff ? u'?' : static_cast<char16_t>(c));
        }
        break;
      default:
        fault("its characters are stored in an unknown form");
    }
    if (text.size() != n)
      fault("its text holds " + count(text.size(), "character") + " where its size declares " +
            std::to_string(n));
    Value r = Value::chars(h.dims);
    if (n) std::copy(text.begin(), text.end(), r.mutChr());
    return r;
  }

  // The matrix element of one cell or field.
  Element member(Cursor& in) {
    const Element e = in.next("an element of a cell or structure");
    if (e.type != miMATRIX) fault("an element of a cell or structure is damaged");
    return e;
  }

  Value cell(Cursor& in, const ArrayHeader& h, std::size_t n, int depth) {
    // Every element takes at least a tag: more than fit are not there.
    if (n > in.left() / 8)
      fault("it declares " + std::to_string(n) + " cells, more than its data can hold");
    Value r = Value::cell(h.dims);
    for (std::size_t i = 0; i < n; ++i) r.mutCellAt(i) = array(member(in), depth + 1);
    return r;
  }

  Value structure(Cursor& in, const ArrayHeader& h, std::size_t n, int depth) {
    const Element len = in.next("the field name length");
    if (len.type != miINT32 || len.size != 4) fault("its field name length is damaged");
    const std::uint32_t width = in.u32(len.data);
    const Element names = in.next("the field names");
    if (names.type != miINT8 && names.type != miUINT8) fault("its field names are damaged");
    if (width == 0 ? names.size != 0 : names.size % width) fault("its field names are damaged");
    std::vector<std::string> fields;
    for (std::size_t off = 0; width && off < names.size; off += width) {
      std::string f(reinterpret_cast<const char*>(names.data + off), width);
      if (const auto nul = f.find('\0'); nul != std::string::npos) f.resize(nul);
      fields.push_back(std::move(f));
    }
    checkFieldNames(fields);
    const std::size_t nf = fields.size();
    if (nf && n > in.left() / 8 / nf)
      fault("it declares " + std::to_string(n) + " elements, more than its data can hold");
    Value r = Value::structArray(h.dims, std::move(fields));
    // (Without fields there is nothing to read, however many elements.)
    for (std::size_t i = 0; nf && i < n; ++i)
      for (std::size_t f = 0; f < nf; ++f) r.mutFieldAt(i, f) = array(member(in), depth + 1);
    return r;
  }

  bool swap_;
};

// The bytes a compressed element inflates to, at most `cap` of them. A
// stream that would give more is refused (a small file must not be able to
// take the machine's memory); with `prefix`, inflating just stops there, and
// also quietly where the stream is damaged: the start of a variable, for its
// name. The result grows only as inflated bytes really arrive.
std::string inflate(const Element& e, std::size_t cap, bool prefix = false) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) fault("its compressed data cannot be read");
  struct End {
    z_stream& z;
    ~End() { inflateEnd(&z); }
  } end{z};
  std::string out;
  z.next_in = const_cast<unsigned char*>(e.data);
  z.avail_in = static_cast<uInt>(e.size);
  if (e.size > 0xffffffffu) fault("its compressed data is too large");
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    const std::size_t have = out.size();
    if (have > cap) {
      if (prefix) break;
      fault("its compressed data holds more than the variable it declares");
    }
    // One byte past the cap shows a stream that goes on.
    const std::size_t room =
        std::min<std::size_t>({have < 65536 ? 65536 : have, cap + 1 - have, std::size_t{1} << 30});
    out.resize(have + room);
    z.next_out = reinterpret_cast<unsigned char*>(out.data() + have);
    z.avail_out = static_cast<uInt>(room);
    rc = ::inflate(&z, Z_NO_FLUSH);
    out.resize(out.size() - z.avail_out);
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK && prefix) break;  // as much as could be inflated
    if (rc == Z_BUF_ERROR && z.avail_in == 0) fault("the file ends inside its compressed data");
    if (rc != Z_OK) fault("its compressed data is damaged");
  }
  if (prefix && out.size() > cap) out.resize(cap);
  return out;
}

// Enough of a variable's start to read its tag, flags, dimensions and name.
constexpr std::size_t kHeadBytes = 4096;

// The name of the variable whose element starts at data (size bytes from
// there to the end of the file), read from its first sub-elements even when
// the element is cut short; empty when it cannot be read.
std::string nameOf(const unsigned char* data, std::size_t size, bool swap, bool compressed = true) {
  try {
    if (size < 8) return "";
    Cursor tag(data, 8, swap);
    const std::uint32_t type = tag.u32(data);
    const std::size_t declared = std::min<std::size_t>(tag.u32(data + 4), size - 8);
    if (type == miCOMPRESSED && compressed) {
      Element e;
      e.data = data + 8;
      e.size = declared;
      const std::string z = inflate(e, kHeadBytes, true);
      return nameOf(reinterpret_cast<const unsigned char*>(z.data()), z.size(), swap, false);
    }
    if (type != miMATRIX) return "";
    Cursor inner(data + 8, std::min(declared, size - 8), swap);
    return Reader(swap).header(inner).name;
  } catch (const FileFault&) {
    return "";
  }
}

}  // namespace

void readMat5(std::string_view bytes, Collector& out) {
  if (bytes.size() < 128) fault("it is too short to be a MAT file");
  const auto* base = reinterpret_cast<const unsigned char*>(bytes.data());
  // The byte order mark "IM" reads as "MI" in a file of the other order.
  const bool swap = bytes[126] == 'M' && bytes[127] == 'I';
  if (!swap && !(bytes[126] == 'I' && bytes[127] == 'M')) fault("it is not a MAT file");
  Reader reader(swap);
  Cursor file(base + 128, bytes.size() - 128, swap);
  while (!file.atEnd()) {
    const unsigned char* at = base + (bytes.size() - file.left());
    // Either a matrix element or a compressed one that holds one.
    std::string inflated;
    Element e;
    std::string name;
    try {
      e = file.next("the variable");
      if (e.type == miCOMPRESSED) {
        // Its start first: a variable not asked for is passed over without
        // inflating the rest, and one that is asked for is inflated to no
        // more than its tag declares.
        const std::string head = inflate(e, kHeadBytes, true);
        const auto* h = reinterpret_cast<const unsigned char*>(head.data());
        name = nameOf(h, head.size(), swap, false);
        if (!name.empty() && !out.wants(name)) continue;
        std::size_t declared = 0;
        if (head.size() >= 8) declared = Cursor(h, 8, swap).u32(h + 4);
        // The element, and up to 7 bytes of padding after it.
        const std::size_t whole = 8 + declared + 7;
        checkArrayBytes(whole, 1);
        inflated = inflate(e, whole);
        const auto* z = reinterpret_cast<const unsigned char*>(inflated.data());
        Cursor inner(z, inflated.size(), swap);
        e = inner.next("the variable");
        if (inner.left() >= 8) fault("its compressed data holds more than one variable");
      }
      if (e.type != miMATRIX) fault("it holds an element that is not a variable");
      Cursor head(e.data, e.size, swap);
      if (e.size) name = reader.header(head).name;
    } catch (FileFault& f) {
      if (f.variable.empty())
        f.variable = name.empty()
                         ? nameOf(at, static_cast<std::size_t>(base + bytes.size() - at), swap)
                         : name;
      throw;
    }
    if (out.wants(name)) out.add(name, [&] { return reader.array(e, 0); });
  }
}

}  // namespace kh::matfile
