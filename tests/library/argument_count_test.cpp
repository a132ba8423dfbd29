// Argument-count messages of the library's functions, through the loader.
#include <gtest/gtest.h>

#include "tests/support/library.h"

namespace {

TEST(ArgumentCounts, FevalFormsRejectTooManyArguments) {
  struct Case {
    const char* name;
    int nargout;
    int nargin;
    const char* error;
  };
  const Case cases[] = {
      {"kestrel", 0, 2,
       "Run-time Error: File: kestrel Line: 1 Column: 1 The function \"kestrel\" was called with "
       "more than the declared number of inputs (1)."},
      {"kestrel", 1, 1,
       "Run-time Error: File: kestrel Line: 1 Column: 1 The function \"kestrel\" was called with "
       "more than the declared number of outputs (0)."},
      {"strvcat", 2, 5,
       "Run-time Error: File: strvcat Line: 1 Column: 1 The function \"strvcat\" was called with "
       "more than the declared number of outputs (1)."},
      {"rot90", 1, 3,
       "Run-time Error: File: rot90 Line: 1 Column: 1 The function \"rot90\" was called with "
       "more than the declared number of inputs (2)."},
  };
  for (const Case& c : cases) {
    kh::ValueList args(static_cast<std::size_t>(c.nargin), kh::Value::scalar(1));
    EXPECT_EQ(kt::callError(c.name, c.nargout, args), c.error) << c.name;
  }
}

TEST(ArgumentCounts, Rot90ThroughTheLoader) {
  const auto out = kt::call("rot90", 1, {kh::Value::row({1, 2, 3})});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].dims(), (kh::Dims{3, 1}));
  EXPECT_EQ(out[0].at(0), 3.0);
}

}  // namespace
