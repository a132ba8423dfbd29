// The host's array value: class, N-d dimensions and data, with copy-on-write
// storage so that copies share their data until one side writes.
#pragma once

#include <boost/container/small_vector.hpp>
#include <boost/smart_ptr/intrusive_ptr.hpp>
#include <boost/smart_ptr/intrusive_ref_counter.hpp>
#include <complex>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/array/dims.h"
#include "host/array/doubles.h"
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
// Raises "Out of memory." when n elements of elementBytes each pass it.
void checkArrayBytes(std::size_t n, std::size_t elementBytes);
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

// The code behind a handle that is more than a name (an anonymous function
// with the values it captured, a function of a file); the command window
// implements it.
class Callable {
 public:
  virtual ~Callable() = default;
  virtual std::vector<Value> call(int nargout, std::vector<Value>& args) const = 0;
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

class Value {
 public:
  // A placeholder: class id 0, never assigned.
  Value();

  static Value placeholder() { return Value(); }
  static Value empty();  // 0-by-0 double
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
  static Value numericForWrite(Dims dims, bool complex = false);
  static Value matrix(std::size_t rows, std::size_t cols) { return numeric({rows, cols}); }
  static Value row(const std::vector<double>& v);
  static Value column(const std::vector<double>& v);
  static Value chars(Dims dims);            // blanks
  static Value str(std::u16string_view s);  // 1-by-n (0-by-0 when empty)
  static Value str(std::string_view utf8);
  static Value cell(Dims dims);  // cells of 0-by-0 doubles
  static Value structArray(Dims dims, std::vector<std::string> fields);
  static Value function(FunctionRef ref);

  mxClassID cls() const { return cls_; }
  bool isPlaceholder() const { return cls_ == mxUNKNOWN_CLASS; }
  bool isDouble() const { return cls_ == mxDOUBLE_CLASS; }
  bool isChar() const { return cls_ == mxCHAR_CLASS; }
  bool isCell() const { return cls_ == mxCELL_CLASS; }
  bool isStruct() const { return cls_ == mxSTRUCT_CLASS; }
  bool isFunction() const { return cls_ == mxFUNCTION_CLASS; }
  // Numeric in the host's sense: double (logical results included).
  bool isNumeric() const { return cls_ == mxDOUBLE_CLASS; }
  bool isLogical() const { return logical_; }
  void setLogical(bool b) { logical_ = b && cls_ == mxDOUBLE_CLASS; }
  bool isComplex() const;

  const Dims& dims() const { return dims_; }
  std::size_t ndims() const { return dims_.size(); }
  std::size_t numel() const { return numel_; }
  std::size_t rows() const { return dims_[0]; }
  std::size_t cols() const;  // product of dimensions 2..N
  std::size_t dim(std::size_t k) const { return k < dims_.size() ? dims_[k] : 1; }
  bool isEmpty() const { return numel_ == 0; }
  bool isScalar() const { return numel_ == 1; }
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
  bool sharesStorageWith(const Value& o) const { return p_ && p_ == o.p_; }
  // Whether this value's data is in a payload that no other value shares:
  // an operation that owns the value may then write its result over it.
  bool ownsStorageAlone() const;

 private:
  struct Payload;
  // A real double scalar holding s (no payload).
  explicit Value(double s) : cls_(mxDOUBLE_CLASS), dims_{1, 1}, numel_(1), s_(s) {}
  // A value of class c and dimensions d (normalized), with no data yet.
  Value(mxClassID c, Dims&& d)
      : cls_(c), dims_(normalizeDims(std::move(d))), numel_(numelOf(dims_)) {}
  Payload& mut();
  const Payload& data() const;
  static const Payload& nothing();

  // A real double with at most one element keeps its element in s_ and has
  // no payload: scalars are most of what a program creates, and this way
  // making one allocates nothing. Any other value keeps its data in p_.
  mxClassID cls_ = mxUNKNOWN_CLASS;
  bool logical_ = false;
  Dims dims_{0, 0};
  std::size_t numel_ = 0;
  double s_ = 0.0;
  boost::intrusive_ptr<Payload> p_;
};

// Element storage; accessors below are inline because every operation's
// inner loop goes through them. Values belong to the run-time's one thread:
// the count of values sharing a payload is a plain integer (no atomic
// operations on every copy), and freed payload storage is kept for reuse.
struct Value::Payload : boost::intrusive_ref_counter<Value::Payload, boost::thread_unsafe_counter> {
  // User-provided, so that making a payload does not first clear all of it
  // (the inline element buffer included).
  Payload() {}
  Payload(const Payload&) = default;
  // Out of line: every value's destructor would otherwise carry the
  // destruction of all the members below.
  ~Payload();
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
  Doubles re;
  std::vector<double> im;
  std::vector<char16_t> ch;
  std::vector<Value> elems;  // cells, or struct fields: elem * nfields + f
  std::vector<std::string> fields;
  FunctionRef fn;
};

inline bool Value::ownsStorageAlone() const { return p_ && p_->use_count() == 1; }
inline const Value::Payload& Value::data() const { return p_ ? *p_ : nothing(); }
inline bool Value::isComplex() const { return cls_ == mxDOUBLE_CLASS && p_ && !p_->im.empty(); }
inline const double* Value::re() const {
  if (p_) return p_->re.data();
  return cls_ == mxDOUBLE_CLASS && numel_ ? &s_ : nullptr;
}
inline const double* Value::im() const { return isComplex() ? p_->im.data() : nullptr; }
inline double* Value::mutRe() {
  if (!p_ && cls_ == mxDOUBLE_CLASS) return numel_ ? &s_ : nullptr;
  return mut().re.data();
}
inline std::complex<double> Value::cat(std::size_t i) const {
  if (!p_) return {s_, 0.0};
  const Payload& p = *p_;
  return {p.re[i], p.im.empty() ? 0.0 : p.im[i]};
}
inline const char16_t* Value::chr() const { return data().ch.data(); }

// A short list of values kept inline: the arguments or subscripts of one
// call, which are almost always few and must not cost an allocation.
using ValueList = boost::container::small_vector<Value, 4>;
// A read-only run of values, as an operation takes its arguments: a view of
// a vector, an inline list, an array or a braced list. A view of a braced
// list is good for the call it is an argument of.
class Values : public std::span<const Value> {
 public:
  using std::span<const Value>::span;
  Values(const std::vector<Value>& v) : span(v.data(), v.size()) {}
  Values(const ValueList& v) : span(v.data(), v.size()) {}
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
// UTF-8 <-> UTF-16 helpers.
std::u16string toU16(std::string_view utf8);
std::string toUtf8(std::u16string_view s);

}  // namespace kh
