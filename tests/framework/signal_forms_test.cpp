// rot90 and nargchk through their direct-call forms.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "framework/module.h"
#include "host/context/context.h"
#include "host/values/handle.h"
#include "runtime/runtime.h"

extern "C" {
mxArray* mlfRot90(mxArray* A, mxArray* k);
mxArray* mlfNargchk(mxArray* low, mxArray* high, mxArray* number);
void InitializeModule_rot90(void);
void TerminateModule_rot90(void);
void InitializeModule_nargchk(void);
void TerminateModule_nargchk(void);
}

namespace {

kh::Value mat(std::size_t r, std::size_t c, std::vector<double> colMajor) {
  kh::Value v = kh::Value::matrix(r, c);
  for (std::size_t i = 0; i < colMajor.size(); ++i) v.mutRe()[i] = colMajor[i];
  return v;
}

class SignalForms : public ::testing::Test {
 protected:
  void SetUp() override {
    InitializeModule_rot90();
    InitializeModule_nargchk();
    live_ = kh::liveHandles();
  }
  void TearDown() override {
    EXPECT_EQ(kh::liveHandles(), live_);
    TerminateModule_nargchk();
    TerminateModule_rot90();
  }
  // rot90(A[, k]); returns the error text in *err.
  kh::Value rot90(const kh::Value& A, const kh::Value* k, std::string* err = nullptr) {
    kh::Value out;
    std::string msg;
    kh::protect(
        [&] {
          mxArray* r = mlfRot90(kh::newTemp(A), k ? kh::newTemp(*k) : nullptr);
          out = kh::valueOf(r);
          mxDestroyArray(r);
        },
        &msg);
    if (err)
      *err = msg;
    else
      EXPECT_EQ(msg, "");
    return out;
  }
  std::size_t live_ = 0;
};

TEST_F(SignalForms, Rot90Turns) {
  const kh::Value A = mat(2, 2, {1, 3, 2, 4});  // [1 2; 3 4]
  struct Case {
    double k;
    std::vector<double> expected;  // column order
  };
  const Case cases[] = {
      {1, {2, 1, 4, 3}},  {2, {4, 2, 3, 1}},   {3, {3, 4, 1, 2}},
      {-1, {3, 4, 1, 2}}, {4, {1, 3, 2, 4}},   {0, {1, 3, 2, 4}},
      {-4, {1, 3, 2, 4}}, {1.5, {1, 3, 2, 4}}, {NAN, {1, 3, 2, 4}},
  };
  for (const Case& c : cases) {
    const kh::Value k = kh::Value::scalar(c.k);
    const kh::Value B = rot90(A, &k);
    ASSERT_EQ(B.numel(), 4u) << c.k;
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(B.at(i), c.expected[i]) << "k=" << c.k;
  }
  const kh::Value B = rot90(A, nullptr);
  EXPECT_EQ(B.at(0), 2.0);
}

TEST_F(SignalForms, Rot90ShapesAndErrors) {
  const kh::Value one = kh::Value::scalar(1);
  EXPECT_EQ(rot90(kh::Value::matrix(0, 3), &one).dims(), (kh::Dims{3, 0}));
  EXPECT_EQ(rot90(mat(2, 3, {1, 2, 3, 4, 5, 6}), &one).dims(), (kh::Dims{3, 2}));
  kh::Value z = kh::Value::complexScalar(1, 2);
  const kh::Value zb = rot90(z, &one);
  ASSERT_NE(zb.im(), nullptr);
  EXPECT_EQ(zb.im()[0], 2.0);  // not conjugated

  std::string err;
  rot90(kh::Value::numeric({2, 2, 2}), nullptr, &err);
  EXPECT_EQ(err, "A must be a 2-D matrix.");
  const kh::Value two = mat(1, 2, {1, 2});
  rot90(mat(2, 2, {1, 2, 3, 4}), &two, &err);
  EXPECT_EQ(err, "k must be a scalar.");
  const kh::Value none = kh::Value::empty();
  rot90(mat(2, 2, {1, 2, 3, 4}), &none, &err);
  EXPECT_EQ(err, "k must be a scalar.");
}

TEST_F(SignalForms, NargchkBounds) {
  struct Case {
    double low, high, number;
    std::string expected;  // "" for the empty matrix
  };
  const Case cases[] = {
      {2, 3, 1, "Not enough input arguments."},
      {2, 3, 4, "Too many input arguments."},
      {2, 3, 2, ""},
      {2, 3, 3, ""},
      {3, 2, 1, "Not enough input arguments."},
      {3, 2, 3, "Too many input arguments."},
      {3, 2, 2, "Not enough input arguments."},
  };
  for (const Case& c : cases) {
    kh::Value msg;
    ASSERT_TRUE(kh::protect([&] {
      mxArray* r = mlfNargchk(mlfScalar(c.low), mlfScalar(c.high), mlfScalar(c.number));
      msg = kh::valueOf(r);
      mxDestroyArray(r);
    }));
    if (c.expected.empty()) {
      EXPECT_TRUE(msg.isDouble());
      EXPECT_EQ(msg.dims(), (kh::Dims{0, 0}));
    } else {
      EXPECT_EQ(msg.utf8(), c.expected) << c.low << " " << c.high << " " << c.number;
    }
  }
}

}  // namespace
