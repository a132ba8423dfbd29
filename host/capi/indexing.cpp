// C entry points of indexing: fixed forms, and the generic forms driven by
// an index text such as "(?)", "(?,?)", "{?}", ".name" or chains of them.
#include "runtime/indexing.h"

#include <cmath>
#include <cstring>
#include <string>

#include "host/capi/cs_list.h"
#include "host/capi/wrap.h"
#include "host/core/errors.h"
#include "host/kernels/arrays/colon.h"
#include "host/kernels/arrays/convert.h"
#include "host/kernels/arrays/index.h"
#include "host/kernels/messages.h"

namespace kh {
namespace {

// One step of an index text.
struct IndexPart {
  enum Kind { Paren, Brace, Field } kind;
  std::size_t count = 0;  // subscripts ('?') it consumes
  std::string name;       // field name
  Subscripts subs;
};

std::vector<IndexPart> parseIndexText(const char* text) {
  if (!text) raise("Internal error: missing index text.");
  std::vector<IndexPart> parts;
  const std::string s(text);
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '(' || c == '{') {
      const char close = c == '(' ? ')' : '}';
      IndexPart p{c == '(' ? IndexPart::Paren : IndexPart::Brace, 0, {}, {}};
      ++i;
      while (i < s.size() && s[i] != close) {
        if (s[i] == '?')
          ++p.count;
        else if (s[i] != ',' && s[i] != ' ')
          raise("Internal error: bad index text \"" + s + "\".");
        ++i;
      }
      if (i == s.size()) raise("Internal error: bad index text \"" + s + "\".");
      ++i;
      parts.push_back(std::move(p));
    } else if (c == '.') {
      IndexPart p{IndexPart::Field, 0, {}, {}};
      ++i;
      while (i < s.size() && s[i] != '.' && s[i] != '(' && s[i] != '{') p.name += s[i++];
      if (p.name.empty()) raise("Internal error: bad index text \"" + s + "\".");
      parts.push_back(std::move(p));
    } else {
      raise("Internal error: bad index text \"" + s + "\".");
    }
  }
  return parts;
}

// The name in an index text that is one field reference (".name"), or null.
const char* singleFieldName(const char* text) {
  if (!text || text[0] != '.' || !text[1] || std::strpbrk(text + 1, ".({") != nullptr)
    return nullptr;
  return text + 1;
}

// Takes the subscripts of every part from the argument list; a list handle
// (subs{:}) gives one subscript per element.
void takeSubscripts(std::vector<IndexPart>& parts, va_list ap, CallInputs& in) {
  for (auto& p : parts)
    for (std::size_t k = 0; k < p.count; ++k) {
      mxArray* h = va_arg(ap, mxArray*);
      in.add(h);
      appendArgument(h, p.subs);
    }
}

// A single value from a reference that may yield a list: a value context
// takes the first one.
Value single(ValueList list) {
  if (list.empty()) raise(msg::kIndexExceeds);
  return std::move(list.front());
}

Value refPart(const Value& v, const IndexPart& p) {
  switch (p.kind) {
    case IndexPart::Paren:
      return indexRef(v, p.subs);
    case IndexPart::Brace:
      return single(braceRef(v, p.subs));
    case IndexPart::Field:
      return single(fieldRef(v, p.name));
  }
  return v;
}

// The current value at a step of an assignment chain, or a placeholder when
// it does not exist yet (so that the assignment creates it).
Value currentOrPlaceholder(const Value& v, const IndexPart& p) {
  if (v.isPlaceholder()) return Value();
  if (p.kind == IndexPart::Field && v.isStruct() && v.fieldIndex(p.name) < 0) return Value();
  if (p.kind == IndexPart::Field && v.isDouble() && v.isEmpty()) return Value();
  if (p.kind != IndexPart::Field) {
    if (v.isDouble() && v.isEmpty()) return Value();
    try {
      return refPart(v, p);
    } catch (const MError&) {
      return Value();  // beyond the end: the assignment grows the array
    }
  }
  return refPart(v, p);
}

void putPart(Value& v, const IndexPart& p, const Value& inner) {
  switch (p.kind) {
    case IndexPart::Paren:
      indexAssign(v, p.subs, inner);
      break;
    case IndexPart::Brace:
      braceAssign(v, p.subs, inner);
      break;
    case IndexPart::Field:
      fieldAssign(v, p.name, inner);
      break;
  }
}

void assignChain(Value& v, const std::vector<IndexPart>& parts, std::size_t k, const Value& rhs,
                 bool del) {
  const IndexPart& p = parts[k];
  if (k + 1 == parts.size()) {
    if (del) {
      if (p.kind != IndexPart::Paren) raise("Only parenthesis indexing can delete elements.");
      indexDelete(v, p.subs);
    } else {
      putPart(v, p, rhs);
    }
    return;
  }
  Value inner = currentOrPlaceholder(v, p);
  assignChain(inner, parts, k + 1, rhs, del);
  putPart(v, p, inner);
}

// The variable behind a destination slot, created when the slot is empty.
Value& slotValue(mxArray** dest) {
  if (!dest) raise("Internal error: null assignment destination.");
  if (!*dest) *dest = newHandle(Value(), false);
  unshareForWrite(dest);
  return (*dest)->v;
}

// Runs an assignment on the variable behind dest in place: the value is
// taken out of its handle for the duration, so that writing into it does not
// copy data it would otherwise share with the handle. When the assignment
// raises an error (all checks come before any write) the value goes back.
template <typename F>
void assignInPlace(mxArray** dest, F&& assign) {
  Value& slot = slotValue(dest);
  Value t = std::move(slot);
  try {
    assign(t);
  } catch (...) {
    slot = std::move(t);
    throw;
  }
  slot = std::move(t);
}

Value intIndex(int i) { return Value::scalar(static_cast<double>(i)); }

// The subscripts of a call, each copied once into the inline list (a copy
// because a subscript may be the variable an assignment writes).
template <typename... V>
Subscripts subscriptsOf(V&&... v) {
  Subscripts s;
  (s.push_back(std::forward<V>(v)), ...);
  return s;
}

// An indexed assignment into dest from the value of src: src is read where
// it stands, unless it is the very variable being written, which is moved
// out of its handle for the assignment and so is copied first.
template <typename F>
void assignFrom(mxArray** dest, mxArray* src, F&& assign) {
  if (dest && src == *dest) {
    const Value v = valueOf(src);
    assignInPlace(dest, [&](Value& t) { assign(t, v); });
  } else {
    const Value& v = valueOf(src);
    assignInPlace(dest, [&](Value& t) { assign(t, v); });
  }
}

// a(k) for a real double array and a whole k within it: the element, with
// the array's logical flag. Null for anything else, which takes the general
// path (and its checks and messages).
mxArray* elementRef(CallInputs& in, mxArray* a, double k) {
  if (!a) return nullptr;
  const Value& v = a->v;
  if (!v.isDouble() || v.isComplex() || !(k >= 1) || k > static_cast<double>(v.numel()) ||
      k != static_cast<double>(static_cast<std::size_t>(k)))
    return nullptr;
  Value r = Value::scalar(v.re()[static_cast<std::size_t>(k) - 1]);
  r.setLogical(v.isLogical());
  return in.result(std::move(r));
}

}  // namespace
}  // namespace kh

extern "C" {

mxArray* mclArrayRef1(mxArray* a, mxArray* i) {
  kh::CallInputs in(a, i);
  if (const double* k = kh::realScalar(i); k && !kh::valueOf(i).isLogical())
    if (mxArray* r = kh::elementRef(in, a, *k)) return r;
  return in.result(kh::indexRef(kh::valueOf(a), kh::subscriptsOf(kh::valueOf(i))));
}

mxArray* mclArrayRef2(mxArray* a, mxArray* i, mxArray* j) {
  kh::CallInputs in(a, i, j);
  return in.result(kh::indexRef(kh::valueOf(a), kh::subscriptsOf(kh::valueOf(i), kh::valueOf(j))));
}

mxArray* mclIntArrayRef1(mxArray* a, int i) {
  kh::CallInputs in(a);
  if (mxArray* r = kh::elementRef(in, a, static_cast<double>(i))) return r;
  return in.result(kh::indexRef(kh::valueOf(a), kh::subscriptsOf(kh::intIndex(i))));
}

mxArray* mclIntArrayRef2(mxArray* a, int i, int j) {
  kh::CallInputs in(a);
  return in.result(
      kh::indexRef(kh::valueOf(a), kh::subscriptsOf(kh::intIndex(i), kh::intIndex(j))));
}

void mclArrayAssign1(mxArray** dest, mxArray* src, mxArray* i) {
  kh::CallInputs in(src, i);
  const kh::Subscripts subs = kh::subscriptsOf(kh::valueOf(i));
  kh::assignFrom(dest, src, [&](kh::Value& t, const kh::Value& v) { kh::indexAssign(t, subs, v); });
}

void mclArrayAssign2(mxArray** dest, mxArray* src, mxArray* i, mxArray* j) {
  kh::CallInputs in(src, i, j);
  const kh::Subscripts subs = kh::subscriptsOf(kh::valueOf(i), kh::valueOf(j));
  kh::assignFrom(dest, src, [&](kh::Value& t, const kh::Value& v) { kh::indexAssign(t, subs, v); });
}

void mclIntArrayAssign1(mxArray** dest, mxArray* src, int i) {
  kh::CallInputs in(src);
  const kh::Subscripts subs = kh::subscriptsOf(kh::intIndex(i));
  kh::assignFrom(dest, src, [&](kh::Value& t, const kh::Value& v) { kh::indexAssign(t, subs, v); });
}

int mclLengthInt(mxArray* a) {
  kh::CallInputs in(a);
  return static_cast<int>(kh::valueOf(a).length());
}

mxArray* mlfIndexRef(mxArray* a, const char* index_string, ...) {
  kh::CallInputs in(a);
  if (const char* name = kh::singleFieldName(index_string)) {
    // s.name of a single structure that has the field.
    const kh::Value& v = kh::valueOf(a);
    const int f = v.isStruct() && v.numel() == 1 ? v.fieldIndex(name) : -1;
    if (f >= 0) return kh::newTemp(v.fieldAt(0, static_cast<std::size_t>(f)));
  }
  if (index_string && std::strcmp(index_string, "{?}") == 0) {
    // c{:} of a whole cell: every element, in column order, as a list.
    va_list ap;
    va_start(ap, index_string);
    mxArray* s = va_arg(ap, mxArray*);
    va_end(ap);
    const kh::Value& v = kh::valueOf(a);
    if (s && !kh::isListHandle(s) && v.isCell() && kh::isColonIndex(s->v)) {
      in.add(s);
      if (v.numel() == 1) return kh::newTemp(v.cellAt(0));
      return kh::newListTemp(v);
    }
  }
  auto parts = kh::parseIndexText(index_string);
  va_list ap;
  va_start(ap, index_string);
  kh::takeSubscripts(parts, ap, in);
  va_end(ap);
  kh::Value v = kh::valueOf(a);
  for (std::size_t k = 0; k + 1 < parts.size(); ++k) v = kh::refPart(v, parts[k]);
  if (parts.empty()) return kh::newTemp(std::move(v));
  // The last step may yield several values (c{:}, s.name of an array): a list.
  const kh::IndexPart& last = parts.back();
  if (last.kind == kh::IndexPart::Paren) return kh::newTemp(kh::indexRef(v, last.subs));
  kh::ValueList list =
      last.kind == kh::IndexPart::Brace ? kh::braceRef(v, last.subs) : kh::fieldRef(v, last.name);
  if (list.size() == 1) return kh::newTemp(std::move(list.front()));
  return kh::newListTemp(std::move(list));
}

void mlfIndexAssign(mxArray** dest, const char* index_string, ...) {
  kh::CallInputs in;
  if (const char* name = kh::singleFieldName(index_string)) {
    // s.name = v
    va_list ap;
    va_start(ap, index_string);
    mxArray* src = va_arg(ap, mxArray*);
    va_end(ap);
    in.add(src);
    kh::assignFrom(dest, src,
                   [&](kh::Value& t, const kh::Value& rhs) { kh::fieldAssign(t, name, rhs); });
    return;
  }
  auto parts = kh::parseIndexText(index_string);
  va_list ap;
  va_start(ap, index_string);
  kh::takeSubscripts(parts, ap, in);
  mxArray* src = va_arg(ap, mxArray*);
  va_end(ap);
  in.add(src);
  kh::assignFrom(dest, src, [&](kh::Value& t, const kh::Value& rhs) {
    if (parts.empty())
      t = rhs;
    else
      kh::assignChain(t, parts, 0, rhs, false);
  });
}

void mlfIndexDelete(mxArray** dest, const char* index_string, ...) {
  kh::CallInputs in;
  auto parts = kh::parseIndexText(index_string);
  va_list ap;
  va_start(ap, index_string);
  kh::takeSubscripts(parts, ap, in);
  va_end(ap);
  if (parts.empty()) kh::raise("Internal error: deletion needs an index.");
  kh::assignInPlace(dest, [&](kh::Value& t) { kh::assignChain(t, parts, 0, kh::Value(), true); });
}

mxArray* mlfColon(mxArray* a, mxArray* b, mxArray* c) {
  kh::CallInputs in(a, b, c);
  if (!c) return kh::newTemp(kh::colon(kh::valueOf(a), kh::valueOf(b)));
  return kh::newTemp(kh::colon(kh::valueOf(a), kh::valueOf(b), kh::valueOf(c)));
}

mxArray* mlfCreateColonIndex(void) {
  // Every colon subscript shares the data of this one.
  static const kh::Value colon = kh::colonIndex();
  return kh::newTemp(colon);
}

mxArray* mlfEnd(mxArray* a, mxArray* k, mxArray* n) {
  kh::CallInputs in(a, k, n);
  const double kk = kh::scalarArg(kh::valueOf(k), "end position");
  const double nn = kh::scalarArg(kh::valueOf(n), "subscript count");
  if (kk < 1 || nn < 1 || kk > nn) kh::raise("Internal error: bad 'end' position.");
  const std::size_t e =
      kh::endOf(kh::valueOf(a), static_cast<std::size_t>(kk) - 1, static_cast<std::size_t>(nn));
  return kh::newTemp(kh::Value::scalar(static_cast<double>(e)));
}

}  // extern "C"
