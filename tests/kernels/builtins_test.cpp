// The operations as built-ins called by name.
#include <gtest/gtest.h>

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

ValueList call(const char* name, int nargout, ValueList args) {
  const Builtin* fn = findBuiltin(name);
  if (!fn) throw std::runtime_error(std::string("no built-in ") + name);
  return callBuiltin(*fn, nargout, args);
}

TEST(Builtins, AllNamesRegistered) {
  for (const char* name :
       {"size",   "zeros",     "ones",    "eye",  "class",  "isequal", "numel", "length",
        "ndims",  "isempty",   "abs",     "sqrt", "round",  "fix",     "floor", "ceil",
        "rem",    "sum",       "prod",    "max",  "min",    "find",    "sort",  "any",
        "all",    "transpose", "reshape", "cell", "strcmp", "lower",   "isnan", "isinf",
        "real",   "imag",      "conj",    "sign", "diag",   "diff",    "isa",   "isreal",
        "ischar", "isstr",     "plus"})
    EXPECT_NE(findBuiltin(name), nullptr) << name;
}

// A case's name starts with the built-in's name, up to the first underscore.
struct CountCase {
  const char* name;
  int nargout;
  ValueList args;
  const char* message;
};

class BuiltinCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(BuiltinCountTest, Rejects) {
  const auto& c = GetParam();
  try {
    const std::string full = c.name;
    call(full.substr(0, full.find('_')).c_str(), c.nargout, c.args);
    FAIL() << "no error";
  } catch (const MError& e) {
    EXPECT_STREQ(e.what(), c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuiltinCountTest,
    ::testing::Values(CountCase{"abs_none", 1, {}, "Not enough input arguments."},
                      CountCase{"abs_two", 1, {S(1), S(2)}, "Too many input arguments."},
                      CountCase{"abs_two_outputs", 2, {S(1)}, "Too many output arguments."},
                      CountCase{"rem_one", 1, {S(1)}, "Not enough input arguments."},
                      CountCase{"size_three", 1, {S(1), S(1), S(1)}, "Too many input arguments."},
                      CountCase{
                          "size_dim_two_outputs", 2, {S(1), S(1)}, "Too many output arguments."},
                      CountCase{"max_two_arrays_two_outputs",
                                2,
                                {S(1), S(2)},
                                "MAX with two matrices to compare and two output arguments is not "
                                "supported."},
                      CountCase{"sort_three_outputs", 3, {S(1)}, "Too many output arguments."},
                      CountCase{"isequal_one", 1, {S(1)}, "Not enough input arguments."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Builtins, Results) {
  auto s = call("size", 3, {Value::numeric({2, 3, 4})});
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[2].at(0), 4);
  EXPECT_EQ(data(call("size", 1, {M({{1, 2}})})[0]), (std::vector<double>{1, 2}));
  EXPECT_EQ(call("class", 1, {T("x")})[0].utf8(), "char");
  EXPECT_EQ(call("isequal", 1, {S(1), S(1), S(1)})[0].at(0), 1);
  auto mx = call("max", 2, {R({4, 9, 1})});
  EXPECT_EQ(mx[0].at(0), 9);
  EXPECT_EQ(mx[1].at(0), 2);
  EXPECT_EQ(call("max", 1, {M({{1, 5}, {7, 2}}), Value::empty(), S(2)})[0].dims(), (Dims{2, 1}));
  auto f = call("find", 2, {M({{0, 1}})});
  EXPECT_EQ(f[1].at(0), 2);
  EXPECT_EQ(call("reshape", 1, {R({1, 2, 3, 4}), S(2), S(2)})[0].dims(), (Dims{2, 2}));
  EXPECT_EQ(call("isa", 1, {S(1), T("numeric")})[0].at(0), 1);
  EXPECT_EQ(call("length", 1, {Value::numeric({2, 7})})[0].at(0), 7);
}

}  // namespace
}  // namespace kh
