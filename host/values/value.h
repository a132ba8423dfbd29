// The host's array value: class, N-d dimensions and data, with copy-on-write
// storage so that copies share their data until one side writes. How a value
// is laid out is written down at class Value.
#pragma once

#include <boost/container/small_vector.hpp>
#include <boost/smart_ptr/intrusive_ptr.hpp>
#include <boost/smart_ptr/intrusive_ref_counter.hpp>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/core/text.h"
#include "host/values/dims.h"
#include "runtime/mx_types.h"

namespace kh {

// The most elements one array may hold, and the error for more: every
// value's dimensions are checked against it when the value is made, so the
// product of any of them fits in a size_t and in an allocation's byte count.
inline constexpr std::size_t kMaxElements = (std::size_t{1} << 48) - 1;
inline constexpr const char* kSizeExceeded =
    "Maximum variable size allowed by the program is exceeded.";
// The most bytes the elements of one array may take: the machine's memory
// (or the process's address-space limit, when lower) unless set lower. An
// array past it is refused with "Out of memory." before anything is
// allocated, instead of being handed to an allocator that may promise the
// memory and let the system end the process when it is touched.
std::size_t maxArrayBytes();
void setMaxArrayBytes(std::size_t bytes);
// The bound once known (0 until first asked for), for the inline test below.
inline std::size_t g_knownMaxArrayBytes = 0;
void checkArrayBytesSlow(std::size_t n, std::size_t elementBytes);
// Raises "Out of memory." when n elements of elementBytes each pass it.
inline void checkArrayBytes(std::size_t n, std::size_t elementBytes) {
  // Both factors below 2^32: the product cannot wrap.
  if ((n | elementBytes) >> 32 == 0 && n * elementBytes <= g_knownMaxArrayBytes) return;
  checkArrayBytesSlow(n, elementBytes);
}
// Number of elements of a dimension vector. Raises kSizeExceeded when the
// product of its non-zero dimensions passes kMaxElements (also when another
// dimension is zero, so that a partial product of an empty array's
// dimensions cannot wrap either).
std::size_t numelOfChecked(const Dims& d);
inline std::size_t numelOf(const Dims& d) {
  // Nearly every value is 2-D with dimensions far from the limit: one
  // multiplication, no loop.
  constexpr std::size_t kSmall = std::size_t{1} << 24;
  if (d.size() == 2 && d[0] < kSmall && d[1] < kSmall) return d[0] * d[1];
  return numelOfChecked(d);
}
// a * b for counts of elements; raises kSizeExceeded past kMaxElements.
std::size_t checkedProduct(std::size_t a, std::size_t b);
// Drops trailing singleton dimensions beyond the second; pads to two.
Dims normalizeDimsSlow(Dims d);
inline Dims normalizeDims(Dims d) {
  if (d.size() == 2) return d;
  return normalizeDimsSlow(std::move(d));
}

class Value;
// The one list of values: the arguments and results of a call, the
// subscripts of an index, the parts of a concatenation. Almost always few,
// so kept inline, without an allocation.
using ValueList = boost::container::small_vector<Value, 4>;

// The code behind a handle that is more than a name (an anonymous function
// with the values it captured, a function of a file); the command window
// implements it.
class Callable {
 public:
  virtual ~Callable() = default;
  virtual ValueList call(int nargout, ValueList& args) const = 0;
  // The handle as shown, after its '@': "(x) x .^ 2 + c".
  virtual std::string text() const = 0;
};

// What a function handle names: a callable, a feval form (fn), or, when
// both are null, a function found by name at call time.
struct FunctionRef {
  std::string name;
  mxFunctionPtr fn = nullptr;
  std::shared_ptr<const Callable> callable = nullptr;
};

// The data of a large array, in a block of its own: headers of other shapes
// can then share it (a(:), a reshape, a vector transposed) without a copy.
// A count of the headers that point to it, then the data.
struct DataBlock {
  std::uint32_t refs;
  std::uint8_t shelf;  // the block's size class (array_blocks.h)
  std::size_t bytes;   // what the block holds after this header
};
static_assert(sizeof(DataBlock) == 16, "data after the header stays aligned");

// The heap object behind a value that is not held in its cell. A small
// array's data (up to kOwnDataBytes, and always a container's body) follows
// the header in the same block; a larger array's is in a DataBlock. data_
// points at it either way, so reading needs no test.
struct HeapArray {
  static constexpr std::size_t kOwnDataBytes = 4096 - 64;
  std::uint32_t refs;
  std::uint8_t cls;
  bool hasIm;          // double: the imaginary part follows the real one
  std::uint8_t shelf;  // the header's block's size class (array_blocks.h)
  std::size_t numel;
  unsigned char* data_;
  Dims dims;
  unsigned char* data() { return data_; }
  const unsigned char* data() const { return data_; }
  double* re() { return reinterpret_cast<double*>(data_); }
  const double* re() const { return reinterpret_cast<const double*>(data_); }
  bool ownsData() const { return data_ == reinterpret_cast<const unsigned char*>(this + 1); }
  DataBlock* block() const { return reinterpret_cast<DataBlock*>(data_) - 1; }
  // Whether no other header reads this data.
  bool dataAlone() const { return ownsData() || block()->refs == 1; }
};
static_assert(sizeof(HeapArray) % 16 == 0, "data after the header stays aligned");

// A value is a small tagged cell (16 bytes) in the spirit of a compact
// run-time's value slot:
//
//   tag word   class (a byte), the logical flag, and the form:
//                kInlineEmpty   0-by-0, no data (also the placeholder, class 0)
//                kInlineScalar  1-by-1 real double (s_) or character (c_)
//                kHeap          everything else, in the counted object p_
//   payload    s_ | c_ | p_
//
// A heap object (Array, below) is one allocation: a header with its count of
// sharers, class, element count and dimensions, followed by its data: the
// real parts then the imaginary parts of a double array, the characters of a
// char array, or one C++ body for a cell (its elements), a structure (field
// names and elements) or a function handle. Blocks come from size-class free
// lists (array_blocks.h). Copies share the object until one side writes
// (copy-on-write): every writer goes through unique(), which copies a shared
// object first. The logical flag lives in the cell, so a logical and a
// double view may share one object. Scalars and 0-by-0 values, most of what
// a program makes, never allocate.
//
// Rules a change here must keep: a heap object is never written while its
// count is above one; a moved-from value is a 0-by-0 value of its class; a
// container's elements die through the flat release list in value.cpp, never
// by recursion, so nesting depth cannot exhaust the stack.
class Value {
 public:
  // A placeholder: class id 0, never assigned.
  Value() noexcept : cls_(mxUNKNOWN_CLASS), logical_(false), form_(kInlineEmpty), p_(nullptr) {}
  Value(const Value& o) noexcept
      : cls_(o.cls_), logical_(o.logical_), form_(o.form_), bits_(o.bits_) {
    if (form_ == kHeap) ++p_->refs;
  }
  Value(Value&& o) noexcept : cls_(o.cls_), logical_(o.logical_), form_(o.form_), bits_(o.bits_) {
    if (form_ == kHeap) o.form_ = kInlineEmpty;
  }
  // Both assignments take o's payload before dropping their own: o may be
  // held inside what is dropped (v = v.cellAt(0)).
  Value& operator=(const Value& o) noexcept {
    Value keep(o);
    drop();
    copyBits(keep);
    keep.form_ = kInlineEmpty;
    return *this;
  }
  Value& operator=(Value&& o) noexcept {
    if (this != &o) {
      Value keep(std::move(o));
      drop();
      copyBits(keep);
      keep.form_ = kInlineEmpty;
    }
    return *this;
  }
  ~Value() { drop(); }

  static Value placeholder() { return Value(); }
  static Value empty() { return Value(mxDOUBLE_CLASS, kInlineEmpty); }  // 0-by-0 double
  static Value scalar(double v) { return Value(v); }
  static Value complexScalar(double re, double im);
  static Value logicalScalar(bool b) {
    Value r(b ? 1.0 : 0.0);
    r.logical_ = true;
    return r;
  }
  static Value numeric(Dims dims, bool complex = false);  // zeros
  // The same shape with the real part left unset, for an operation that
  // writes every element next: a large result is then written once, not
  // cleared first. The imaginary part, when asked for, is zeros.
  static Value numericForWrite(Dims dims, bool complex = false) {
    // A real 2-D shape, nearly every one an operation makes: no general
    // shape handling, and a scalar never leaves the cell.
    if (!complex && dims.size() == 2) [[likely]] {
      const std::size_t r = dims[0], c = dims[1];
      constexpr std::size_t kSmall = std::size_t{1} << 24;
      if (r < kSmall && c < kSmall) {
        if (r * c == 1) return Value(0.0);
        if (r | c) return realMatrix(r, c);
      }
    }
    return make(mxDOUBLE_CLASS, std::move(dims), complex);
  }
  static Value matrix(std::size_t rows, std::size_t cols) { return numeric({rows, cols}); }
  static Value row(const std::vector<double>& v);
  static Value column(const std::vector<double>& v);
  static Value chars(Dims dims);            // blanks
  static Value str(std::u16string_view s);  // 1-by-n (0-by-0 when empty)
  static Value str(std::string_view utf8);
  static Value cell(Dims dims);  // cells of 0-by-0 doubles
  static Value structArray(Dims dims, std::vector<std::string> fields);
  static Value function(FunctionRef ref);

  mxClassID cls() const { return static_cast<mxClassID>(cls_); }
  bool isPlaceholder() const { return cls_ == mxUNKNOWN_CLASS; }
  bool isDouble() const { return cls_ == mxDOUBLE_CLASS; }
  bool isChar() const { return cls_ == mxCHAR_CLASS; }
  bool isCell() const { return cls_ == mxCELL_CLASS; }
  bool isStruct() const { return cls_ == mxSTRUCT_CLASS; }
  bool isFunction() const { return cls_ == mxFUNCTION_CLASS; }
  bool isLogical() const { return logical_; }
  void setLogical(bool b) { logical_ = b && cls_ == mxDOUBLE_CLASS; }
  bool isComplex() const;
  // A real double 1-by-1 held in the cell: the operations' fast paths test
  // this one byte pair and read s_ directly.
  bool isRealScalar() const { return form_ == kInlineScalar && cls_ == mxDOUBLE_CLASS; }
  double scalarValue() const { return s_; }  // only when isRealScalar()

  const Dims& dims() const;
  std::size_t ndims() const { return dims().size(); }
  std::size_t numel() const;
  std::size_t rows() const { return dims()[0]; }
  std::size_t cols() const;  // product of dimensions 2..N
  std::size_t colsSlow() const;
  std::size_t dim(std::size_t k) const {
    const Dims& d = dims();
    return k < d.size() ? d[k] : 1;
  }
  bool isEmpty() const { return numel() == 0; }
  bool isScalar() const { return numel() == 1; }
  bool isVector() const;       // 2-D with one dimension equal to 1
  std::size_t length() const;  // largest dimension, 0 when empty
  // Reshape without changing the data; the element count must agree.
  void reshape(Dims d);
  // Cells and structures: grows to dimensions d, element i staying at
  // position i and the new elements empty. In place when the storage is
  // not shared, so that growing by one element at a time costs amortized
  // constant time instead of a copy of the whole array.
  void growLinear(Dims d);

  // Numeric data (double class). im() is null for a real value.
  const double* re() const;
  const double* im() const;
  double* mutRe();
  double* mutIm();  // makes the value complex when needed
  double at(std::size_t i) const { return re()[i]; }
  std::complex<double> cat(std::size_t i) const;
  // Drops the imaginary part when every element of it is zero.
  void dropZeroImag();

  // Character data.
  const char16_t* chr() const;
  char16_t* mutChr();
  std::u16string u16() const;  // all characters in column order
  std::string utf8() const;    // all characters in column order
  // The characters of one row of a character matrix.
  std::string rowUtf8(std::size_t r) const;

  // Cells: elements in column order.
  const Value& cellAt(std::size_t i) const;
  Value& mutCellAt(std::size_t i);

  // Structures: field names and the value of field f of element i.
  const std::vector<std::string>& fieldNames() const;
  int fieldIndex(std::string_view name) const;  // -1 when absent
  int addField(const std::string& name);        // index of the (new) field
  const Value& fieldAt(std::size_t elem, std::size_t f) const;
  Value& mutFieldAt(std::size_t elem, std::size_t f);

  // Function handles.
  const FunctionRef& functionRef() const;

  // Whether two values share their storage (for tests of copy-on-write).
  bool sharesStorageWith(const Value& o) const {
    return form_ == kHeap && o.form_ == kHeap && (p_ == o.p_ || p_->data_ == o.p_->data_);
  }
  // Whether this value's data is in a heap object that no other value
  // shares: an operation that owns the value may then write its result over
  // it.
  bool ownsStorageAlone() const { return form_ == kHeap && p_->refs == 1 && p_->dataAlone(); }

  // The heap object and the bodies of containers (value.cpp).
  using Array = HeapArray;
  struct CellBody;
  struct StructBody;

 private:
  enum Form : std::uint8_t { kInlineEmpty, kInlineScalar, kHeap };

  explicit Value(double s) : cls_(mxDOUBLE_CLASS), logical_(false), form_(kInlineScalar), s_(s) {}
  Value(mxClassID c, Form f)
      : cls_(static_cast<std::uint8_t>(c)), logical_(false), form_(f), p_(nullptr) {}
  // A value of class c and dimensions d with room for its data, unset.
  static Value make(mxClassID c, Dims&& d, bool complex);
  // A real r-by-c double in a heap object, its data unset (r * c != 1, and
  // both below 2^24).
  static Value realMatrix(std::size_t r, std::size_t c);
  void copyBits(const Value& o) {
    cls_ = o.cls_;
    logical_ = o.logical_;
    form_ = o.form_;
    bits_ = o.bits_;
  }
  void drop() {
    if (form_ == kHeap && --p_->refs == 0) release(p_);
  }
  static void release(Array* a) noexcept;
  // The heap object, made (from an inline form) or copied (when shared) so
  // that this value alone holds it.
  Array& unique() {
    if (form_ == kHeap && p_->refs == 1 && p_->dataAlone()) [[likely]]
      return *p_;
    return uniqueSlow();
  }
  Array& uniqueSlow();

  std::uint8_t cls_;
  bool logical_;
  Form form_;
  union {
    double s_;            // kInlineScalar, double
    char16_t c_;          // kInlineScalar, char
    Array* p_;            // kHeap
    std::uint64_t bits_;  // the payload as a word, for copies
  };
};
static_assert(sizeof(Value) == 16, "a value is two words");

// The shapes of the values held in their cells: constants, so that asking a
// value its shape never checks whether a static has been made.
inline constinit const Dims kInlineEmptyDims{0, 0, Dims::Pair{}};
inline constinit const Dims kInlineScalarDims{1, 1, Dims::Pair{}};

inline const Dims& Value::dims() const {
  if (form_ == kHeap) return p_->dims;
  return form_ == kInlineScalar ? kInlineScalarDims : kInlineEmptyDims;
}
inline std::size_t Value::cols() const {
  const Dims& d = dims();
  return d.size() == 2 ? d[1] : colsSlow();
}
inline std::size_t Value::numel() const {
  if (form_ == kHeap) return p_->numel;
  return form_ == kInlineScalar ? 1 : 0;
}
inline bool Value::isComplex() const { return form_ == kHeap && p_->hasIm; }
inline const double* Value::re() const {
  if (cls_ != mxDOUBLE_CLASS) return nullptr;
  if (form_ == kHeap) return p_->numel ? p_->re() : nullptr;
  return form_ == kInlineScalar ? &s_ : nullptr;
}
inline const double* Value::im() const { return isComplex() ? p_->re() + p_->numel : nullptr; }
inline double* Value::mutRe() {
  if (cls_ != mxDOUBLE_CLASS) return nullptr;
  if (form_ == kInlineScalar) return &s_;
  if (form_ != kHeap || p_->numel == 0) return nullptr;
  return unique().re();
}
inline std::complex<double> Value::cat(std::size_t i) const {
  if (form_ != kHeap) return {s_, 0.0};
  const double* r = p_->re();
  return {r[i], p_->hasIm ? r[p_->numel + i] : 0.0};
}
inline const char16_t* Value::chr() const {
  if (cls_ != mxCHAR_CLASS) return nullptr;
  if (form_ == kHeap) return p_->numel ? reinterpret_cast<const char16_t*>(p_->data()) : nullptr;
  return form_ == kInlineScalar ? &c_ : nullptr;
}

// A read-only run of values, as an operation takes its arguments: a view of
// a vector, an inline list, an array or a braced list. A view of a braced
// list is good for the call it is an argument of.
class Values : public std::span<const Value> {
 public:
  using std::span<const Value>::span;
  Values(const ValueList& v) : span(v.data(), v.size()) {}
  Values(std::span<const Value> s) : span(s) {}
#if defined(__clang__)
  Values(std::initializer_list<Value> l) : span(l.begin(), l.size()) {}
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winit-list-lifetime"
  Values(std::initializer_list<Value> l) : span(l.begin(), l.size()) {}
#pragma GCC diagnostic pop
#endif
};

// Class name as the host reports it: "double", "char", "cell", "struct",
// "function_handle"; "" for a placeholder.
std::string className(const Value& v);
// "2x3" style text of a size.
std::string dimsText(const Dims& d);

}  // namespace kh
