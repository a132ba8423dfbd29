// C entry points of the numerics: formatted text, try contexts, the
// factorizations and the text helpers, with temporaries accounted for.
#include <gtest/gtest.h>

#include "host/context/context.h"
#include "host/context/output.h"
#include "host/core/errors.h"
#include "host/values/handle.h"
#include "runtime/builtins.h"
#include "runtime/calls.h"
#include "runtime/control.h"
#include "runtime/indexing.h"
#include "runtime/lifetime.h"
#include "runtime/operators.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::data;

mxArray* num(double v) { return newTemp(Value::scalar(v)); }
mxArray* row(std::vector<double> v) { return newTemp(Value::row(v)); }
mxArray* text(const char* s) { return newTemp(Value::str(std::string_view(s))); }
mxArray* mat(Value v) { return newTemp(std::move(v)); }

Value take(mxArray* a) {
  Value v = valueOf(a);
  destroyHandle(a);
  return v;
}
std::string takeText(mxArray* a) { return take(a).utf8(); }

class NumericsCApi : public ::testing::Test {
 protected:
  void SetUp() override { live_ = liveHandles(); }
  void TearDown() override { EXPECT_EQ(liveHandles(), live_) << "handles leaked"; }
  std::size_t live_ = 0;
};

struct SprintfCase {
  const char* format;
  std::vector<double> values;
  const char* want;
};

class Sprintf : public NumericsCApi, public ::testing::WithParamInterface<SprintfCase> {};

TEST_P(Sprintf, FormatsEveryElement) {
  const SprintfCase& c = GetParam();
  mxArray* r = c.values.empty() ? mlfSprintf(nullptr, text(c.format), nullptr)
                                : mlfSprintf(nullptr, text(c.format), row(c.values), nullptr);
  EXPECT_EQ(takeText(r), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Sprintf,
    ::testing::Values(
        SprintfCase{"%d,", {1, 2, 3}, "1,2,3,"}, SprintfCase{"%d %d\\n", {1, 2, 3}, "1 2\n3 "},
        SprintfCase{"%g", {0.0001}, "0.0001"}, SprintfCase{"%g", {1e10}, "1e+10"},
        SprintfCase{"%g", {123456789}, "1.23457e+08"},
        SprintfCase{"%5.1f|", {1, -22.25}, "  1.0|-22.2|"},
        SprintfCase{"%d", {2.5}, "2.500000e+00"}, SprintfCase{"%.1f", {-INFINITY}, "-Inf"},
        SprintfCase{"a\\tb\\\\", {}, "a\tb\\"}, SprintfCase{"%s|%s", {72, 2.5}, "H|2.500000e+00"},
        SprintfCase{"Polynomial is badly conditioned.\\n         Remove",
                    {},
                    "Polynomial is badly conditioned.\n         Remove"}));

TEST_F(NumericsCApi, SprintfMixesTextAndNumbersAndSetsNoError) {
  mxArray* err = nullptr;
  mxArray* r =
      mlfSprintf(&err, text("function %s\\nmust return a %d-by-%d matrix when flag == '%s'"),
                 text("afun"), num(3), num(2), text("transp"), nullptr);
  EXPECT_EQ(takeText(r), "function afun\nmust return a 3-by-2 matrix when flag == 'transp'");
  EXPECT_EQ(take(err).numel(), 0u);
}

TEST_F(NumericsCApi, FprintfWritesToTheCommandWindow) {
  OutputCapture out;
  EXPECT_EQ(mlfNFprintf(0, text("Unduplicate, rpt = %g\\n"), num(3), nullptr), nullptr);
  EXPECT_EQ(take(mlfNFprintf(1, num(1), text("%d;"), row({4, 5}), nullptr)).re()[0], 4.0);
  EXPECT_EQ(out.text(), "Unduplicate, rpt = 3\n4;5;");
  EXPECT_THROW(mlfNFprintf(0, num(7), text("x"), nullptr), MError);
}

TEST_F(NumericsCApi, TryContextRestoresStateAndRecordsTheError) {
  const std::size_t depth = contextDepth();
  const std::size_t live = liveHandles();
  setLastError("");
  mclEnterTryCatchContext();
  try {
    pushContext(1, 1);
    mxArray* orphan = mclPlus(num(1), num(2));  // a temporary nobody consumes
    (void)orphan;
    mlfError(text("inner failure"));
    FAIL() << "mlfError returned";
  } catch (...) {
    mclExitTryCatchContext();
  }
  EXPECT_EQ(contextDepth(), depth);
  EXPECT_EQ(liveHandles(), live);
  EXPECT_EQ(takeText(mlfLasterr(nullptr)), "inner failure");
}

TEST_F(NumericsCApi, TryContextOnTheNormalPathKeepsResults) {
  setLastError("earlier");
  mxArray* kept = nullptr;
  mclEnterTryCatchContext();
  try {
    kept = mclPlus(num(1), num(2));
    mclExitTryCatchContext();
  } catch (...) {
    mclExitTryCatchContext();
    FAIL();
  }
  EXPECT_EQ(take(kept).re()[0], 3.0);
  EXPECT_EQ(lastError(), "earlier");
}

TEST_F(NumericsCApi, NestedTryContextsUnwindToTheInnerOne) {
  const std::size_t depth = contextDepth();
  mclEnterTryCatchContext();
  pushContext(0, 0);
  mclEnterTryCatchContext();
  try {
    pushContext(0, 0);
    raise("deep");
  } catch (...) {
    mclExitTryCatchContext();
  }
  EXPECT_EQ(contextDepth(), depth + 1);
  mclExitTryCatchContext();
  popContext(0, 0);
  EXPECT_EQ(contextDepth(), depth);
}

TEST_F(NumericsCApi, QrAndLuThroughOutPointers) {
  mxArray* r = nullptr;
  Value a = test::M({{1, 1}, {1, 2}, {1, 3}});
  Value q = take(mlfQr(&r, nullptr, mat(a), num(0)));
  EXPECT_EQ(q.dims(), (Dims{3, 2}));
  EXPECT_EQ(take(r).dims(), (Dims{2, 2}));

  mxArray* u = nullptr;
  Value l = take(mlfLu(&u, nullptr, mat(test::M({{1, 2}, {2, 4}})), nullptr));
  EXPECT_EQ(data(take(u)), (std::vector<double>{2, 0, 4, 0}));
  EXPECT_EQ(data(l), (std::vector<double>{0.5, 1, 1, 0}));
  EXPECT_THROW(mlfQr(&r, nullptr, mat(test::M({{1}})), num(1)), MError);
}

TEST_F(NumericsCApi, DivisionOperators) {
  Value x = take(mlfMldivide(mat(test::M({{2, 0}, {0, 4}})), mat(test::C({2, 8}))));
  EXPECT_EQ(data(x), (std::vector<double>{1, 2}));
  Value y = take(mclMrdivide(row({2, 8}), mat(test::M({{2, 0}, {0, 4}}))));
  EXPECT_EQ(data(y), (std::vector<double>{1, 2}));
  EXPECT_THROW(mlfMldivide(mat(test::M({{1, 2}, {3, 4}})), row({1, 2, 3})), MError);
}

TEST_F(NumericsCApi, RandAndFilter) {
  Value r = take(mlfNRand(1, num(2), num(3), nullptr));
  EXPECT_EQ(r.dims(), (Dims{2, 3}));
  mxArray* zf = nullptr;
  Value y = take(mlfFilter(&zf, row({1}), row({1, -1}), row({1, 1, 1}), nullptr, nullptr));
  EXPECT_EQ(data(y), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(data(take(zf)), (std::vector<double>{3}));
}

TEST_F(NumericsCApi, CharDeblankIsmemberSscanf) {
  Value c = take(mlfChar(text("ab"), text("xyz"), row({72, 105}), nullptr));
  EXPECT_EQ(c.dims(), (Dims{3, 3}));
  EXPECT_EQ(c.rowUtf8(0), "ab ");
  EXPECT_EQ(c.rowUtf8(2), "Hi ");
  EXPECT_EQ(takeText(mlfDeblank(text("  pad \t  "))), "  pad \t");
  EXPECT_EQ(take(mlfDeblank(text("   "))).numel(), 0u);

  Value m = take(mlfIsmember(row({1, 5, 2, NAN}), row({2, 3, 1, NAN}), nullptr));
  EXPECT_TRUE(m.isLogical());
  EXPECT_EQ(data(m), (std::vector<double>{1, 0, 1, 0}));

  mxArray* count = nullptr;
  Value s = take(mlfSscanf(&count, nullptr, nullptr, text("1.5 -2 3e2"), text("%f"), nullptr));
  EXPECT_EQ(s.dims(), (Dims{3, 1}));
  EXPECT_EQ(data(s), (std::vector<double>{1.5, -2, 300}));
  EXPECT_EQ(take(count).re()[0], 3.0);
}

// A feval form that always fails, standing in for a user's function.
void failingForm(int, mxArray*[], int, mxArray*[]) { raise("Index exceeds matrix dimensions."); }

TEST_F(NumericsCApi, CaughtErrorOfAFunctionHandleIsReportedWithItsName) {
  // The body holds the handle in a variable (not a temporary).
  mxArray* afun = mclInitialize(mclCreateSimpleFunctionHandle(failingForm, "condestf"));
  std::string message;
  mclEnterTryCatchContext();
  try {
    mxArray* y = mlfFeval(nullptr, afun, text("dim"), num(1), nullptr);
    mclExitTryCatchContext();
    destroyHandle(y);
  } catch (...) {
    mclExitTryCatchContext();
    mxArray* formatted =
        mlfSprintf(nullptr, text("function %s\\nfailed with the following error:\\n\\n%s"),
                   mlfFunc2str(afun), mlfLasterr(nullptr), nullptr);
    message = takeText(formatted);
  }
  destroyHandle(afun);
  EXPECT_EQ(message,
            "function condestf\nfailed with the following error:\n\nIndex exceeds matrix "
            "dimensions.");
}

TEST_F(NumericsCApi, FieldAssignmentBuildsAStructureInOrder) {
  mxArray* s = nullptr;
  mlfIndexAssign(&s, ".R", mat(test::M({{1, 2}, {0, 3}})));
  mlfIndexAssign(&s, ".df", num(4));
  mlfIndexAssign(&s, ".normr", num(0.5));
  const Value& v = valueOf(s);
  ASSERT_TRUE(v.isStruct());
  EXPECT_EQ(v.dims(), (Dims{1, 1}));
  EXPECT_EQ(v.fieldNames(), (std::vector<std::string>{"R", "df", "normr"}));
  EXPECT_EQ(take(mlfIndexRef(s, ".df")).re()[0], 4.0);
  destroyHandle(s);
}

}  // namespace
}  // namespace kh
