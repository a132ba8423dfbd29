#include "host/values/value.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "host/core/errors.h"
#include "host/values/array_blocks.h"

namespace kh {

std::size_t checkedProduct(std::size_t a, std::size_t b) {
  std::size_t r;
  if (__builtin_mul_overflow(a, b, &r) || r > kMaxElements) raise(kSizeExceeded);
  return r;
}

std::size_t numelOfChecked(const Dims& d) {
  std::size_t nonZero = 1;
  bool anyZero = false;
  for (auto k : d) {
    if (k == 0)
      anyZero = true;
    else
      nonZero = checkedProduct(nonZero, k);
  }
  return anyZero ? 0 : nonZero;
}

namespace {

std::size_t machineMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
  std::size_t bytes = pages > 0 && page > 0
                          ? static_cast<std::size_t>(pages) * static_cast<std::size_t>(page)
                          : ~std::size_t{0};
  rlimit as{};
  if (getrlimit(RLIMIT_AS, &as) == 0 && as.rlim_cur != RLIM_INFINITY)
    bytes = std::min<std::size_t>(bytes, as.rlim_cur);
  return bytes;
}

// 0 until first asked for: values are made during static initialization
// too, before a dynamic initializer here would have run.
std::size_t g_maxArrayBytes = 0;

}  // namespace

std::size_t maxArrayBytes() {
  if (g_maxArrayBytes == 0) g_maxArrayBytes = machineMemory();
  g_knownMaxArrayBytes = g_maxArrayBytes;
  return g_maxArrayBytes;
}
void setMaxArrayBytes(std::size_t bytes) { g_maxArrayBytes = g_knownMaxArrayBytes = bytes; }

void checkArrayBytesSlow(std::size_t n, std::size_t elementBytes) {
  std::size_t bytes;
  if (__builtin_mul_overflow(n, elementBytes, &bytes) || bytes > maxArrayBytes())
    raise("Out of memory.");
}

Dims normalizeDimsSlow(Dims d) {
  while (d.size() < 2) d.push_back(d.empty() ? 0 : 1);
  while (d.size() > 2 && d.back() == 1) d.pop_back();
  return d;
}

namespace {
bool isBodyClass(std::uint8_t c) {
  return c == mxCELL_CLASS || c == mxSTRUCT_CLASS || c == mxFUNCTION_CLASS;
}
}  // namespace

// The body of a cell: its elements in column order.
struct Value::CellBody {
  std::vector<Value> elems;
};
// The body of a structure array: element e's field f is elems[e * nf + f].
struct Value::StructBody {
  std::vector<std::string> fields;
  std::vector<Value> elems;
};

namespace {

using Array = Value::Array;

std::size_t bodyBytes(std::uint8_t c);

void freeData(Array* a) noexcept {
  if (a->ownsData()) return;
  DataBlock* k = a->block();
  if (--k->refs == 0) giveBlock(k, k->shelf);
}

// Room for `bytes` of data in a block of its own.
unsigned char* newDataBlock(std::size_t bytes) {
  const Block b = takeBlock(sizeof(DataBlock) + bytes);
  auto* k = static_cast<DataBlock*>(b.p);
  k->refs = 1;
  k->shelf = b.shelf;
  k->bytes = b.bytes - sizeof(DataBlock);
  return reinterpret_cast<unsigned char*>(k + 1);
}

// A heap object of class c with room for dataBytes of data (after its
// header, or in a block of its own when large); the data (or body) is not
// yet made.
Array* newArray(std::uint8_t c, Dims&& d, std::size_t numel, std::size_t dataBytes) {
  const bool own = dataBytes <= Array::kOwnDataBytes;
  const Block b = takeBlock(sizeof(Array) + (own ? dataBytes : 0));
  auto* a = static_cast<Array*>(b.p);
  if (own) {
    a->data_ = reinterpret_cast<unsigned char*>(a + 1);
  } else {
    try {
      a->data_ = newDataBlock(dataBytes);
    } catch (...) {
      giveBlock(b.p, b.shelf);
      throw;
    }
  }
  a->refs = 1;
  a->cls = c;
  a->hasIm = false;
  a->shelf = b.shelf;
  a->numel = numel;
  new (&a->dims) Dims(std::move(d));
  return a;
}

// The bytes a's data may take without a new block.
std::size_t capacityOf(const Array& a) {
  if (!a.ownsData()) return a.block()->bytes;
  return (std::size_t{1} << (a.shelf + 7)) - sizeof(Array);
}

void freeArray(Array* a) noexcept {
  freeData(a);
  a->dims.~Dims();
  giveBlock(a, a->shelf);
}

template <typename B>
B& bodyOf(Array* a) {
  return *std::launder(reinterpret_cast<B*>(a->data()));
}
template <typename B>
const B& bodyOf(const Array* a) {
  return *std::launder(reinterpret_cast<const B*>(a->data()));
}

}  // namespace

// Makes the body of a container (cell, structure, function) in place, as a
// copy of `from` or empty.
struct BodyOps {
  static std::size_t bytes(std::uint8_t c) {
    switch (c) {
      case mxCELL_CLASS:
        return sizeof(Value::CellBody);
      case mxSTRUCT_CLASS:
        return sizeof(Value::StructBody);
      case mxFUNCTION_CLASS:
        return sizeof(FunctionRef);
      default:
        return 0;
    }
  }
  static void make(Array* a, const Array* from) {
    switch (a->cls) {
      case mxCELL_CLASS:
        if (from)
          new (a->data()) Value::CellBody(bodyOf<Value::CellBody>(from));
        else
          new (a->data()) Value::CellBody();
        break;
      case mxSTRUCT_CLASS:
        if (from)
          new (a->data()) Value::StructBody(bodyOf<Value::StructBody>(from));
        else
          new (a->data()) Value::StructBody();
        break;
      case mxFUNCTION_CLASS:
        if (from)
          new (a->data()) FunctionRef(bodyOf<FunctionRef>(from));
        else
          new (a->data()) FunctionRef();
        break;
      default:
        break;
    }
  }
  static void destroy(Array* a) noexcept {
    switch (a->cls) {
      case mxCELL_CLASS:
        bodyOf<Value::CellBody>(a).~CellBody();
        break;
      case mxSTRUCT_CLASS:
        bodyOf<Value::StructBody>(a).~StructBody();
        break;
      case mxFUNCTION_CLASS:
        bodyOf<FunctionRef>(a).~FunctionRef();
        break;
      default:
        break;
    }
  }
  // The elements of a cell or structure (null for any other class).
  static std::vector<Value>* elems(Array* a) {
    if (a->cls == mxCELL_CLASS) return &bodyOf<Value::CellBody>(a).elems;
    if (a->cls == mxSTRUCT_CLASS) return &bodyOf<Value::StructBody>(a).elems;
    return nullptr;
  }
};

namespace {

std::size_t bodyBytes(std::uint8_t c) { return BodyOps::bytes(c); }

// The bytes of the data of a numeric or character array.
std::size_t dataBytesOf(const Array& a) {
  if (a.cls == mxDOUBLE_CLASS) return a.numel * (a.hasIm ? 16 : 8);
  if (a.cls == mxCHAR_CLASS) return a.numel * sizeof(char16_t);
  return bodyBytes(a.cls);
}

// A heap object of class c with its body made, for a container; the data of
// any other class is left unset.
Array* newArrayWithBody(std::uint8_t c, Dims&& d, std::size_t numel, std::size_t dataBytes) {
  Array* a = newArray(c, std::move(d), numel, dataBytes);
  if (isBodyClass(c)) BodyOps::make(a, nullptr);
  return a;
}

Array* cloneArray(const Array& o) {
  Array* a = newArray(o.cls, Dims(o.dims), o.numel, dataBytesOf(o));
  a->hasIm = o.hasIm;
  if (isBodyClass(o.cls)) {
    try {
      BodyOps::make(a, &o);
    } catch (...) {
      freeArray(a);
      throw;
    }
  } else {
    std::memcpy(a->data(), o.data(), dataBytesOf(o));
  }
  return a;
}

// A header of its own for o's data: shared when in a block of its own,
// else copied (it is small).
Array* cloneHeader(const Array& o) {
  if (o.ownsData()) return cloneArray(o);
  const Block b = takeBlock(sizeof(Array));
  auto* a = static_cast<Array*>(b.p);
  a->refs = 1;
  a->cls = o.cls;
  a->hasIm = o.hasIm;
  a->shelf = b.shelf;
  a->numel = o.numel;
  a->data_ = o.data_;
  ++o.block()->refs;
  new (&a->dims) Dims(o.dims);
  return a;
}

}  // namespace

// Freeing a value frees what it holds, and a cell can hold a cell that holds
// a cell, as deep as a program cares to nest them (c = {c} in a loop; a
// closure that captured a closure). Freed by plain recursion, such a chain
// would take a frame of the machine's stack per level. Instead a container
// whose last sharer goes joins a list that the outermost release works off,
// one at a time: the containers (and closures) it held that die with it join
// the same list, and the stack stays flat at any depth. Numeric and
// character arrays hold nothing and go at once.
namespace {
[[gnu::noinline]] void releaseContainer(Array* a) noexcept {
  struct Doomed {
    std::vector<Array*> list;
    bool draining = false;
  };
  // The run-time's one thread; never destroyed, so that values freed during
  // static destruction still find it.
  static Doomed* doomed = new Doomed;
  Doomed& d = *doomed;
  d.list.push_back(a);
  if (d.draining) return;
  d.draining = true;
  while (!d.list.empty()) {
    Array* x = d.list.back();
    d.list.pop_back();
    BodyOps::destroy(x);  // what it held alone joins the list
    freeArray(x);
  }
  d.draining = false;
}
}  // namespace

void Value::release(Array* a) noexcept {
  if (isBodyClass(a->cls)) [[unlikely]]
    releaseContainer(a);
  else
    freeArray(a);
}

Value::Array& Value::uniqueSlow() {
  if (form_ == kHeap) {
    if (p_->refs > 1) {
      Array* c = cloneArray(*p_);
      --p_->refs;
      p_ = c;
      return *c;
    }
    // The header is this value's alone, its data shared with another.
    const std::size_t bytes = dataBytesOf(*p_);
    unsigned char* d = newDataBlock(bytes);
    std::memcpy(d, p_->data_, bytes);
    --p_->block()->refs;
    p_->data_ = d;
    return *p_;
  }
  Array* a;
  if (form_ == kInlineScalar) {
    if (cls_ == mxDOUBLE_CLASS) {
      a = newArray(cls_, Dims{1, 1}, 1, sizeof(double));
      a->re()[0] = s_;
    } else {
      a = newArray(cls_, Dims{1, 1}, 1, sizeof(char16_t));
      std::memcpy(a->data(), &c_, sizeof c_);
    }
  } else {
    a = newArrayWithBody(cls_, Dims{0, 0}, 0, bodyBytes(cls_));
  }
  form_ = kHeap;
  p_ = a;
  return *a;
}

Value Value::make(mxClassID c, Dims&& d, bool complex) {
  if (d.size() != 2) [[unlikely]]
    d = normalizeDimsSlow(std::move(d));
  const std::size_t n = numelOf(d);
  if (!complex && d.size() == 2 &&
      (c == mxDOUBLE_CLASS || c == mxCHAR_CLASS || c == mxCELL_CLASS)) {
    if (n == 0 && d[0] == 0 && d[1] == 0) return Value(c, kInlineEmpty);
    if (n == 1 && c != mxCELL_CLASS) {
      Value r(c, kInlineScalar);
      r.bits_ = 0;
      return r;
    }
  }
  std::size_t bytes;
  if (c == mxDOUBLE_CLASS) {
    checkArrayBytes(n, complex ? 16 : 8);
    bytes = n * (complex ? 16 : 8);
  } else if (c == mxCHAR_CLASS) {
    checkArrayBytes(n, sizeof(char16_t));
    bytes = n * sizeof(char16_t);
  } else {
    bytes = bodyBytes(c);
  }
  Value r(c, kHeap);
  r.p_ = newArrayWithBody(c, std::move(d), n, bytes);
  if (complex && n) {
    r.p_->hasIm = true;
    std::fill(r.p_->re() + n, r.p_->re() + 2 * n, 0.0);
  }
  return r;
}

Value Value::complexScalar(double re, double im) {
  Value r = make(mxDOUBLE_CLASS, Dims{1, 1}, true);
  r.p_->re()[0] = re;
  r.p_->re()[1] = im;
  return r;
}

Value Value::numeric(Dims dims, bool complex) {
  Value r = make(mxDOUBLE_CLASS, std::move(dims), complex);
  if (r.form_ == kHeap)
    std::fill(r.p_->re(), r.p_->re() + r.p_->numel, 0.0);
  else
    r.s_ = 0.0;
  return r;
}

Value Value::realMatrix(std::size_t r, std::size_t c) {
  const std::size_t n = r * c;
  checkArrayBytes(n, sizeof(double));
  Value v(mxDOUBLE_CLASS, kHeap);
  if (n * sizeof(double) > Array::kOwnDataBytes) {
    v.p_ = newArray(mxDOUBLE_CLASS, Dims(r, c, Dims::Pair{}), n, n * sizeof(double));
    return v;
  }
  const Block b = takeBlock(sizeof(Array) + n * sizeof(double));
  auto* a = static_cast<Array*>(b.p);
  a->refs = 1;
  a->cls = mxDOUBLE_CLASS;
  a->hasIm = false;
  a->shelf = b.shelf;
  a->numel = n;
  a->data_ = reinterpret_cast<unsigned char*>(a + 1);
  new (&a->dims) Dims(r, c, Dims::Pair{});
  v.p_ = a;
  return v;
}

Value Value::row(const std::vector<double>& v) {
  Value r = numericForWrite({1, v.size()});
  std::copy(v.begin(), v.end(), r.mutRe());
  return r;
}

Value Value::column(const std::vector<double>& v) {
  Value r = numericForWrite({v.size(), 1});
  std::copy(v.begin(), v.end(), r.mutRe());
  return r;
}

Value Value::chars(Dims dims) {
  Value r = make(mxCHAR_CLASS, std::move(dims), false);
  char16_t* c = r.mutChr();
  std::fill(c, c + r.numel(), u' ');
  return r;
}

Value Value::str(std::u16string_view s) {
  Value r = chars(s.empty() ? Dims{0, 0} : Dims{1, s.size()});
  std::copy(s.begin(), s.end(), r.mutChr());
  return r;
}

Value Value::str(std::string_view utf8) { return str(std::u16string_view(toU16(utf8))); }

Value Value::cell(Dims dims) {
  Value r = make(mxCELL_CLASS, std::move(dims), false);
  if (r.form_ == kHeap) {
    checkArrayBytes(r.p_->numel, sizeof(Value));
    bodyOf<CellBody>(r.p_).elems.assign(r.p_->numel, Value::empty());
  }
  return r;
}

Value Value::structArray(Dims dims, std::vector<std::string> fields) {
  Value r = make(mxSTRUCT_CLASS, std::move(dims), false);
  checkArrayBytes(r.p_->numel, sizeof(Value) * fields.size());
  StructBody& b = bodyOf<StructBody>(r.p_);
  b.fields = std::move(fields);
  b.elems.assign(r.p_->numel * b.fields.size(), Value::empty());
  return r;
}

Value Value::function(FunctionRef ref) {
  Value r = make(mxFUNCTION_CLASS, Dims{1, 1}, false);
  bodyOf<FunctionRef>(r.p_) = std::move(ref);
  return r;
}

std::size_t Value::colsSlow() const {
  const Dims& d = dims();
  std::size_t n = 1;
  for (std::size_t k = 1; k < d.size(); ++k) n *= d[k];
  return n;
}

bool Value::isVector() const {
  const Dims& d = dims();
  return d.size() == 2 && (d[0] == 1 || d[1] == 1);
}

std::size_t Value::length() const {
  if (numel() == 0) return 0;
  const Dims& d = dims();
  return *std::max_element(d.begin(), d.end());
}

void Value::growLinear(Dims d) {
  if (cls_ != mxCELL_CLASS && cls_ != mxSTRUCT_CLASS)
    throw std::logic_error("growLinear: not a cell or structure");
  d = normalizeDims(std::move(d));
  const std::size_t n = numelOf(d);
  if (n < numel()) throw std::logic_error("growLinear: fewer elements");
  const std::size_t per = cls_ == mxSTRUCT_CLASS ? fieldNames().size() : 1;
  checkArrayBytes(n, sizeof(Value) * per);
  Array& a = unique();
  BodyOps::elems(&a)->resize(n * per, Value::empty());
  a.dims = std::move(d);
  a.numel = n;
}

void Value::reshape(Dims d) {
  d = normalizeDims(std::move(d));
  if (numelOf(d) != numel()) throw std::logic_error("reshape: element count differs");
  if (d == dims()) return;
  if (form_ == kHeap && p_->refs > 1) {
    // Only the shape changes: a header of its own, the data shared.
    Array* c = cloneHeader(*p_);
    --p_->refs;
    p_ = c;
  } else if (form_ != kHeap) {
    unique();
  }
  p_->dims = std::move(d);
}

double* Value::mutIm() {
  if (cls_ != mxDOUBLE_CLASS) return nullptr;
  Array& a = unique();
  if (a.numel == 0) return nullptr;
  if (!a.hasIm) {
    const std::size_t n = a.numel;
    if (capacityOf(a) < 2 * n * sizeof(double)) {
      checkArrayBytes(n, 16);
      Array* g = newArray(a.cls, Dims(a.dims), n, 2 * n * sizeof(double));
      std::memcpy(g->re(), a.re(), n * sizeof(double));
      freeArray(&a);
      p_ = g;
    }
    std::fill(p_->re() + n, p_->re() + 2 * n, 0.0);
    p_->hasIm = true;
  }
  return p_->re() + p_->numel;
}

void Value::dropZeroImag() {
  if (!isComplex()) return;
  const double* m = im();
  for (std::size_t k = 0, n = p_->numel; k < n; ++k)
    if (m[k] != 0.0) return;
  unique().hasIm = false;
}

char16_t* Value::mutChr() {
  if (cls_ != mxCHAR_CLASS) return nullptr;
  if (form_ == kInlineScalar) return &c_;
  if (form_ != kHeap || p_->numel == 0) return nullptr;
  return reinterpret_cast<char16_t*>(unique().data());
}

std::u16string Value::u16() const {
  const char16_t* c = chr();
  return c ? std::u16string(c, c + numel()) : std::u16string();
}

std::string Value::utf8() const { return toUtf8(u16()); }

std::string Value::rowUtf8(std::size_t r) const {
  std::u16string s;
  const std::size_t m = rows(), n = cols();
  const char16_t* c = chr();
  for (std::size_t j = 0; j < n; ++j) s.push_back(c[r + j * m]);
  return toUtf8(s);
}

namespace {
[[noreturn]] void noElement() { throw std::out_of_range("value: no such element"); }
}  // namespace

const Value& Value::cellAt(std::size_t i) const {
  if (form_ != kHeap) noElement();
  const std::vector<Value>* e = BodyOps::elems(p_);
  if (!e || i >= e->size()) noElement();
  return (*e)[i];
}

Value& Value::mutCellAt(std::size_t i) {
  if (form_ != kHeap) noElement();
  std::vector<Value>* e = BodyOps::elems(&unique());
  if (!e || i >= e->size()) noElement();
  return (*e)[i];
}

const std::vector<std::string>& Value::fieldNames() const {
  static const std::vector<std::string> none;
  if (form_ != kHeap || cls_ != mxSTRUCT_CLASS) return none;
  return bodyOf<StructBody>(p_).fields;
}

int Value::fieldIndex(std::string_view name) const {
  const auto& f = fieldNames();
  for (std::size_t k = 0; k < f.size(); ++k)
    if (f[k] == name) return static_cast<int>(k);
  return -1;
}

int Value::addField(const std::string& name) {
  if (cls_ != mxSTRUCT_CLASS) throw std::logic_error("addField: not a structure");
  int k = fieldIndex(name);
  if (k >= 0) return k;
  StructBody& p = bodyOf<StructBody>(&unique());
  const std::size_t nf = p.fields.size(), n = p_->numel;
  if (n == 1) {
    // One element: its fields are the whole list, and the new one goes last.
    p.elems.push_back(Value::empty());
    p.fields.push_back(name);
    return static_cast<int>(nf);
  }
  std::vector<Value> grown;
  grown.reserve(n * (nf + 1));
  for (std::size_t e = 0; e < n; ++e) {
    for (std::size_t f = 0; f < nf; ++f) grown.push_back(std::move(p.elems[e * nf + f]));
    grown.push_back(Value::empty());
  }
  p.elems = std::move(grown);
  p.fields.push_back(name);
  return static_cast<int>(nf);
}

const Value& Value::fieldAt(std::size_t elem, std::size_t f) const {
  if (form_ != kHeap || cls_ != mxSTRUCT_CLASS) noElement();
  const StructBody& b = bodyOf<StructBody>(p_);
  return b.elems.at(elem * b.fields.size() + f);
}

Value& Value::mutFieldAt(std::size_t elem, std::size_t f) {
  if (form_ != kHeap || cls_ != mxSTRUCT_CLASS) noElement();
  StructBody& b = bodyOf<StructBody>(&unique());
  return b.elems.at(elem * b.fields.size() + f);
}

const FunctionRef& Value::functionRef() const {
  static const FunctionRef none;
  if (form_ != kHeap || cls_ != mxFUNCTION_CLASS) return none;
  return bodyOf<FunctionRef>(p_);
}

std::string className(const Value& v) {
  switch (v.cls()) {
    case mxDOUBLE_CLASS:
      return "double";
    case mxCHAR_CLASS:
      return "char";
    case mxCELL_CLASS:
      return "cell";
    case mxSTRUCT_CLASS:
      return "struct";
    case mxFUNCTION_CLASS:
      return "function_handle";
    default:
      return "";
  }
}

std::string dimsText(const Dims& d) {
  std::string s;
  for (std::size_t k = 0; k < d.size(); ++k) {
    if (k) s += "x";
    s += std::to_string(d[k]);
  }
  return s;
}

}  // namespace kh
