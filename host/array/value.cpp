#include "host/array/value.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "host/context/errors.h"

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
  return g_maxArrayBytes;
}
void setMaxArrayBytes(std::size_t bytes) { g_maxArrayBytes = bytes; }

void checkArrayBytes(std::size_t n, std::size_t elementBytes) {
  std::size_t bytes;
  if (__builtin_mul_overflow(n, elementBytes, &bytes) || bytes > maxArrayBytes())
    raise("Out of memory.");
}

Dims normalizeDimsSlow(Dims d) {
  while (d.size() < 2) d.push_back(d.empty() ? 0 : 1);
  while (d.size() > 2 && d.back() == 1) d.pop_back();
  return d;
}

Value::Value() = default;

Value Value::empty() { return numeric({0, 0}); }

Value Value::complexScalar(double re, double im) {
  Value r = numeric({1, 1}, true);
  r.p_->re[0] = re;
  r.p_->im[0] = im;
  return r;
}

Value Value::numeric(Dims dims, bool complex) {
  Value r = numericForWrite(std::move(dims), complex);
  if (r.p_) std::fill(r.p_->re.data(), r.p_->re.data() + r.numel_, 0.0);
  return r;
}

Value Value::numericForWrite(Dims dims, bool complex) {
  Value r(mxDOUBLE_CLASS, std::move(dims));
  if (r.numel_ <= 1 && !complex) return r;
  if (r.numel_ > Doubles::kInline) checkArrayBytes(r.numel_, complex ? 16 : 8);
  r.p_ = new Payload();
  r.p_->re.assignUnset(r.numel_);
  if (complex) r.p_->im.assign(r.numel_, 0.0);
  return r;
}

Value Value::row(const std::vector<double>& v) {
  Value r = numeric({1, v.size()});
  std::copy(v.begin(), v.end(), r.mutRe());
  return r;
}

Value Value::column(const std::vector<double>& v) {
  Value r = numeric({v.size(), 1});
  std::copy(v.begin(), v.end(), r.mutRe());
  return r;
}

Value Value::chars(Dims dims) {
  Value r(mxCHAR_CLASS, std::move(dims));
  checkArrayBytes(r.numel_, sizeof(char16_t));
  r.p_ = new Payload();
  r.p_->ch.assign(r.numel_, u' ');
  return r;
}

Value Value::str(std::u16string_view s) {
  Value r = chars(s.empty() ? Dims{0, 0} : Dims{1, s.size()});
  std::copy(s.begin(), s.end(), r.p_->ch.begin());
  return r;
}

Value Value::str(std::string_view utf8) { return str(std::u16string_view(toU16(utf8))); }

Value Value::cell(Dims dims) {
  Value r(mxCELL_CLASS, std::move(dims));
  checkArrayBytes(r.numel_, sizeof(Value));
  r.p_ = new Payload();
  r.p_->elems.assign(r.numel_, Value::empty());
  return r;
}

Value Value::structArray(Dims dims, std::vector<std::string> fields) {
  Value r(mxSTRUCT_CLASS, std::move(dims));
  checkArrayBytes(r.numel_, sizeof(Value) * fields.size());
  r.p_ = new Payload();
  r.p_->fields = std::move(fields);
  r.p_->elems.assign(r.numel_ * r.p_->fields.size(), Value::empty());
  return r;
}

Value Value::function(FunctionRef ref) {
  Value r;
  r.cls_ = mxFUNCTION_CLASS;
  r.dims_ = {1, 1};
  r.numel_ = 1;
  r.p_ = new Payload();
  r.p_->fn = std::move(ref);
  return r;
}

std::size_t Value::cols() const {
  std::size_t n = 1;
  for (std::size_t k = 1; k < dims_.size(); ++k) n *= dims_[k];
  return n;
}

bool Value::isVector() const { return dims_.size() == 2 && (dims_[0] == 1 || dims_[1] == 1); }

std::size_t Value::length() const {
  if (numel_ == 0) return 0;
  return *std::max_element(dims_.begin(), dims_.end());
}

void Value::growLinear(Dims d) {
  if (cls_ != mxCELL_CLASS && cls_ != mxSTRUCT_CLASS)
    throw std::logic_error("growLinear: not a cell or structure");
  d = normalizeDims(std::move(d));
  const std::size_t n = numelOf(d);
  if (n < numel_) throw std::logic_error("growLinear: fewer elements");
  const std::size_t per = cls_ == mxSTRUCT_CLASS ? data().fields.size() : 1;
  checkArrayBytes(n, sizeof(Value) * per);
  mut().elems.resize(n * per, Value::empty());
  dims_ = std::move(d);
  numel_ = n;
}

void Value::reshape(Dims d) {
  d = normalizeDims(std::move(d));
  if (numelOf(d) != numel_) throw std::logic_error("reshape: element count differs");
  dims_ = std::move(d);
}

namespace {
// Freed payload storage kept for reuse: programs make and drop small arrays
// at a high rate, all payloads have one size, and the general allocator's
// caches for one size are short. Plain static storage, so that payloads
// freed during static destruction still find it.
constexpr std::size_t kSparePayloadsMax = 4096;
void* g_sparePayloads[kSparePayloadsMax];
std::size_t g_sparePayloadCount = 0;
}  // namespace

// Freeing a value frees what it holds, and a cell can hold a cell that holds
// a cell, as deep as a program cares to nest them (c = {c} in a loop; a
// closure that captured a closure). Freed by plain recursion, such a chain
// would take a frame of the machine's stack per level. Instead the payloads
// and closures that die with a payload are handed to a list that the
// outermost destruction works off, one at a time: the stack stays flat at
// any depth.
Value::Payload::~Payload() {
  if (elems.empty() && !fn.callable) return;
  struct Doomed {
    std::vector<boost::intrusive_ptr<Payload>> payloads;
    std::vector<std::shared_ptr<const Callable>> callables;
    bool draining = false;
  };
  // The run-time's one thread; never destroyed, so that values freed during
  // static destruction still find it.
  static Doomed* doomed = new Doomed;
  Doomed& d = *doomed;
  // Only what this payload holds alone dies with it; what is shared lives on.
  for (Value& e : elems)
    if (e.p_ && e.p_->use_count() == 1) d.payloads.push_back(std::move(e.p_));
  if (fn.callable && fn.callable.use_count() == 1) d.callables.push_back(std::move(fn.callable));
  if (d.draining) return;
  d.draining = true;
  while (!d.payloads.empty() || !d.callables.empty()) {
    if (!d.payloads.empty()) {
      boost::intrusive_ptr<Payload> p = std::move(d.payloads.back());
      d.payloads.pop_back();
      p.reset();  // its own elements join the list
    } else {
      std::shared_ptr<const Callable> c = std::move(d.callables.back());
      d.callables.pop_back();
      c.reset();  // the values it captured join the list
    }
  }
  d.draining = false;
}

void* Value::Payload::operator new(std::size_t size) {
  if (size == sizeof(Payload) && g_sparePayloadCount) return g_sparePayloads[--g_sparePayloadCount];
  return ::operator new(size);
}

void Value::Payload::operator delete(void* p, std::size_t size) noexcept {
  if (!p) return;
  if (size == sizeof(Payload) && g_sparePayloadCount < kSparePayloadsMax)
    g_sparePayloads[g_sparePayloadCount++] = p;
  else
    ::operator delete(p);
}

const Value::Payload& Value::nothing() {
  static const Payload none{};
  return none;
}

Value::Payload& Value::mut() {
  if (!p_) {
    p_ = new Payload();
    if (cls_ == mxDOUBLE_CLASS) p_->re.assign(numel_, s_);
  } else if (p_->use_count() > 1) {
    p_ = new Payload(*p_);
  }
  return *p_;
}

double* Value::mutIm() {
  Payload& p = mut();
  if (p.im.empty()) p.im.assign(numel_, 0.0);
  return p.im.data();
}

void Value::dropZeroImag() {
  if (!isComplex()) return;
  for (double v : p_->im)
    if (v != 0.0) return;
  mut().im.clear();
}

char16_t* Value::mutChr() { return mut().ch.data(); }

std::u16string Value::u16() const {
  const Payload& p = data();
  return std::u16string(p.ch.begin(), p.ch.end());
}

std::string Value::utf8() const { return toUtf8(u16()); }

std::string Value::rowUtf8(std::size_t r) const {
  std::u16string s;
  const std::size_t m = rows(), n = cols();
  for (std::size_t j = 0; j < n; ++j) s.push_back(data().ch[r + j * m]);
  return toUtf8(s);
}

const Value& Value::cellAt(std::size_t i) const { return data().elems.at(i); }
Value& Value::mutCellAt(std::size_t i) { return mut().elems.at(i); }

const std::vector<std::string>& Value::fieldNames() const { return data().fields; }

int Value::fieldIndex(std::string_view name) const {
  const auto& f = data().fields;
  for (std::size_t k = 0; k < f.size(); ++k)
    if (f[k] == name) return static_cast<int>(k);
  return -1;
}

int Value::addField(const std::string& name) {
  int k = fieldIndex(name);
  if (k >= 0) return k;
  Payload& p = mut();
  const std::size_t nf = p.fields.size();
  if (numel_ == 1) {
    // One element: its fields are the whole list, and the new one goes last.
    p.elems.push_back(Value::empty());
    p.fields.push_back(name);
    return static_cast<int>(nf);
  }
  std::vector<Value> grown;
  grown.reserve(numel_ * (nf + 1));
  for (std::size_t e = 0; e < numel_; ++e) {
    for (std::size_t f = 0; f < nf; ++f) grown.push_back(std::move(p.elems[e * nf + f]));
    grown.push_back(Value::empty());
  }
  p.elems = std::move(grown);
  p.fields.push_back(name);
  return static_cast<int>(nf);
}

const Value& Value::fieldAt(std::size_t elem, std::size_t f) const {
  return data().elems.at(elem * data().fields.size() + f);
}

Value& Value::mutFieldAt(std::size_t elem, std::size_t f) {
  Payload& p = mut();
  return p.elems.at(elem * p.fields.size() + f);
}

const FunctionRef& Value::functionRef() const { return data().fn; }

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

std::u16string toU16(std::string_view s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if ((c >> 5) == 6) {
      cp = c & 0x1f;
      extra = 1;
    } else if ((c >> 4) == 14) {
      cp = c & 0x0f;
      extra = 2;
    } else {
      cp = c & 0x07;
      extra = 3;
    }
    if (i + extra >= s.size() + (extra ? 0 : 1)) {
      out.push_back(u'?');
      break;
    }
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3f);
    i += extra + 1;
    if (cp > 0xffff) cp = u'?';  // 16-bit characters only
    out.push_back(static_cast<char16_t>(cp));
  }
  return out;
}

std::string toUtf8(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xc0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else {
      out.push_back(static_cast<char>(0xe0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
  }
  return out;
}

}  // namespace kh
