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
#include "host/context/warnings.h"
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
      // Where the by-name reader and the C entry point once answered
      // differently, one answer is kept for both.
      {"char() is the 0-by-0 text",
       "char",
       1,
       {},
       [](std::vector<mxArray*>&, int) { return one(mlfChar(nullptr)); }},
      {"char of a number and a text",
       "char",
       1,
       {Value::scalar(65), str("bc")},
       [](std::vector<mxArray*>& h, int) { return one(mlfChar(h[0], h[1], nullptr)); }},
      {"error([]) raises nothing",
       "error",
       0,
       {empty},
       [](std::vector<mxArray*>& h, int) {
         mlfError(h[0]);
         return ValueList{};
       }},
      {"error('') raises nothing",
       "error",
       0,
       {str("")},
       [](std::vector<mxArray*>& h, int) {
         mlfError(h[0]);
         return ValueList{};
       }},
      {"error of a number",
       "error",
       0,
       {Value::scalar(3)},
       [](std::vector<mxArray*>& h, int) {
         mlfError(h[0]);
         return ValueList{};
       }},
      {"error of a text",
       "error",
       0,
       {str("Bad %d")},
       [](std::vector<mxArray*>& h, int) {
         mlfError(h[0]);
         return ValueList{};
       }},
      {"warning's state with no input",
       "warning",
       1,
       {},
       [](std::vector<mxArray*>&, int) { return one(mlfNWarning(1, nullptr)); }},
      {"warning with a format",
       "warning",
       1,
       {str("w %d"), Value::scalar(4)},
       [](std::vector<mxArray*>& h, int) { return one(mlfNWarning(1, h[0], h[1], nullptr)); }},
      {"sprintf needs a text for its format",
       "sprintf",
       1,
       {empty},
       [](std::vector<mxArray*>& h, int) { return one(mlfSprintf(nullptr, h[0], nullptr)); }},
      {"sprintf with the message output",
       "sprintf",
       2,
       {str("%d-%d"), Value::scalar(1), Value::scalar(2)},
       [](std::vector<mxArray*>& h, int) {
         mxArray* msg = nullptr;
         ValueList out = one(mlfSprintf(&msg, h[0], h[1], h[2], nullptr));
         out.push_back(take(msg));
         return out;
       }},
      {"sscanf needs a text",
       "sscanf",
       1,
       {empty, str("%d")},
       [](std::vector<mxArray*>& h, int) {
         return one(mlfSscanf(nullptr, nullptr, nullptr, h[0], h[1], nullptr));
       }},
      {"sscanf with an empty size",
       "sscanf",
       2,
       {str("1 2 3"), str("%d"), empty},
       [](std::vector<mxArray*>& h, int) {
         mxArray* count = nullptr;
         ValueList out = one(mlfSscanf(&count, nullptr, nullptr, h[0], h[1], h[2]));
         out.push_back(take(count));
         return out;
       }},
      {"qr with three outputs is refused",
       "qr",
       3,
       {m},
       [](std::vector<mxArray*>& h, int) {
         mxArray *r = nullptr, *e = nullptr;
         ValueList out = one(mlfQr(&r, &e, h[0], nullptr));
         out.push_back(take(r));
         out.push_back(take(e));
         return out;
       }},
      {"lu with the threshold 1",
       "lu",
       2,
       {m, Value::scalar(1)},
       [](std::vector<mxArray*>& h, int) {
         mxArray* u = nullptr;
         ValueList out = one(mlfLu(&u, nullptr, h[0], h[1]));
         out.push_back(take(u));
         return out;
       }},
      {"lu with another threshold",
       "lu",
       2,
       {m, Value::scalar(0.5)},
       [](std::vector<mxArray*>& h, int) {
         mxArray* u = nullptr;
         ValueList out = one(mlfLu(&u, nullptr, h[0], h[1]));
         out.push_back(take(u));
         return out;
       }},
      {"diag with a matrix for k",
       "diag",
       1,
       {row, m},
       [](std::vector<mxArray*>& h, int) { return one(mlfDiag(h[0], h[1])); }},
      {"ismember with a flag that is not a text",
       "ismember",
       1,
       {row, row, Value::scalar(1)},
       [](std::vector<mxArray*>& h, int) { return one(mlfIsmember(h[0], h[1], h[2])); }},
      {"ishandle with two inputs is refused",
       "ishandle",
       1,
       {Value::scalar(0), Value::scalar(0)},
       [](std::vector<mxArray*>& h, int) { return one(mlfIshandle(h[0], h[1], nullptr)); }},
      {"set with an output is refused",
       "set",
       1,
       {Value::scalar(0), str("Units"), str("pixels")},
       [](std::vector<mxArray*>& h, int) { return one(mlfNSet(1, h[0], h[1], h[2], nullptr)); }},
      {"filter with the final state",
       "filter",
       2,
       {Value::scalar(1), Value::row({1, -0.5}), row},
       [](std::vector<mxArray*>& h, int) {
         mxArray* zf = nullptr;
         ValueList out = one(mlfFilter(&zf, h[0], h[1], h[2], nullptr, nullptr));
         out.push_back(take(zf));
         return out;
       }},
      {"svd with all three factors",
       "svd",
       3,
       {m},
       [](std::vector<mxArray*>& h, int) {
         mxArray *s = nullptr, *v = nullptr;
         ValueList out = one(mlfSvd(&s, &v, h[0], nullptr));
         out.push_back(take(s));
         out.push_back(take(v));
         return out;
       }},
      {"conv2 with a shape",
       "conv2",
       1,
       {m, Value::row({1, 1}), str("same")},
       [](std::vector<mxArray*>& h, int) { return one(mlfConv2(h[0], h[1], h[2], nullptr)); }},
      {"zeros with a class name",
       "zeros",
       1,
       {Value::scalar(2), str("single")},
       [](std::vector<mxArray*>& h, int) { return one(mlfZeros(h[0], h[1], nullptr)); }},
      {"reshape with an inferred count",
       "reshape",
       1,
       {m, empty, Value::scalar(2)},
       [](std::vector<mxArray*>& h, int) { return one(mlfReshape(h[0], h[1], h[2], nullptr)); }},
      {"abs of a temporary",
       "abs",
       1,
       {Value::row({-1, 2, -3})},
       [](std::vector<mxArray*>& h, int) { return one(mlfAbs(h[0])); }},
      {"strmatch with a bad flag",
       "strmatch",
       1,
       {str("a"), str("ab"), str("first")},
       [](std::vector<mxArray*>& h, int) { return one(mlfStrmatch(h[0], h[1], h[2])); }},
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

// lasterr(text) makes text the last error's message, by name and through
// the C entry point alike, and gives the message before.
TEST(Doors, LasterrSetsTheLastError) {
  auto str = [](const char* s) { return Value::str(std::string_view(s)); };
  ValueList args{str("first")};
  kh::callBuiltin(*kh::findBuiltin("lasterr"), 1, args);
  EXPECT_EQ(take(mlfLasterr(kh::newTemp(str("second")))).utf8(), "first");
  EXPECT_EQ(take(mlfLasterr(nullptr)).utf8(), "second");
}

// warning('off') and warning('on') turn the warnings off and on as a whole:
// an identifier turned off stays off, whichever door turns them back on.
TEST(Doors, WarningOnLeavesIdentifiersOff) {
  auto str = [](const char* s) { return Value::str(std::string_view(s)); };
  auto byName = [](ValueList args, int nargout) {
    return kh::callBuiltin(*kh::findBuiltin("warning"), nargout, args);
  };
  const bool was = kh::warningsOn();
  for (bool throughC : {false, true}) {
    SCOPED_TRACE(throughC ? "through the C door" : "by name");
    byName({str("off"), str("doors:test:quiet")}, 0);
    ValueList before;
    if (throughC) {
      before.push_back(take(mlfNWarning(1, kh::newTemp(str("off")), nullptr)));
      mxDestroyArray(mlfNWarning(1, kh::newTemp(str("on")), nullptr));
    } else {
      before = byName({str("off")}, 1);
      byName({str("on")}, 0);
    }
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].utf8(), "on");
    EXPECT_TRUE(kh::warningsOn());
    EXPECT_FALSE(kh::warningOn("doors:test:quiet"));
    byName({str("on"), str("doors:test:quiet")}, 0);
    EXPECT_TRUE(kh::warningOn("doors:test:quiet"));
  }
  kh::setWarningsOn(was);
}

}  // namespace
