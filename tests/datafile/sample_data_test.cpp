// The sample record shipped in data/ holds what the pulse editor reads.
#include <gtest/gtest.h>

#include <string>

#include "host/datafile/matfile.h"

namespace {

TEST(SampleData, PulseRecordHasARecordAndAClickPosition) {
  const kh::NamedValues vars =
      kh::loadMatFile(std::string(KESTREL_SOURCE_DIR) + "/data/ex_pulse.mat", {"s", "cl"});
  ASSERT_EQ(vars.size(), 2u);
  const kh::Value& s = vars[0].first == "s" ? vars[0].second : vars[1].second;
  const kh::Value& cl = vars[0].first == "cl" ? vars[0].second : vars[1].second;
  ASSERT_TRUE(s.isDouble());
  EXPECT_TRUE(s.isVector());
  EXPECT_GE(s.numel(), 5000u);
  ASSERT_TRUE(cl.isDouble() && cl.isScalar());
  EXPECT_EQ(cl.at(0), 1200.0);
  for (std::size_t i = 0; i < s.numel(); ++i) {
    ASSERT_LE(s.at(i), 1.0) << i;
    ASSERT_GE(s.at(i), -1.0) << i;
  }
}

}  // namespace
