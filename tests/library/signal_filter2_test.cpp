// filter2 through the loader: every choice of convolution form and every
// shape, against a direct two-dimensional correlation.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/library.h"

namespace {

using kh::Value;

Value mat(std::size_t r, std::size_t c, std::vector<double> colMajor) {
  Value v = Value::matrix(r, c);
  for (std::size_t i = 0; i < colMajor.size(); ++i) v.mutRe()[i] = colMajor[i];
  return v;
}

// filter2(b, x, shape) by definition: y(i, j) = sum b(p, q) x(i + p - ci, j + q - cj) over
// the full correlation, cropped as the shape says.
Value correlate(const Value& b, const Value& x, char shape) {
  const std::ptrdiff_t ms = static_cast<std::ptrdiff_t>(b.rows()),
                       ns = static_cast<std::ptrdiff_t>(b.cols());
  const std::ptrdiff_t mx = static_cast<std::ptrdiff_t>(x.rows()),
                       nx = static_cast<std::ptrdiff_t>(x.cols());
  const std::ptrdiff_t fr = mx + ms - 1, fc = nx + ns - 1;
  std::vector<double> full(static_cast<std::size_t>(fr * fc), 0.0);
  for (std::ptrdiff_t i = 0; i < fr; ++i)
    for (std::ptrdiff_t j = 0; j < fc; ++j) {
      double acc = 0;
      for (std::ptrdiff_t p = 0; p < ms; ++p)
        for (std::ptrdiff_t q = 0; q < ns; ++q) {
          const std::ptrdiff_t xi = i + p - (ms - 1), xj = j + q - (ns - 1);
          if (xi >= 0 && xi < mx && xj >= 0 && xj < nx)
            acc += b.at(static_cast<std::size_t>(p + q * ms)) *
                   x.at(static_cast<std::size_t>(xi + xj * mx));
        }
      full[static_cast<std::size_t>(i + j * fr)] = acc;
    }
  std::ptrdiff_t r0 = 0, c0 = 0, rows = fr, cols = fc;
  if (shape == 's') r0 = ms / 2, c0 = ns / 2, rows = mx, cols = nx;
  if (shape == 'v') {
    r0 = ms - 1, c0 = ns - 1;
    rows = std::max<std::ptrdiff_t>(0, mx - ms + 1),
    cols = std::max<std::ptrdiff_t>(0, nx - ns + 1);
  }
  Value y = Value::matrix(static_cast<std::size_t>(rows), static_cast<std::size_t>(cols));
  for (std::ptrdiff_t i = 0; i < rows; ++i)
    for (std::ptrdiff_t j = 0; j < cols; ++j)
      y.mutRe()[static_cast<std::size_t>(i + j * rows)] =
          full[static_cast<std::size_t>(i + r0 + (j + c0) * fr)];
  return y;
}

Value data(std::size_t r, std::size_t c) {
  Value x = Value::matrix(r, c);
  for (std::size_t i = 0; i < r * c; ++i) x.mutRe()[i] = static_cast<double>((i * 7) % 11) - 3;
  return x;
}

TEST(Filter2, EveryFormAndShapeAgreesWithDirectCorrelation) {
  struct Case {
    const char* what;
    Value b, x;
  };
  const Case cases[] = {
      {"row kernel", Value::row({1, 2, 3}), data(4, 6)},
      {"column kernel", Value::column({1, 2, 3}), data(6, 4)},
      {"1-by-1 kernel", Value::scalar(2.5), data(3, 3)},
      {"kernel larger than the data (rank 1)", mat(3, 3, {1, 1, 1, 1, 1, 1, 1, 1, 1}), data(2, 2)},
      {"rank 1, fractional kernel", mat(2, 3, {0.5, 1, 1, 2, 1.5, 3}), data(5, 6)},
      {"rank 2", mat(3, 3, {8, 3, 4, 1, 5, 9, 6, 7, 2}), data(5, 5)},
      {"rank 2, non-square", mat(2, 3, {1, 0, 0, 1, 2, 2}), data(4, 7)},
  };
  for (const Case& c : cases)
    for (const char* shape : {"same", "valid", "full"}) {
      const auto out = kt::call("filter2", 1, {c.b, c.x, Value::str(std::string_view(shape))});
      ASSERT_EQ(out.size(), 1u);
      const Value want = correlate(c.b, c.x, shape[0]);
      ASSERT_EQ(out[0].dims(), want.dims()) << c.what << " " << shape;
      for (std::size_t i = 0; i < want.numel(); ++i)
        EXPECT_NEAR(out[0].at(i), want.at(i), 1e-12) << c.what << " " << shape << " @" << i;
    }
}

TEST(Filter2, ShapeDefaultsToSame) {
  const Value b = mat(2, 2, {1, 2, 3, 4}), x = data(4, 4);
  const auto out = kt::call("filter2", 1, {b, x});
  ASSERT_EQ(out.size(), 1u);
  const Value want = correlate(b, x, 's');
  ASSERT_EQ(out[0].dims(), want.dims());
  for (std::size_t i = 0; i < want.numel(); ++i) EXPECT_NEAR(out[0].at(i), want.at(i), 1e-12);
}

TEST(Filter2, IntegerRankOneResultIsRoundedExactly) {
  // [1 2 1; 2 4 2; 1 2 1] has rank 1; its factors from the SVD are not whole
  // numbers, so only the rounding makes the result exact.
  const Value b = mat(3, 3, {1, 2, 1, 2, 4, 2, 1, 2, 1});
  Value x = data(7, 9);
  for (std::size_t i = 0; i < x.numel(); ++i) x.mutRe()[i] = x.at(i) * 1001 + 3;
  for (const char* shape : {"same", "valid", "full"}) {
    const auto out = kt::call("filter2", 1, {b, x, Value::str(std::string_view(shape))});
    const Value want = correlate(b, x, shape[0]);
    ASSERT_EQ(out[0].dims(), want.dims());
    for (std::size_t i = 0; i < want.numel(); ++i) EXPECT_EQ(out[0].at(i), want.at(i)) << i;
  }
  // One fractional element in the data: no rounding.
  x.mutRe()[10] = 0.25;
  const auto out = kt::call("filter2", 1, {b, x, Value::str(std::string_view("same"))});
  const Value want = correlate(b, x, 's');
  bool fractional = false;
  for (std::size_t i = 0; i < want.numel(); ++i) {
    EXPECT_NEAR(out[0].at(i), want.at(i), 1e-9);
    fractional = fractional || out[0].at(i) != std::round(out[0].at(i));
  }
  EXPECT_TRUE(fractional);
}

TEST(Filter2, TextDataIsFilteredAsNumbers) {
  const auto out = kt::call("filter2", 1, {Value::row({1, 1}), Value::str(std::string_view("ab"))});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].dims(), (kh::Dims{1, 2}));
  EXPECT_DOUBLE_EQ(out[0].at(0), 97 + 98);
  EXPECT_DOUBLE_EQ(out[0].at(1), 98);
}

TEST(Filter2, Failures) {
  struct Case {
    const char* what;
    kh::ValueList args;
    const char* error;
  };
  const Value one = Value::scalar(1);
  const Case cases[] = {
      {"one input", {one}, "Not enough input arguments."},
      {"empty shape", {one, one, Value::str(std::u16string_view())}, "Unknown shape parameter."},
      {"capital S", {one, one, Value::str(std::string_view("Same"))}, "Unknown shape parameter."},
      {"unknown letter", {one, one, Value::str(std::string_view("x"))}, "Unknown shape parameter."},
  };
  for (const Case& c : cases) EXPECT_EQ(kt::callError("filter2", 1, c.args), c.error) << c.what;
  // A longer text starting with a known letter is left to the convolution.
  EXPECT_FALSE(kt::callError("filter2", 1, {one, one, Value::str(std::string_view("sx"))}).empty());
}

}  // namespace
