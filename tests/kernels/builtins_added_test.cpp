// The built-ins for sequences, cells, structures, text and files called by
// name: their argument checks, and sorting, unique and the running totals
// against plain reference computations on random data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "host/builtins/registry.h"
#include "host/core/errors.h"
#include "tests/kernels/values.h"

namespace kh {
namespace {

using test::data;
using test::M;
using test::R;
using test::S;
using test::T;
using test::Z;

ValueList call(const char* name, int nargout, ValueList args) {
  const Builtin* fn = findBuiltin(name);
  if (!fn) throw std::runtime_error(std::string("no built-in ") + name);
  return callBuiltin(*fn, nargout, args);
}

struct CountCase {
  const char* name;  // the built-in's name, up to the first underscore
  int nargout;
  ValueList args;
  const char* message;
};

class AddedCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(AddedCountTest, Rejects) {
  const auto& c = GetParam();
  const std::string full = c.name;
  try {
    call(full.substr(0, full.find('_')).c_str(), c.nargout, c.args);
    FAIL() << "no error";
  } catch (const MError& e) {
    EXPECT_EQ(e.message(), c.message);
  }
}

constexpr const char* kFew = "Not enough input arguments.";
constexpr const char* kMany = "Too many input arguments.";
constexpr const char* kOuts = "Too many output arguments.";

INSTANTIATE_TEST_SUITE_P(
    Cases, AddedCountTest,
    ::testing::Values(
        CountCase{"linspace_one", 1, {S(1)}, kFew},
        CountCase{"linspace_four", 1, {S(1), S(2), S(3), S(4)}, kMany},
        CountCase{"linspace_vector_end",
                  1,
                  {R({1, 2}), S(2)},
                  "The end points of linspace must be numeric scalars."},
        CountCase{
            "linspace_nan_count", 1, {S(0), S(1), S(NAN)}, "The number of points must be finite."},
        CountCase{"cumsum_none", 1, {}, kFew},
        CountCase{"cumprod_zero_dim",
                  1,
                  {S(1), S(0)},
                  "Dimension argument must be a positive integer scalar."},
        CountCase{"cumsum_cell",
                  1,
                  {Value::cell({1, 1})},
                  "Function 'cumsum' is not defined for values of class 'cell'."},
        CountCase{"fliplr_two", 1, {S(1), S(2)}, kMany},
        CountCase{"unique_option",
                  1,
                  {S(1), T("bogus")},
                  "Unknown option of unique; the options are 'sorted', 'stable', 'first' and "
                  "'last'."},
        CountCase{"unique_struct",
                  1,
                  {Value::structArray({1, 1}, {})},
                  "The distinct elements can only be found of numbers, texts and cells of texts."},
        CountCase{"log2_three_outputs", 3, {S(1)}, kOuts}, CountCase{"atan2_one", 1, {S(1)}, kFew},
        CountCase{"atan2_complex", 1, {Z(0, 1), S(1)}, "The arguments of atan2 must be real."},
        CountCase{"randn_two_outputs", 2, {}, kOuts},
        CountCase{"randn_bad_option", 1, {T("speed"), S(1)}, "Unknown randn option 'speed'."},
        CountCase{"rand_huge_seed",
                  1,
                  {T("seed"), S(1e30)},
                  "The seed must be a non-negative finite number below 2^64."},
        CountCase{"find_four", 1, {S(1), S(1), T("first"), S(1)}, kMany},
        CountCase{"find_zero_count",
                  1,
                  {S(1), S(0)},
                  "The number of positions to find must be a positive integer."},
        CountCase{"find_direction",
                  1,
                  {S(1), S(1), T("middle")},
                  "The direction of find must be 'first' or 'last'."},
        CountCase{"sort_four", 1, {S(1), S(1), T("ascend"), S(1)}, kMany},
        CountCase{"sort_direction",
                  1,
                  {S(1), T("up")},
                  "The sorting direction must be 'ascend' or 'descend'."},
        CountCase{"sort_mixed_cell",
                  1,
                  {Value::cell({1, 2})},
                  "Only cells whose elements are all texts can be sorted."},
        CountCase{"iscell_none", 1, {}, kFew},
        CountCase{"cell2mat_two", 1, {Value::cell({1, 1}), S(1)}, kMany},
        CountCase{"struct_odd",
                  1,
                  {T("a"), S(1), T("b")},
                  "Field and value input arguments must come in pairs."},
        CountCase{"isfield_one", 1, {S(1)}, kFew},
        CountCase{"rmfield_one", 1, {Value::structArray({1, 1}, {"a"})}, kFew},
        CountCase{"rmfield_number_name",
                  1,
                  {Value::structArray({1, 1}, {"a"}), S(1)},
                  "The field names given to rmfield must be texts."},
        CountCase{"strcat_none", 1, {}, kFew}, CountCase{"strrep_two", 1, {T("a"), T("b")}, kFew},
        CountCase{"strrep_number",
                  1,
                  {S(1), T("a"), T("b")},
                  "The text of strrep must be a text of one row."},
        CountCase{"strsplit_none", 1, {}, kFew},
        CountCase{"strsplit_empty_delimiter",
                  1,
                  {T("a"), Value::str("")},
                  "The delimiters of strsplit must not be empty."},
        CountCase{"strsplit_option",
                  1,
                  {T("a"), T(","), T("Collapse")},
                  "The options of strsplit are 'CollapseDelimiters' and a true or false value."},
        CountCase{"strtrim_two", 1, {T("a"), T("b")}, kMany},
        CountCase{"strtrim_number", 1, {S(1)}, "strtrim works on texts and cells of texts."},
        CountCase{"str2double_two", 1, {T("1"), T("2")}, kMany},
        CountCase{"mat2str_three", 1, {S(1), S(2), S(3)}, kMany},
        CountCase{"mat2str_precision",
                  1,
                  {S(1), S(0)},
                  "The precision must be a whole number from 1 to 100."},
        CountCase{"mat2str_cell",
                  1,
                  {Value::cell({1, 1})},
                  "mat2str writes numbers, logical values and texts; the argument is of class "
                  "'cell'."},
        CountCase{"mat2str_nd",
                  1,
                  {Value::numeric({1, 2, 2})},
                  "mat2str writes two-dimensional arrays only."},
        CountCase{"fopen_none", 1, {}, kFew},
        CountCase{"fopen_permission", 1, {T("x"), T("rw")}, "Invalid permission 'rw'."},
        CountCase{"fopen_byte_order",
                  1,
                  {T("x"), T("r"), T("b")},
                  "Only the machine's own byte order (native, ieee-le) is available."},
        CountCase{"fclose_none", 1, {}, kFew},
        CountCase{"fclose_screen", 1, {S(1)}, "Invalid file identifier."},
        CountCase{"fprintf_unopened", 0, {S(40), T("x")}, "Invalid file identifier."},
        CountCase{"fprintf_fraction", 0, {S(3.5), T("x")}, "Invalid file identifier."}),
    [](const auto& info) { return std::string(info.param.name); });

// Random rows with ties and NaN, for the reference checks.
std::vector<double> randomRow(std::mt19937& gen, std::size_t n) {
  std::uniform_int_distribution<int> pick(0, 9);
  std::vector<double> v(n);
  for (double& x : v) x = pick(gen) == 0 ? NAN : static_cast<double>(pick(gen) - 4);
  return v;
}

bool before(double a, double b, bool descend) {
  if (descend) return std::isnan(a) ? !std::isnan(b) : (!std::isnan(b) && a > b);
  return std::isnan(a) ? false : (std::isnan(b) || a < b);
}

TEST(AddedReference, SortMatchesAStableSortOfIndices) {
  std::mt19937 gen(11);
  for (int trial = 0; trial < 40; ++trial) {
    const std::vector<double> v = randomRow(gen, 1 + trial);
    for (bool descend : {false, true}) {
      std::vector<std::size_t> order(v.size());
      std::iota(order.begin(), order.end(), 0);
      std::stable_sort(order.begin(), order.end(),
                       [&](std::size_t a, std::size_t b) { return before(v[a], v[b], descend); });
      auto r = call("sort", 2, {R(v), T(descend ? "descend" : "ascend")});
      ASSERT_EQ(r[0].dims(), (Dims{1, v.size()}));
      for (std::size_t k = 0; k < v.size(); ++k) {
        EXPECT_EQ(r[1].at(k), static_cast<double>(order[k] + 1)) << trial << " " << k;
        const double want = v[order[k]];
        EXPECT_TRUE(r[0].at(k) == want || (std::isnan(want) && std::isnan(r[0].at(k))));
      }
    }
  }
}

TEST(AddedReference, UniqueMapsBothWays) {
  std::mt19937 gen(5);
  for (int trial = 0; trial < 40; ++trial) {
    const std::vector<double> v = randomRow(gen, trial);  // 0 to 39 elements
    for (const char* order : {"sorted", "stable"}) {
      auto r = call("unique", 3, {test::C(v), T(order)});
      const std::vector<double> u = data(r[0]), i = data(r[1]), j = data(r[2]);
      ASSERT_EQ(r[0].dims(), (Dims{u.size(), 1}));
      ASSERT_EQ(r[2].dims(), (Dims{v.size(), 1}));
      ASSERT_EQ(i.size(), u.size());
      std::size_t nans = 0;
      for (double x : v) nans += std::isnan(x);
      std::vector<double> distinct;
      for (double x : v)
        if (!std::isnan(x) && std::find(distinct.begin(), distinct.end(), x) == distinct.end())
          distinct.push_back(x);
      EXPECT_EQ(u.size(), distinct.size() + nans);  // every NaN stays
      for (std::size_t k = 0; k < u.size(); ++k) {
        const double x = v[static_cast<std::size_t>(i[k]) - 1];
        EXPECT_TRUE(x == u[k] || (std::isnan(x) && std::isnan(u[k])));  // x(i) is u
        // i is the first position of its value.
        for (std::size_t p = 0; p + 1 < i[k] && !std::isnan(x); ++p) EXPECT_NE(v[p], x);
      }
      for (std::size_t p = 0; p < v.size(); ++p) {
        const double y = u[static_cast<std::size_t>(j[p]) - 1];
        EXPECT_TRUE(y == v[p] || (std::isnan(y) && std::isnan(v[p])));  // u(j) is x
      }
      if (std::string(order) == "sorted") {
        for (std::size_t k = 1; k < u.size(); ++k)
          EXPECT_TRUE(u[k - 1] < u[k] || std::isnan(u[k])) << k;
      } else {
        EXPECT_TRUE(std::is_sorted(i.begin(), i.end()));  // in order of appearance
      }
    }
  }
}

TEST(AddedReference, RunningTotalsAlongEachDimensionOfAnNdArray) {
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> d(-2, 2);
  Value x = Value::numeric({3, 4, 2});
  for (std::size_t k = 0; k < x.numel(); ++k) x.mutRe()[k] = d(gen);
  const std::size_t dims[3] = {3, 4, 2}, stride[3] = {1, 3, 12};
  for (std::size_t dim = 0; dim < 3; ++dim)
    for (bool product : {false, true}) {
      const Value r = call(product ? "cumprod" : "cumsum", 1, {x, S(double(dim + 1))})[0];
      ASSERT_EQ(r.dims(), x.dims());
      for (std::size_t k = 0; k < x.numel(); ++k) {
        const std::size_t along = (k / stride[dim]) % dims[dim];
        double want = product ? 1 : 0;
        for (std::size_t l = 0; l <= along; ++l) {
          const double v = x.at(k - (along - l) * stride[dim]);
          want = product ? want * v : want + v;
        }
        EXPECT_NEAR(r.at(k), want, 1e-12) << dim << " " << k;
      }
    }
}

TEST(AddedReference, NormalNumbersHaveMeanZeroAndUnitSpread) {
  call("randn", 1, {T("seed"), S(1)});
  const std::vector<double> v = data(call("randn", 1, {S(1), S(20000)})[0]);
  double mean = 0, sq = 0;
  for (double x : v) mean += x / v.size();
  for (double x : v) sq += (x - mean) * (x - mean) / v.size();
  EXPECT_NEAR(mean, 0.0, 0.03);
  EXPECT_NEAR(std::sqrt(sq), 1.0, 0.03);
  std::size_t beyond2 = 0;  // about 4.55% lie beyond two deviations
  for (double x : v) beyond2 += std::abs(x) > 2;
  EXPECT_NEAR(beyond2 / 20000.0, 0.0455, 0.006);
}

}  // namespace
}  // namespace kh
