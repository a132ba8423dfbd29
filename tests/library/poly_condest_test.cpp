// condest and the block 1-norm estimator with its helpers, through the
// loader: estimates, termination codes, trace lines and the messages about
// badly behaved function forms.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/context/output.h"
#include "host/context/warnings.h"
#include "host/core/errors.h"
#include "host/values/handle.h"
#include "tests/support/library.h"

namespace {

using kh::Value;

Value row(std::initializer_list<double> v) { return Value::row(v); }
Value col(std::initializer_list<double> v) { return Value::column(v); }

Value square(std::size_t n, std::initializer_list<double> columnOrder) {
  Value a = Value::matrix(n, n);
  double* d = a.mutRe();
  for (double v : columnOrder) *d++ = v;
  return a;
}

Value eye(std::size_t n) {
  Value a = Value::matrix(n, n);
  for (std::size_t i = 0; i < n; ++i) a.mutRe()[i * n + i] = 1;
  return a;
}

Value diag(std::initializer_list<double> d) {
  Value a = Value::matrix(d.size(), d.size());
  std::size_t i = 0;
  for (double v : d) {
    a.mutRe()[i * d.size() + i] = v;
    ++i;
  }
  return a;
}

std::string flagOf(mxArray* a) { return kh::valueOf(a).utf8(); }

// Function forms of a matrix, for the estimator.
void failingForm(int, mxArray* plhs[], int, mxArray*[]) {
  plhs[0] = nullptr;
  kh::raise("the matrix is not available");
}
void fractionalDim(int, mxArray* plhs[], int, mxArray*[]) {
  plhs[0] = kh::newTemp(Value::scalar(2.5));
}
void negativeDim(int, mxArray* plhs[], int, mxArray*[]) {
  plhs[0] = kh::newTemp(Value::scalar(-1));
}
void badReal(int, mxArray* plhs[], int, mxArray* prhs[]) {
  plhs[0] = kh::newTemp(Value::scalar(flagOf(prhs[0]) == "dim" ? 6 : 2));
}
void shortProduct(int, mxArray* plhs[], int, mxArray*[]) {
  plhs[0] = kh::newTemp(Value::matrix(3, 1));
}
// The 6-by-6 diagonal matrix diag(1..6), applied to a block.
void diagonalForm(int, mxArray* plhs[], int, mxArray* prhs[]) {
  const std::string flag = flagOf(prhs[0]);
  if (flag == "dim") {
    plhs[0] = kh::newTemp(Value::scalar(6));
  } else if (flag == "real") {
    plhs[0] = kh::newTemp(Value::scalar(1));
  } else {
    Value y = kh::valueOf(prhs[1]);
    double* d = y.mutRe();
    for (std::size_t i = 0; i < y.numel(); ++i) d[i] *= static_cast<double>(i % y.rows() + 1);
    plhs[0] = kh::newTemp(y);
  }
}

Value handle(const char* name, mxFunctionPtr fn) { return Value::function({name, fn}); }

TEST(Condest, SingularIdentityAndEmpty) {
  auto s = kt::call("condest", 2, {square(2, {1, 2, 2, 4})});
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].at(0), INFINITY);
  ASSERT_EQ(s[1].numel(), 2u);
  EXPECT_NEAR(s[1].at(0), -2.0 / 3, 1e-15);
  EXPECT_NEAR(s[1].at(1), 1.0 / 3, 1e-15);

  auto i = kt::call("condest", 2, {eye(3)});
  EXPECT_EQ(i[0].at(0), 1);
  EXPECT_NEAR(std::fabs(i[1].at(0)) + std::fabs(i[1].at(1)) + std::fabs(i[1].at(2)), 1, 1e-15);

  kh::setWarningsOn(false);
  auto e = kt::call("condest", 2, {Value::empty()});
  EXPECT_EQ(e[0].at(0), 0);
  EXPECT_TRUE(e[1].isEmpty());
  EXPECT_FALSE(kh::warningsOn());
  kh::setWarningsOn(true);

  EXPECT_EQ(kt::callError("condest", 1, {Value::matrix(2, 3)}), "Matrix must be square.");
}

TEST(Condest, LargerMatrixGoesThroughTheEstimator) {
  // diag(1..6): condition number 6, found exactly by the power iteration.
  auto c = kt::call("condest", 1, {diag({1, 2, 3, 4, 5, 6})});
  EXPECT_NEAR(c[0].at(0), 6, 1e-12);
}

TEST(Condest, WarningStateIsRestoredWhenTheEstimatorFails) {
  // A non-integer block width is rejected by the estimator, after warnings
  // were switched off for the factorization.
  kh::setWarningsOn(true);
  EXPECT_EQ(kt::callError("condest", 1, {eye(3), Value::scalar(1.5)}),
            "T must be an integer between 1 and N = MAX(SIZE(A)).");
  EXPECT_TRUE(kh::warningsOn());
}

TEST(Condestf, Questions) {
  const Value L = eye(4), U = diag({1, 2, 3, 4});
  auto dim = kt::call("condest/condestf", 1, {Value::str("dim"), Value::empty(), L, U});
  EXPECT_EQ(dim[0].at(0), 4);
  auto real = kt::call("condest/condestf", 1, {Value::str("real"), Value::empty(), L, U});
  EXPECT_EQ(real[0].at(0), 1);
  auto solve = kt::call("condest/condestf", 1, {Value::str("notransp"), col({1, 2, 3, 4}), L, U});
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(solve[0].at(i), 1, 1e-15);
}

TEST(Normest1, ExactCaseAndTrace) {
  kh::OutputCapture out;
  auto r = kt::call("normest1", 4, {square(3, {1, -7, 2, 3, 0, 0, 4, 4, 4}), Value::scalar(-2)});
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].at(0), 12);
  EXPECT_EQ(r[1].at(2), 1);
  EXPECT_EQ(r[2].at(0), 4);
  ASSERT_EQ(r[3].rows(), 1u);
  ASSERT_EQ(r[3].cols(), 2u);
  EXPECT_EQ(r[3].at(0), 0);
  EXPECT_EQ(r[3].at(1), 1);
  EXPECT_EQ(out.text(), "No iteration - norm computed exactly.\n");
  // n = 1 with t absent: t = 2 passes the range check.
  EXPECT_EQ(kt::call("normest1", 1, {Value::scalar(-3)})[0].at(0), 3);
}

TEST(Normest1, RangeAndWidthMessages) {
  const std::string range = "T must be an integer between 1 and N = MAX(SIZE(A)).";
  for (double t : {1.5, 0.0}) {
    EXPECT_EQ(kt::callError("normest1", 1, {eye(3), Value::scalar(t)}), range) << t;
  }
  EXPECT_EQ(kt::callError("normest1", 1, {eye(6), Value::scalar(7)}), range);
  EXPECT_EQ(kt::callError("normest1", 1, {eye(6), Value::scalar(2), Value::matrix(6, 3)}),
            "X0 should have 2 columns.");
  EXPECT_EQ(kt::callError("normest1", 1, {Value::str("abc")}), "A must be a matrix or function");
}

TEST(Normest1, EstimateDoesNotGrow) {
  Value x0 = Value::matrix(5, 1);
  for (std::size_t i = 0; i < 5; ++i) x0.mutRe()[i] = 0.2;
  auto r = kt::call("normest1", 4, {eye(5), Value::scalar(1), x0});
  EXPECT_EQ(r[0].at(0), 1);
  ASSERT_EQ(r[3].rows(), 2u);
  EXPECT_EQ(r[3].at(0), 2);
  EXPECT_EQ(r[3].at(1), 3);
}

TEST(Normest1, PowerMethodConvergenceWithTrace) {
  Value x0 = col({0.2, -0.2, 0.2, -0.2, 0.2});
  kh::OutputCapture out;
  auto r = kt::call("normest1", 4, {diag({1, 2, 3, 4, 5}), Value::scalar(-1), x0});
  EXPECT_EQ(r[0].at(0), 5);
  EXPECT_EQ(r[1].at(4), 1);
  EXPECT_EQ(r[2].at(4), 5);
  EXPECT_EQ(r[3].at(0), 2);
  EXPECT_EQ(r[3].at(1), 4);
  EXPECT_EQ(out.text(),
            "1:  (0, 3.00e+00)\n"
            "2:  (5, 5.00e+00)\n"
            "*Terminate: power method convergence test.\n"
            "Parallel cols: 0\n"
            "Repeated unit vectors: 0\n");
}

TEST(Normest1, FunctionForm) {
  auto r = kt::call("normest1", 1, {handle("diag6", diagonalForm)});
  EXPECT_NEAR(r[0].at(0), 6, 1e-12);
}

TEST(Normapp, BadFunctionForms) {
  const std::string failed = kt::callError("normest1", 1, {handle("broken", failingForm)});
  EXPECT_EQ(failed.rfind("function broken\nfailed with the following error:\n\n", 0), 0u) << failed;
  EXPECT_NE(failed.find("the matrix is not available"), std::string::npos) << failed;

  EXPECT_EQ(kt::callError("normest1", 1, {handle("half", fractionalDim)}),
            "function half\nmust return a nonnegative integer when flag == 'dim'");
  EXPECT_EQ(kt::callError("normest1", 1, {handle("neg", negativeDim)}),
            "function neg\nmust return a nonnegative integer when flag == 'dim'");
  EXPECT_EQ(kt::callError("normest1", 1, {handle("two", badReal)}),
            "function two\nmust return 0 or 1 when flag == 'real'");
  EXPECT_EQ(
      kt::callError("normest1/normapp", 1,
                    {handle("short", shortProduct), Value::str("notransp"), Value::matrix(4, 2)}),
      "function short\nmust return a 4-by-2 matrix when flag == 'notransp'");
  // Other flags are not checked.
  EXPECT_EQ(kt::call("normest1/normapp", 1,
                     {handle("short", shortProduct), Value::str("other"), Value::matrix(4, 2)})
                .size(),
            1u);
}

TEST(Mysign, ZerosBecomeOne) {
  auto r = kt::call("normest1/mysign", 1, {row({-2, 0, 3})});
  ASSERT_EQ(r[0].numel(), 3u);
  EXPECT_EQ(r[0].at(0), -1);
  EXPECT_EQ(r[0].at(1), 1);
  EXPECT_EQ(r[0].at(2), 1);
}

TEST(Undupli, SingleColumnAndRepeatedColumns) {
  auto one = kt::call("normest1/undupli", 2, {col({1, -1, 1}), Value::empty(), Value::scalar(0)});
  EXPECT_EQ(one[0].numel(), 3u);
  EXPECT_EQ(one[1].at(0), 0);

  // Two equal columns of 8: the second is redrawn; r counts it once.
  Value S = Value::matrix(8, 2);
  for (std::size_t i = 0; i < 16; ++i) S.mutRe()[i] = (i % 8) % 3 ? 1 : -1;
  auto two = kt::call("normest1/undupli", 2, {S, Value::empty(), Value::scalar(0)});
  EXPECT_EQ(two[1].at(0), 1);
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(std::fabs(two[0].at(i)), 1);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(two[0].at(i), S.at(i));
}

}  // namespace

namespace {

TEST(PolyRoad, NothingStaysAliveAfterCallsAndErrors) {
  // Warm up once so that lazily built host state is not counted.
  kt::call("condest", 1, {diag({1, 2, 3, 4, 5, 6})});
  const std::size_t before = kt::liveArrays();
  {
    kh::OutputCapture quiet;
    kt::call("condest", 2, {diag({1, 2, 3, 4, 5, 6})});
    kt::call("condest", 2, {square(2, {1, 2, 2, 4})});
    kt::call("normest1", 4, {diag({1, 2, 3, 4, 5, 6, 7, 8}), Value::scalar(-3)});
    kt::call("polyfit", 3, {row({1, 2, 3, 4}), row({1, 3, 2, 5}), Value::scalar(2)});
    kt::callError("normest1", 1, {handle("broken", failingForm)});
    kt::callError("normest1", 1, {handle("half", fractionalDim)});
    kt::callError("condest", 1, {eye(3), Value::scalar(1.5)});
    kt::callError("polyfit", 1, {row({1, 2, 3}), Value::cell({1, 3}), Value::scalar(1)});
  }
  EXPECT_EQ(kt::liveArrays(), before);
}

}  // namespace
