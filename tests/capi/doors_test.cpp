// A built-in answers the same whichever door reaches it: by name (the
// command window, feval) and through the C entry point the library calls.
// Each case runs both ways and compares the outputs, or the error, exactly.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/builtins/registry.h"
#include "host/context/context.h"
#include "host/values/handle.h"
#include "runtime/runtime.h"
#include "tests/support/values.h"

namespace {

using kh::Value;
using kh::ValueList;

// An input of a C call: a value, or a null handle (absent).
using Input = std::optional<Value>;

struct Outcome {
  ValueList values;
  std::string error;
};

// Inputs as new temporaries, as the library passes results of other calls.
std::vector<mxArray*> handles(const std::vector<Input>& in) {
  std::vector<mxArray*> h;
  for (const Input& v : in) h.push_back(v ? kh::newTemp(Value(*v)) : nullptr);
  return h;
}

Outcome run(const std::function<ValueList()>& f) {
  Outcome o;
  if (!kh::protect([&] { o.values = f(); }, &o.error)) o.values.clear();
  return o;
}

Value take(mxArray* h) {
  if (!h) return Value();
  Value v = kh::valueOf(h);
  mxDestroyArray(h);
  return v;
}

struct Case {
  const char* what;
  const char* name;  // the built-in by name
  int nargout;
  std::vector<Input> in;  // by name an absent input is []
  // The C door, given the input handles and nargout.
  std::function<ValueList(std::vector<mxArray*>&, int)> c;
};

ValueList one(mxArray* r) { return {take(r)}; }

// [4 1 3; 2 5 6]
Value testMatrix() {
  Value m = Value::matrix(2, 3);
  const double d[] = {4, 2, 1, 5, 3, 6};
  for (std::size_t k = 0; k < 6; ++k) m.mutRe()[k] = d[k];
  return m;
}

// mlfMax/mlfMin: index out-pointer when two outputs are asked for.
ValueList extremeDoor(bool isMax, std::vector<mxArray*>& h, int nargout) {
  mxArray* index = nullptr;
  mxArray* y = h.size() > 1 ? h[1] : nullptr;
  mxArray* dim = h.size() > 2 ? h[2] : nullptr;
  mxArray* r = isMax ? mlfMax(nargout > 1 ? &index : nullptr, h[0], y, dim)
                     : mlfMin(nargout > 1 ? &index : nullptr, h[0], y, dim);
  ValueList out = one(r);
  if (nargout > 1) out.push_back(take(index));
  return out;
}

TEST(Doors, ByNameAndThroughTheCEntryPointAlike) {
  const Value row = Value::row({3, 1, 2});
  const Value m = testMatrix();
  const Value empty = Value::empty();
  const Value t = Value::logicalScalar(true);
  auto str = [](const char* s) { return Value::str(std::string_view(s)); };
  auto mx = [](bool isMax) {
    return [isMax](std::vector<mxArray*>& h, int n) { return extremeDoor(isMax, h, n); };
  };
  const std::vector<Case> cases = {
      {"max of a vector", "max", 2, {row}, mx(true)},
      {"max(x, []) is max(x)", "max", 1, {row, empty}, mx(true)},
      {"max(x, []) with the index", "max", 2, {row, empty}, mx(true)},
      {"max(1, []) is 1", "max", 1, {Value::scalar(1), empty}, mx(true)},
      {"max(x, [], 2)", "max", 2, {m, empty, Value::scalar(2)}, mx(true)},
      {"max(x, absent, 2)", "max", 2, {m, std::nullopt, Value::scalar(2)}, mx(true)},
      {"max of two arrays", "max", 1, {row, Value::row({2, 2, 2})}, mx(true)},
      {"max of two arrays, two outputs", "max", 2, {row, row}, mx(true)},
      {"max of two arrays and a dimension", "max", 1, {row, row, Value::scalar(1)}, mx(true)},
      {"max of arrays that disagree", "max", 1, {row, Value::row({1, 2})}, mx(true)},
      {"min(x, [], 1)", "min", 2, {m, empty, Value::scalar(1)}, mx(false)},
      {"min of a text and a number", "min", 1, {str("ab"), Value::scalar(98)}, mx(false)},
      {"diff with n = []",
       "diff",
       1,
       {row, empty, Value::scalar(2)},
       [](std::vector<mxArray*>& h, int) { return one(mlfDiff(h[0], h[1], h[2])); }},
      {"diff with n absent",
       "diff",
       1,
       {m, std::nullopt, Value::scalar(2)},
       [](std::vector<mxArray*>& h, int) { return one(mlfDiff(h[0], h[1], h[2])); }},
      {"diff of order 0",
       "diff",
       1,
       {row, Value::scalar(0)},
       [](std::vector<mxArray*>& h, int) { return one(mlfDiff(h[0], h[1], nullptr)); }},
      {"sum along a bad dimension",
       "sum",
       1,
       {row, Value::scalar(0.5)},
       [](std::vector<mxArray*>& h, int) { return one(mlfSum(h[0], h[1])); }},
      {"find with three outputs",
       "find",
       3,
       {m},
       [](std::vector<mxArray*>& h, int) {
         mxArray *c = nullptr, *v = nullptr;
         ValueList out = one(mlfFind(&c, &v, h[0]));
         out.push_back(take(c));
         out.push_back(take(v));
         return out;
       }},
      {"sort with the index",
       "sort",
       2,
       {row},
       [](std::vector<mxArray*>& h, int) {
         mxArray* i = nullptr;
         ValueList out = one(mlfSort(&i, h[0], nullptr));
         out.push_back(take(i));
         return out;
       }},
      {"isa(true, 'double') is false",
       "isa",
       1,
       {t, str("double")},
       [](std::vector<mxArray*>& h, int) { return one(mlfIsa(h[0], h[1])); }},
      {"isa(true, 'logical')",
       "isa",
       1,
       {t, str("logical")},
       [](std::vector<mxArray*>& h, int) { return one(mlfIsa(h[0], h[1])); }},
      {"isa(1, 'numeric')",
       "isa",
       1,
       {Value::scalar(1), str("numeric")},
       [](std::vector<mxArray*>& h, int) { return one(mlfIsa(h[0], h[1])); }},
      {"isa with a number for the class",
       "isa",
       1,
       {t, Value::scalar(1)},
       [](std::vector<mxArray*>& h, int) { return one(mlfIsa(h[0], h[1])); }},
      {"isequal of three",
       "isequal",
       1,
       {row, row, Value::row({3, 1, 2})},
       [](std::vector<mxArray*>& h, int) { return one(mlfIsequal(h[0], h[1], h[2], nullptr)); }},
      {"isequal of one",
       "isequal",
       1,
       {row},
       [](std::vector<mxArray*>& h, int) { return one(mlfIsequal(h[0], nullptr)); }},
      {"size along 3",
       "size",
       1,
       {m, Value::scalar(3)},
       [](std::vector<mxArray*>& h, int) { return one(mlfSize(nullptr, h[0], h[1])); }},
      {"size in three outputs",
       "size",
       3,
       {m},
       [](std::vector<mxArray*>& h, int) {
         mxArray *a = nullptr, *b = nullptr, *c = nullptr;
         mlfSize(mlfVarargout(&a, &b, &c, nullptr), h[0], nullptr);
         return ValueList{take(a), take(b), take(c)};
       }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const std::size_t live = kh::liveHandles();
    const Outcome byName = run([&] {
      ValueList args;
      for (const Input& v : k.in) args.push_back(v ? *v : Value::empty());
      ValueList out = kh::callBuiltin(*kh::findBuiltin(k.name), k.nargout, args);
      if (out.size() > static_cast<std::size_t>(std::max(k.nargout, 1)))
        out.resize(static_cast<std::size_t>(std::max(k.nargout, 1)));
      return out;
    });
    std::vector<mxArray*> h = handles(k.in);
    const Outcome throughC = run([&] { return k.c(h, k.nargout); });
    EXPECT_EQ(byName.error, throughC.error);
    ASSERT_EQ(byName.values.size(), throughC.values.size());
    for (std::size_t i = 0; i < byName.values.size(); ++i)
      EXPECT_EQ(kt::valueDifference(byName.values[i], throughC.values[i]), "") << "output " << i;
    EXPECT_EQ(kh::liveHandles(), live) << "the C door released every input";
  }
}

}  // namespace
