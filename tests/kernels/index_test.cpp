#include "host/kernels/arrays/index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "host/core/errors.h"
#include "host/kernels/messages.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::C;
using test::data;
using test::imagData;
using test::L;
using test::M;
using test::R;
using test::S;
using test::T;

struct RefCase {
  const char* name;
  Value a;
  Subscripts subs;
  Dims dims;
  std::vector<double> values;
};

class IndexRefTest : public ::testing::TestWithParam<RefCase> {};

TEST_P(IndexRefTest, ShapeAndValues) {
  const auto& c = GetParam();
  const Value r = indexRef(c.a, c.subs);
  EXPECT_EQ(r.dims(), c.dims);
  EXPECT_EQ(data(r), c.values);
}

const Value kMat = M({{1, 2, 3}, {4, 5, 6}});  // stored 1 4 2 5 3 6

Value logical(Value v) {
  v.setLogical(true);
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Orientation, IndexRefTest,
    ::testing::Values(
        RefCase{"row_by_column_index_stays_row", R({10, 20, 30}), {C({3, 1})}, {1, 2}, {30, 10}},
        RefCase{"column_by_row_index_stays_column", C({10, 20, 30}), {R({2, 3})}, {2, 1}, {20, 30}},
        RefCase{"matrix_takes_index_shape", kMat, {M({{1, 2}, {3, 4}})}, {2, 2}, {1, 2, 4, 5}},
        RefCase{"matrix_by_row_index", kMat, {R({1, 2})}, {1, 2}, {1, 4}},
        RefCase{"vector_by_matrix_index",
                R({10, 20, 30}),
                {M({{1, 2}, {2, 3}})},
                {2, 2},
                {10, 20, 20, 30}},
        RefCase{"scalar_takes_index_shape", S(7), {C({1, 1})}, {2, 1}, {7, 7}},
        RefCase{"colon_is_a_column", kMat, {colonIndex()}, {6, 1}, {1, 4, 2, 5, 3, 6}},
        RefCase{"text_colon_means_all", R({1, 2}), {T(":")}, {2, 1}, {1, 2}},
        RefCase{"logical_mask_on_matrix",
                kMat,
                {logical(M({{1, 0, 1}, {0, 1, 0}}))},
                {3, 1},
                {1, 5, 3}},
        RefCase{"logical_mask_on_row", R({1, 2, 3}), {L({0, 1, 1})}, {1, 2}, {2, 3}},
        RefCase{"empty_index_on_row", R({1, 2, 3}), {Value::empty()}, {1, 0}, {}},
        RefCase{"two_subscripts", kMat, {S(2), R({3, 1})}, {1, 2}, {6, 4}},
        RefCase{"reversed_rows", kMat, {R({2, 1}), colonIndex()}, {2, 3}, {4, 1, 5, 2, 6, 3}},
        RefCase{"folded_trailing_dims", kMat, {S(1), S(3)}, {1, 1}, {3}},
        RefCase{"extra_trailing_one", kMat, {S(2), S(2), S(1)}, {1, 1}, {5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IndexRef, NdArrayFoldsIntoLastSubscript) {
  Value a = Value::numeric({2, 2, 2});
  for (std::size_t i = 0; i < 8; ++i) a.mutRe()[i] = static_cast<double>(i + 1);
  EXPECT_EQ(indexRef(a, {S(1), S(4)}).at(0), 7);
  EXPECT_EQ(indexRef(a, {S(2), S(1), S(2)}).at(0), 6);
  EXPECT_EQ(indexRef(a, {colonIndex(), colonIndex(), S(2)}).dims(), (Dims{2, 2}));
}

struct ErrorCase {
  const char* name;
  Value a;
  Subscripts subs;
  const char* message;
};

class IndexErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(IndexErrorTest, Raises) {
  const auto& c = GetParam();
  try {
    indexRef(c.a, c.subs);
    FAIL() << "no error";
  } catch (const MError& e) {
    EXPECT_STREQ(e.what(), c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IndexErrorTest,
    ::testing::Values(ErrorCase{"beyond_end", R({1, 2}), {S(3)}, msg::kIndexExceeds},
                      ErrorCase{"zero", R({1, 2}), {S(0)}, msg::kIndexNotPositive},
                      ErrorCase{"negative", R({1, 2}), {S(-1)}, msg::kIndexNotPositive},
                      ErrorCase{"fraction", R({1, 2}), {S(1.5)}, msg::kIndexNotInteger},
                      ErrorCase{"nan", R({1, 2}), {S(NAN)}, msg::kIndexNotInteger},
                      ErrorCase{"column_beyond", kMat, {S(1), S(4)}, msg::kIndexExceeds},
                      ErrorCase{"empty_source", Value::empty(), {S(1)}, msg::kIndexExceeds}),
    [](const auto& info) { return std::string(info.param.name); });

struct AssignCase {
  const char* name;
  Value a;
  Subscripts subs;
  Value rhs;
  Dims dims;
  std::vector<double> values;
};

class IndexAssignTest : public ::testing::TestWithParam<AssignCase> {};

TEST_P(IndexAssignTest, Result) {
  const auto& c = GetParam();
  Value a = c.a;
  indexAssign(a, c.subs, c.rhs);
  EXPECT_EQ(a.dims(), c.dims);
  EXPECT_EQ(data(a), c.values);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IndexAssignTest,
    ::testing::Values(
        AssignCase{"placeholder_grows_row", Value(), {S(5)}, S(7), {1, 5}, {0, 0, 0, 0, 7}},
        AssignCase{"empty_grows_row", Value::empty(), {S(2)}, S(7), {1, 2}, {0, 7}},
        AssignCase{"row_grows", R({1, 2}), {S(4)}, S(9), {1, 4}, {1, 2, 0, 9}},
        AssignCase{"column_grows", C({1, 2}), {S(3)}, S(9), {3, 1}, {1, 2, 9}},
        AssignCase{"scalar_expansion", R({1, 2, 3}), {R({1, 3})}, S(0), {1, 3}, {0, 2, 0}},
        AssignCase{"logical_mask", R({1, 2, 3}), {L({1, 0, 1})}, R({8, 9}), {1, 3}, {8, 2, 9}},
        AssignCase{"shape_ignored_for_one_subscript",
                   R({1, 2, 3}),
                   {R({1, 2})},
                   C({5, 6}),
                   {1, 3},
                   {5, 6, 3}},
        AssignCase{"column_into_new_matrix",
                   Value(),
                   {R({1, 2}), S(3)},
                   C({4, 5}),
                   {2, 3},
                   {0, 0, 0, 0, 4, 5}},
        AssignCase{
            "widen_matrix", M({{1}, {2}}), {colonIndex(), S(2)}, C({3, 4}), {2, 2}, {1, 2, 3, 4}},
        AssignCase{"colon_on_empty_takes_rhs_extent",
                   Value::empty(),
                   {colonIndex(), S(1)},
                   C({1, 2, 3}),
                   {3, 1},
                   {1, 2, 3}},
        AssignCase{"grow_rows_keeps_layout", M({{1, 2}}), {S(2), S(1)}, S(3), {2, 2}, {1, 3, 2, 0}},
        AssignCase{"empty_rhs_deletes", R({1, 2, 3}), {S(2)}, Value::empty(), {1, 2}, {1, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IndexAssign, CountMismatchesAreErrors) {
  Value a = R({1, 2, 3});
  try {
    indexAssign(a, {R({1, 2})}, R({1, 2, 3}));
    FAIL();
  } catch (const MError& e) {
    EXPECT_STREQ(e.what(), msg::kAssignCount);
  }
  Value m = M({{1, 2}, {3, 4}});
  EXPECT_THROW(indexAssign(m, {S(5)}, S(1)), MError);  // a matrix cannot grow linearly
  EXPECT_THROW(indexAssign(m, {R({1, 2}), R({1, 2})}, R({1, 2, 3, 4})), MError);
  EXPECT_EQ(data(m), (std::vector<double>{1, 3, 2, 4}));  // untouched by the failures
}

TEST(IndexAssign, ClassRules) {
  Value t = Value();
  indexAssign(t, {S(3)}, T("a"));
  ASSERT_TRUE(t.isChar());
  EXPECT_EQ(t.chr()[0], 0);  // char growth fills with character 0
  EXPECT_EQ(t.chr()[2], u'a');

  Value s = T("abc");
  indexAssign(s, {S(2)}, S(65));
  EXPECT_EQ(s.utf8(), "aAc");

  Value d = R({1, 2});
  indexAssign(d, {S(1)}, T("a"));
  EXPECT_TRUE(d.isDouble());
  EXPECT_EQ(d.at(0), 97);

  Value c = Value::cell({1, 1});
  EXPECT_THROW(indexAssign(c, {S(2)}, S(1)), MError);

  Value z = R({1, 2});
  indexAssign(z, {S(2)}, Value::complexScalar(0, 1));
  EXPECT_TRUE(z.isComplex());
  indexAssign(z, {S(2)}, S(3));
  EXPECT_FALSE(z.isComplex());

  Value lg = L({1, 0});
  indexAssign(lg, {S(1)}, S(5));
  EXPECT_FALSE(lg.isLogical());
}

TEST(IndexAssign, CopiesDoNotShareWrites) {
  const Value a = R({1, 2, 3});
  Value b = a;
  indexAssign(b, {S(1)}, S(9));
  EXPECT_EQ(a.at(0), 1);
  EXPECT_EQ(b.at(0), 9);
}

struct DeleteCase {
  const char* name;
  Value a;
  Subscripts subs;
  Dims dims;
  std::vector<double> values;
};

class IndexDeleteTest : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(IndexDeleteTest, Result) {
  const auto& c = GetParam();
  Value a = c.a;
  indexDelete(a, c.subs);
  EXPECT_EQ(a.dims(), c.dims);
  EXPECT_EQ(data(a), c.values);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IndexDeleteTest,
    ::testing::Values(
        DeleteCase{"row", R({1, 2, 3, 4}), {R({1, 3})}, {1, 2}, {2, 4}},
        DeleteCase{"column_stays_column", C({1, 2, 3}), {S(2)}, {2, 1}, {1, 3}},
        DeleteCase{"matrix_becomes_row", kMat, {S(1)}, {1, 5}, {4, 2, 5, 3, 6}},
        DeleteCase{"duplicates", R({1, 2, 3}), {R({2, 2})}, {1, 2}, {1, 3}},
        DeleteCase{"nothing", R({1, 2, 3}), {Value::empty()}, {1, 3}, {1, 2, 3}},
        DeleteCase{"all", R({1, 2, 3}), {colonIndex()}, {0, 0}, {}},
        DeleteCase{"whole_row", kMat, {S(1), colonIndex()}, {1, 3}, {4, 5, 6}},
        DeleteCase{"whole_columns", kMat, {colonIndex(), R({1, 3})}, {2, 1}, {2, 5}},
        DeleteCase{"first_half_of_window", R({1, 2, 3, 4, 5}), {R({1, 2})}, {1, 3}, {3, 4, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IndexDelete, Errors) {
  Value a = kMat;
  EXPECT_THROW(indexDelete(a, {S(1), S(1)}), MError);
  Value r = R({1, 2});
  try {
    indexDelete(r, {S(3)});
    FAIL();
  } catch (const MError& e) {
    EXPECT_STREQ(e.what(), msg::kDeleteRange);
  }
}

TEST(CellsAndStructs, BracesAndFields) {
  Value c;
  braceAssign(c, {S(2)}, T("two"));
  ASSERT_TRUE(c.isCell());
  EXPECT_EQ(c.dims(), (Dims{1, 2}));
  EXPECT_TRUE(c.cellAt(0).isEmpty());
  auto list = braceRef(c, {colonIndex()});
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].utf8(), "two");
  EXPECT_THROW(braceRef(S(1), {S(1)}), MError);
  // With no subscripts the braces name the whole cell: one cell is filled,
  // a cell of any other size is refused and left as it was.
  Value one = Value::cell({1, 1});
  braceAssign(one, {}, S(7));
  EXPECT_EQ(one.cellAt(0).at(0), 7);
  for (Value many : {c, Value()}) {
    const std::size_t before = many.numel();
    EXPECT_THROW(braceAssign(many, {}, S(7)), MError);
    EXPECT_EQ(many.numel(), before);
  }

  Value s;
  fieldAssign(s, "R", M({{1, 2}}));
  fieldAssign(s, "df", S(3));
  ASSERT_TRUE(s.isStruct());
  EXPECT_EQ(fieldRef(s, "df")[0].at(0), 3);
  EXPECT_EQ(fieldRef(s, "R")[0].numel(), 2u);
  EXPECT_THROW(fieldRef(s, "nope"), MError);
  EXPECT_THROW(fieldRef(S(1), "R"), MError);
}

// Subscripts that are ranges (1:n, n:-1:1, a:2:b), lists and masks must pick
// the same elements; every form is checked against picking them one by one.
std::vector<double> pickOneByOne(const Value& a, const std::vector<double>& positions) {
  std::vector<double> out;
  for (double p : positions) out.push_back(indexRef(a, {S(p)}).at(0));
  return out;
}

bool isEqualData(const Value& x, const Value& y) {
  if (x.dims() != y.dims()) return false;
  for (std::size_t i = 0; i < x.numel(); ++i)
    if (x.cat(i) != y.cat(i)) return false;
  return true;
}

Value ramp(std::size_t n) {
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = 10.0 * static_cast<double>(i + 1);
  return C(v);
}

TEST(IndexRanges, RangesListsAndMasksPickTheSameElements) {
  const Value a = ramp(50);
  const std::vector<std::vector<double>> forms = {
      {1, 2, 3, 4, 5},       // ascending run
      {50, 49, 48},          // descending run
      {3, 5, 7, 9, 11},      // step 2
      {40, 30, 20, 10},      // step -10
      {7, 7, 7},             // step 0
      {9},                   // single
      {4, 2},                // two elements
      {1, 2, 4, 8, 16, 32},  // no progression
      {5, 6, 7, 9},          // progression broken at the end
  };
  for (const auto& f : forms) {
    EXPECT_EQ(data(indexRef(a, {R(f)})), pickOneByOne(a, f));
    EXPECT_EQ(data(indexRef(a, {R(f), S(1)})), pickOneByOne(a, f));
  }
  // Complex and text sources take the same positions.
  Value z = a;
  z.mutIm()[3] = 1;
  const Value zr = indexRef(z, {R({3, 4, 5})});
  EXPECT_EQ(imagData(zr), (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(indexRef(T("abcdef"), {R({6, 5, 4})}).utf8(), "fed");
  EXPECT_EQ(indexRef(T("abcdef"), {R({2, 3})}).utf8(), "bc");
}

TEST(IndexRanges, RandomSubscriptsAgreeWithElementByElement) {
  // Lists, runs with any step (zero and negative included), fractions and
  // positions past the end, on real and complex rows: references and
  // assignments against the same positions taken one at a time.
  std::mt19937 g(9);
  auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(g); };
  for (int iter = 0; iter < 3000; ++iter) {
    const auto n = static_cast<std::size_t>(pick(0, 12));
    Value a = Value::numeric({1, n}, pick(0, 3) == 0);
    for (std::size_t i = 0; i < n; ++i) {
      a.mutRe()[i] = pick(-5, 5);
      if (a.isComplex()) a.mutIm()[i] = pick(-2, 2);
    }
    const auto m = static_cast<std::size_t>(pick(0, 8));
    const int kind = pick(0, 3), start = pick(-1, static_cast<int>(n) + 1), step = pick(-3, 3);
    std::vector<double> s(m);
    for (std::size_t i = 0; i < m; ++i)
      s[i] = kind == 0 ? pick(0, static_cast<int>(n) + 1) : start + static_cast<int>(i) * step;
    if (kind == 3 && m) s[static_cast<std::size_t>(pick(0, static_cast<int>(m) - 1))] += 0.5;

    bool badRef = false, badAssign = false;
    std::size_t grown = n;
    for (double v : s) {
      badAssign |= !(v >= 1 && v == std::floor(v));
      badRef |= !(v >= 1 && v == std::floor(v) && v <= static_cast<double>(n));
      if (v >= 1) grown = std::max(grown, static_cast<std::size_t>(v));
    }
    bool raised = false;
    Value r;
    try {
      r = indexRef(a, {R(s)});
    } catch (const MError&) {
      raised = true;
    }
    ASSERT_EQ(raised, badRef) << iter;
    if (!raised) {
      ASSERT_EQ(r.numel(), m);
      for (std::size_t i = 0; i < m; ++i)
        EXPECT_EQ(r.cat(i), a.cat(static_cast<std::size_t>(s[i]) - 1)) << iter;
    }

    Value t = a;
    std::vector<double> values(m);
    for (std::size_t i = 0; i < m; ++i) values[i] = 100.0 + static_cast<double>(i);
    raised = false;
    try {
      indexAssign(t, {R(s)}, R(values));
    } catch (const MError&) {
      raised = true;
    }
    ASSERT_EQ(raised, badAssign) << iter;
    if (raised) {
      EXPECT_TRUE(isEqualData(t, a)) << iter;  // untouched
    } else if (m) {
      std::vector<std::complex<double>> want(grown, 0.0);
      for (std::size_t i = 0; i < n; ++i) want[i] = a.cat(i);
      for (std::size_t i = 0; i < m; ++i) want[static_cast<std::size_t>(s[i]) - 1] = values[i];
      ASSERT_EQ(t.numel(), grown) << iter;
      for (std::size_t i = 0; i < grown; ++i) EXPECT_EQ(t.cat(i), want[i]) << iter;
    }
  }
}

TEST(IndexRanges, BadRangesRaiseTheListErrors) {
  const Value a = R({1, 2, 3});
  auto message = [&](const Value& s) -> std::string {
    try {
      indexRef(a, {s});
    } catch (const MError& e) {
      return e.what();
    }
    return "no error";
  };
  EXPECT_EQ(message(R({2, 3, 4})), msg::kIndexExceeds);           // runs past the end
  EXPECT_EQ(message(R({4, 3, 2})), msg::kIndexExceeds);           // starts past the end
  EXPECT_EQ(message(R({2, 1, 0})), msg::kIndexNotPositive);       // reaches zero
  EXPECT_EQ(message(R({0.5, 1.5, 2.5})), msg::kIndexNotInteger);  // whole step, fractional
  EXPECT_EQ(message(R({1, 1.5, 2})), msg::kIndexNotInteger);      // fractional step
  EXPECT_EQ(message(R({1, NAN, 3})), msg::kIndexNotInteger);
  EXPECT_EQ(message(R({1, 2, INFINITY})),
            "Maximum variable size allowed by the program is exceeded.");
  EXPECT_EQ(message(R({-INFINITY, 1})), msg::kIndexNotPositive);
  // The first bad element decides, as when they are checked in order.
  EXPECT_EQ(message(R({1, 0.5, -1})), msg::kIndexNotInteger);
  EXPECT_EQ(message(R({1, -1, 0.5})), msg::kIndexNotPositive);
  try {
    indexRef(kMat, {colonIndex(), R({2, 3, 4})});
    FAIL();
  } catch (const MError& e) {
    EXPECT_STREQ(e.what(), msg::kIndexExceeds);
  }
}

TEST(IndexRanges, WholeDimensionRangesShareAndReversedOnesFlip) {
  const Value a = ramp(6);
  const Value all = indexRef(a, {R({1, 2, 3, 4, 5, 6}), colonIndex()});
  EXPECT_TRUE(all.sharesStorageWith(a));
  EXPECT_EQ(data(all), data(a));
  // a(end:-1:1, end:-1:1) on a matrix turns it by 180 degrees.
  const Value t = indexRef(kMat, {R({2, 1}), R({3, 2, 1})});
  EXPECT_EQ(t.dims(), (Dims{2, 3}));
  EXPECT_EQ(data(t), (std::vector<double>{6, 3, 5, 2, 4, 1}));
  // One column of a matrix, by a range and by a list.
  EXPECT_EQ(data(indexRef(kMat, {R({2, 1}), S(3)})), (std::vector<double>{6, 3}));
  EXPECT_EQ(data(indexRef(kMat, {R({2, 2, 1}), S(2)})), (std::vector<double>{5, 5, 2}));
  // Three subscripts on an N-d array.
  Value nd = Value::numeric({2, 2, 2});
  for (std::size_t i = 0; i < 8; ++i) nd.mutRe()[i] = static_cast<double>(i + 1);
  EXPECT_EQ(data(indexRef(nd, {R({2, 1}), S(2), R({2, 1})})), (std::vector<double>{8, 7, 4, 3}));
}

TEST(IndexRanges, MasksAndEmptySubscripts) {
  const Value a = R({1, 2, 3});
  EXPECT_EQ(data(indexRef(a, {L({1, 1, 1})})), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(indexRef(a, {L({0, 0, 0})}).dims(), (Dims{1, 0}));
  EXPECT_EQ(data(indexRef(a, {L({1, 1, 0, 0})})),
            (std::vector<double>{1, 2}));                // false beyond the end
  EXPECT_THROW(indexRef(a, {L({0, 0, 0, 1})}), MError);  // true beyond it
  EXPECT_EQ(indexRef(a, {Value::numeric({0, 3})}).dims(), (Dims{1, 0}));
  EXPECT_EQ(indexRef(kMat, {Value::numeric({1, 0}), colonIndex()}).dims(), (Dims{0, 3}));
  EXPECT_EQ(indexRef(Value::empty(), {Value::empty()}).dims(), (Dims{0, 0}));
}

TEST(IndexRanges, AssignmentsThroughRanges) {
  // A run of positions, a strided and a reversed range, with one value or one per position.
  Value a = R({1, 2, 3, 4, 5, 6});
  indexAssign(a, {R({2, 3, 4})}, R({20, 30, 40}));
  EXPECT_EQ(data(a), (std::vector<double>{1, 20, 30, 40, 5, 6}));
  indexAssign(a, {R({6, 4, 2})}, R({-6, -4, -2}));
  EXPECT_EQ(data(a), (std::vector<double>{1, -2, 30, -4, 5, -6}));
  indexAssign(a, {R({1, 3, 5})}, S(0));
  EXPECT_EQ(data(a), (std::vector<double>{0, -2, 0, -4, 0, -6}));
  // A range past the end grows a vector; the gap is zero.
  Value g = C({1, 2});
  indexAssign(g, {R({4, 5})}, R({4, 5}));
  EXPECT_EQ(g.dims(), (Dims{5, 1}));
  EXPECT_EQ(data(g), (std::vector<double>{1, 2, 0, 4, 5}));
  // Complex values into a real target, and real ones into a complex target.
  Value z = R({1, 2, 3});
  Value zc = Value::numeric({1, 2}, true);
  zc.mutIm()[0] = 1;
  zc.mutIm()[1] = 2;
  indexAssign(z, {R({2, 3})}, zc);
  EXPECT_EQ(imagData(z), (std::vector<double>{0, 1, 2}));
  indexAssign(z, {R({2, 3})}, R({7, 8}));
  EXPECT_FALSE(z.isComplex());
  EXPECT_EQ(data(z), (std::vector<double>{1, 7, 8}));
  Value zs = R({1, 2, 3});
  indexAssign(zs, {R({1, 3})}, Value::complexScalar(0, 5));
  EXPECT_EQ(imagData(zs), (std::vector<double>{5, 0, 5}));
  // Duplicate positions: the last value written stays.
  Value d = R({0, 0, 0});
  indexAssign(d, {R({2, 2, 2})}, R({1, 2, 3}));
  EXPECT_EQ(data(d), (std::vector<double>{0, 3, 0}));
  // A count mismatch leaves the target untouched.
  Value u = R({1, 2, 3});
  EXPECT_THROW(indexAssign(u, {R({1, 2})}, R({1, 2, 3})), MError);
  EXPECT_EQ(data(u), (std::vector<double>{1, 2, 3}));
  // Text targets through a range.
  Value t = T("abcd");
  indexAssign(t, {R({3, 2})}, T("xy"));
  EXPECT_EQ(t.utf8(), "ayxd");
}

TEST(IndexRanges, DeletionThroughRanges) {
  Value a = R({1, 2, 3, 4, 5, 6});
  indexDelete(a, {R({5, 4, 3})});
  EXPECT_EQ(data(a), (std::vector<double>{1, 2, 6}));
  Value m = kMat;
  indexDelete(m, {colonIndex(), R({3, 2})});
  EXPECT_EQ(data(m), (std::vector<double>{1, 4}));
  Value r = R({1, 2});
  EXPECT_THROW(indexDelete(r, {R({2, 3})}), MError);
}

TEST(End, PositionRules) {
  Value a = Value::numeric({2, 3, 4});
  EXPECT_EQ(endOf(a, 0, 1), 24u);
  EXPECT_EQ(endOf(a, 0, 2), 2u);
  EXPECT_EQ(endOf(a, 1, 2), 12u);
  EXPECT_EQ(endOf(a, 2, 3), 4u);
  EXPECT_EQ(endOf(a, 3, 4), 1u);
}

}  // namespace
}  // namespace kh

namespace kh {
namespace {

// Two-subscript assignment of doubles: complex parts in both directions,
// scalar expansion, and the logical flag of the target.
TEST(IndexAssign, TwoSubscriptsMixRealComplexAndLogical) {
  Value a = M({{1, 2}, {3, 4}});
  indexAssign(a, {colonIndex(), S(2)}, test::Z(0, 1));
  EXPECT_TRUE(a.isComplex());
  EXPECT_EQ(data(a), (std::vector<double>{1, 3, 0, 0}));
  EXPECT_EQ(imagData(a), (std::vector<double>{0, 0, 1, 1}));
  indexAssign(a, {colonIndex(), S(2)}, C({5, 6}));
  EXPECT_FALSE(a.isComplex());  // the imaginary part is all zero again
  EXPECT_EQ(data(a), (std::vector<double>{1, 3, 5, 6}));
  Value mask = M({{1, 0}, {0, 1}});
  mask.setLogical(true);
  Value m2 = mask;
  indexAssign(m2, {S(1), colonIndex()}, S(7));
  EXPECT_FALSE(m2.isLogical());
  EXPECT_EQ(data(m2), (std::vector<double>{7, 0, 7, 1}));
  EXPECT_TRUE(mask.isLogical());  // the copy it was taken from is untouched
  EXPECT_EQ(data(mask), (std::vector<double>{1, 0, 0, 1}));
}

}  // namespace
}  // namespace kh

namespace kh {
namespace {

// a(:, j) and a(:, j) = v, which take a short path for a whole j inside a
// 2-D double matrix, against the same positions written as a list of rows
// (which goes the general way): same results, same errors, same flags.
TEST(IndexColumns, ColonColumnAgreesWithTheListOfRows) {
  std::mt19937 g(21);
  auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(g); };
  for (int iter = 0; iter < 2000; ++iter) {
    const auto m = static_cast<std::size_t>(pick(0, 5)), n = static_cast<std::size_t>(pick(0, 4));
    Value a = Value::numeric({m, n}, pick(0, 4) == 0);
    for (std::size_t i = 0; i < m * n; ++i) {
      a.mutRe()[i] = pick(-3, 3);
      if (a.isComplex()) a.mutIm()[i] = pick(-1, 1);
    }
    if (!a.isComplex() && pick(0, 4) == 0) {
      for (std::size_t i = 0; i < m * n; ++i) a.mutRe()[i] = a.re()[i] > 0;
      a.setLogical(true);
    }
    const double j = pick(0, 5) == 0 ? 1.5 : pick(0, static_cast<int>(n) + 1);
    std::vector<double> rows(m);
    for (std::size_t i = 0; i < m; ++i) rows[i] = static_cast<double>(i + 1);
    const Value colon = colonIndex(), list = C(rows);

    auto refOf = [&](const Subscripts& s, Value& out) {
      try {
        out = indexRef(a, s);
        return true;
      } catch (const MError& e) {
        out = T(e.what());
        return false;
      }
    };
    Value fast, slow;
    const bool okFast = refOf({colon, S(j)}, fast), okSlow = refOf({list, S(j)}, slow);
    ASSERT_EQ(okFast, okSlow) << iter;
    if (okFast) {
      ASSERT_EQ(fast.dims(), slow.dims()) << iter;
      EXPECT_TRUE(isEqualData(fast, slow)) << iter;
      EXPECT_EQ(fast.isLogical(), slow.isLogical()) << iter;
    }

    // (A ':' over no rows takes its extent from the right-hand side, which a
    // list of no rows does not: nothing to compare there.)
    if (m == 0) continue;
    // Right-hand sides: a scalar, a column, a row, a logical column, a
    // complex column, one of the wrong length, a matrix of the right count.
    Value v;
    switch (pick(0, 6)) {
      case 0:
        v = S(7);
        break;
      case 1:
        v = C(std::vector<double>(m, 4));
        break;
      case 2:
        v = R(std::vector<double>(m, 5));
        break;
      case 3: {
        v = C(std::vector<double>(m, 1));
        v.setLogical(true);
        break;
      }
      case 4: {
        v = Value::numeric({m, 1}, true);
        for (std::size_t i = 0; i < m; ++i) v.mutIm()[i] = 2;
        break;
      }
      case 5:
        v = C(std::vector<double>(m + 1, 6));
        break;
      default:
        v = m % 2 == 0 && m ? Value::numeric({2, m / 2}) : S(8);
        break;
    }
    Value tFast = a, tSlow = a;
    const Value before = a;
    auto assign = [&](Value& t, const Subscripts& s) {
      try {
        indexAssign(t, s, v);
        return true;
      } catch (const MError&) {
        return false;
      }
    };
    const bool aFast = assign(tFast, {colon, S(j)}), aSlow = assign(tSlow, {list, S(j)});
    ASSERT_EQ(aFast, aSlow) << iter;
    if (aFast) {
      ASSERT_EQ(tFast.dims(), tSlow.dims()) << iter;
      EXPECT_TRUE(isEqualData(tFast, tSlow)) << iter;
      EXPECT_EQ(tFast.isLogical(), tSlow.isLogical()) << iter;
    }
    // The copy the assignment started from shares nothing that was written.
    EXPECT_TRUE(isEqualData(a, before)) << iter;
  }
}

}  // namespace
}  // namespace kh

namespace kh {
namespace {

TEST(IndexColumns, ANewVariableBuiltColumnByColumn) {
  // V(:, 3) = v on a variable that does not exist yet: zeros beside v.
  for (const bool logical : {false, true}) {
    for (const Value& v0 : {C({1, 2, 3, 4}), R({1, 2, 3, 4})}) {
      Value v = v0;
      v.setLogical(logical);
      Value t;
      indexAssign(t, {colonIndex(), S(3)}, v);
      ASSERT_EQ(t.dims(), (Dims{4, 3}));
      EXPECT_EQ(t.isLogical(), logical);
      EXPECT_EQ(data(t), (std::vector<double>{0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4}));
      // Then the other columns, in place.
      indexAssign(t, {colonIndex(), S(1)}, C({5, 6, 7, 8}));
      EXPECT_FALSE(t.isLogical());
      EXPECT_EQ(data(t), (std::vector<double>{5, 6, 7, 8, 0, 0, 0, 0, 1, 2, 3, 4}));
    }
  }
  // A scalar, a fraction and a matrix keep the general rules.
  Value t;
  indexAssign(t, {colonIndex(), S(2)}, S(9));
  EXPECT_EQ(t.dims(), (Dims{1, 2}));
  EXPECT_EQ(data(t), (std::vector<double>{0, 9}));
  Value u;
  EXPECT_THROW(indexAssign(u, {colonIndex(), S(1.5)}, C({1, 2})), MError);
  EXPECT_TRUE(u.isPlaceholder());
  Value w;
  EXPECT_THROW(indexAssign(w, {colonIndex(), S(1)}, M({{1, 2}, {3, 4}})), MError);
}

}  // namespace
}  // namespace kh
