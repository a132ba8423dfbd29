#include "host/kernels/arrays/query.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/core/errors.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::C;
using test::data;
using test::M;
using test::R;
using test::S;
using test::T;

TEST(Size, VectorAndOutputs) {
  const Value a = Value::numeric({2, 3, 4});
  EXPECT_EQ(data(sizeVector(a)), (std::vector<double>{2, 3, 4}));
  EXPECT_EQ(data(sizeVector(Value::empty())), (std::vector<double>{0, 0}));
  EXPECT_EQ(sizeAlong(a, 2), 4u);
  EXPECT_EQ(sizeAlong(a, 5), 1u);
  EXPECT_EQ(sizeOutput(a, 0, 2), 2);
  EXPECT_EQ(sizeOutput(a, 1, 2), 12);  // the last output absorbs the rest
  EXPECT_EQ(sizeOutput(a, 3, 4), 1);
}

struct EqualCase {
  const char* name;
  Value a, b;
  bool equal;
};

class IsEqualTest : public ::testing::TestWithParam<EqualCase> {};

TEST_P(IsEqualTest, Compares) {
  const auto& c = GetParam();
  EXPECT_EQ(isEqual(c.a, c.b), c.equal);
  EXPECT_EQ(isEqual(c.b, c.a), c.equal);
}

Value cellOf(Value v) {
  Value c = Value::cell({1, 1});
  c.mutCellAt(0) = std::move(v);
  return c;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsEqualTest,
    ::testing::Values(EqualCase{"same", R({1, 2}), R({1, 2}), true},
                      EqualCase{"shape_differs", R({1, 2}), C({1, 2}), false},
                      EqualCase{"value_differs", R({1, 2}), R({1, 3}), false},
                      EqualCase{"char_vs_code", T("a"), S(97), true},
                      EqualCase{"texts", T("notransp"), T("notransp"), true},
                      EqualCase{"texts_differ", T("notransp"), T("transp"), false},
                      EqualCase{"text_shapes_differ", T("ab"), Value::chars({2, 1}), false},
                      EqualCase{"empty_text_vs_empty", Value::chars({0, 0}), Value::empty(), true},
                      EqualCase{"logical_vs_double", Value::logicalScalar(true), S(1), true},
                      EqualCase{"nan_never_equal", S(NAN), S(NAN), false},
                      EqualCase{"complex", Value::complexScalar(1, 2), S(1), false},
                      EqualCase{"empties", Value::empty(), Value::empty(), true},
                      EqualCase{"empty_sizes_differ", Value::empty(), Value::numeric({1, 0}),
                                false},
                      EqualCase{"cells", cellOf(T("x")), cellOf(T("x")), true},
                      EqualCase{"cells_differ", cellOf(T("x")), cellOf(T("y")), false},
                      EqualCase{"cell_vs_number", cellOf(S(1)), S(1), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Predicates, ClassesAndText) {
  EXPECT_TRUE(isA(S(1), "numeric"));
  EXPECT_TRUE(isA(S(1), "double"));
  EXPECT_TRUE(isA(S(1), "float"));
  EXPECT_FALSE(isA(T("a"), "numeric"));
  EXPECT_TRUE(isA(T("a"), "char"));
  EXPECT_TRUE(isA(Value::cell({1, 1}), "cell"));
  EXPECT_TRUE(isA(Value::structArray({1, 1}, {}), "struct"));
  EXPECT_FALSE(isA(Value(), "double"));
  EXPECT_TRUE(isReal(S(1)));
  EXPECT_FALSE(isReal(Value::complexScalar(0, 1)));
  EXPECT_FALSE(isReal(Value::cell({1, 1})));

  EXPECT_EQ(strcmpValue(T("abc"), T("abc")).at(0), 1);
  EXPECT_TRUE(strcmpValue(T("abc"), T("abc")).isLogical());
  EXPECT_EQ(strcmpValue(T("abc"), T("ab")).at(0), 0);
  EXPECT_EQ(strcmpValue(T("a"), S(97)).at(0), 0);  // numbers are not text
  EXPECT_EQ(strcmpValue(T(""), Value::chars({1, 0})).at(0), 1);
  Value c = Value::cell({1, 2});
  c.mutCellAt(0) = T("on");
  c.mutCellAt(1) = T("off");
  EXPECT_EQ(data(strcmpValue(c, T("off"))), (std::vector<double>{0, 1}));
}

TEST(Truth, Values) {
  EXPECT_TRUE(truthValue(R({1, 2})));
  EXPECT_FALSE(truthValue(R({1, 0})));
  EXPECT_FALSE(truthValue(Value::empty()));
  EXPECT_TRUE(truthValue(Value::complexScalar(0, 1)));
  EXPECT_TRUE(truthValue(T("a")));
  EXPECT_THROW(truthValue(Value::cell({1, 1})), MError);
}

}  // namespace
}  // namespace kh
