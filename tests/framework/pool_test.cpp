// Module pools: order of creation, kinds of constant, reverse destruction.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/constant.h"
#include "framework/function.h"
#include "framework/module.h"
#include "host/capi/destroy_observer.h"
#include "host/values/handle.h"

namespace {

#define POOL(X)                                                                                 \
  X(kPercent, kf::text("%"))                                                                    \
  X(kEmptyText, kf::emptyText())                                                                \
  X(kX, kf::text("xdata"))                                                                      \
  X(kY, kf::text("ydata"))                                                                      \
  X(kZ, kf::text("zdata"))                                                                      \
  X(kXYZ, kf::cell(1, 3, {kX, kY, kZ}))                                                         \
  X(kMode, kf::text("mode"))                                                                    \
  X(kXYMode, kf::cell(1, 3, {kX, kY, kMode}))                                                   \
  X(kLimits, kf::matrix(1, 6, {kf::kInf, -kf::kInf, kf::kInf, -kf::kInf, kf::kInf, -kf::kInf})) \
  X(kNan, kf::num(kf::kNaN))                                                                    \
  X(kEmpty, kf::matrix(0, 0, {}))
KF_POOL(POOL)
#undef POOL

mexLocalFunctionTable probeTable{0, nullptr};
kf::Module probe{"probe", &probeTable, poolTable};
kf::Function probeMain{probe, "probe", 1, 0, true, {"a", "b"}};
kf::Function probeLocal{probe, "probe/helper", 42, 2, false, {"c"}};

std::string text(const mxArray* a) { return kh::valueOf(a).utf8(); }

struct Initialized {
  explicit Initialized(kf::Module& m) : m(m) { m.initialize(); }
  ~Initialized() { m.terminate(); }
  kf::Module& m;
};

TEST(Pool, ArgumentMessagesComeFirstThenConstantsInListOrder) {
  Initialized init(probe);
  const auto& c = probe.created();
  ASSERT_EQ(c.size(), 3u + kPoolSize);
  EXPECT_EQ(text(c[0]),
            "Run-time Error: File: probe Line: 1 Column: 1 The function \"probe\" was called "
            "with more than the declared number of outputs (2).");
  EXPECT_EQ(text(c[1]),
            "Run-time Error: File: probe/helper Line: 42 Column: 1 The function \"probe/helper\" "
            "was called with more than the declared number of outputs (1).");
  EXPECT_EQ(text(c[2]),
            "Run-time Error: File: probe/helper Line: 42 Column: 1 The function \"probe/helper\" "
            "was called with more than the declared number of inputs (2).");
  EXPECT_EQ(probeMain.inputsMessage, nullptr);  // varargin: outputs message only
  for (int i = 0; i < kPoolSize; ++i) EXPECT_EQ(c[3 + static_cast<std::size_t>(i)], probe[i]);
}

TEST(Pool, KindsOfConstant) {
  Initialized init(probe);
  const kh::Value& pct = kh::valueOf(probe[kPercent]);
  EXPECT_TRUE(pct.isChar());
  EXPECT_EQ(pct.dims(), (kh::Dims{1, 1}));
  const kh::Value& et = kh::valueOf(probe[kEmptyText]);
  EXPECT_TRUE(et.isChar());
  EXPECT_EQ(et.dims(), (kh::Dims{0, 0}));
  const kh::Value& e = kh::valueOf(probe[kEmpty]);
  EXPECT_TRUE(e.isDouble());
  EXPECT_EQ(e.dims(), (kh::Dims{0, 0}));
  const kh::Value& lim = kh::valueOf(probe[kLimits]);
  ASSERT_EQ(lim.dims(), (kh::Dims{1, 6}));
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(lim.at(i), i % 2 ? -INFINITY : INFINITY);
  EXPECT_TRUE(std::isnan(kh::valueOf(probe[kNan]).at(0)));
  const kh::Value& xym = kh::valueOf(probe[kXYMode]);
  ASSERT_TRUE(xym.isCell());
  EXPECT_EQ(xym.dims(), (kh::Dims{1, 3}));
  EXPECT_EQ(xym.cellAt(0).utf8(), "xdata");
  EXPECT_EQ(xym.cellAt(2).utf8(), "mode");
}

TEST(Pool, TerminateDestroysInReverseOrderOfCreation) {
  probe.initialize();
  const std::vector<mxArray*> created = probe.created();
  const std::size_t live = kh::liveHandles();
  std::vector<const mxArray*> destroyed;
  auto old = kh::setDestroyObserver([&](const mxArray* a) { destroyed.push_back(a); });
  probe.terminate();
  kh::setDestroyObserver(old);
  ASSERT_EQ(destroyed.size(), created.size());
  for (std::size_t i = 0; i < created.size(); ++i)
    EXPECT_EQ(destroyed[i], created[created.size() - 1 - i]);
  EXPECT_EQ(kh::liveHandles(), live - created.size());
  // The shared cell is destroyed before the elements built for it.
  EXPECT_TRUE(probe.created().empty());
}

TEST(Pool, RealModules) {
  const kf::Module* kestrel = kf::findModule("kestrel");
  const kf::Module* rot90 = kf::findModule("rot90");
  const kf::Module* nargchk = kf::findModule("nargchk");
  ASSERT_TRUE(kestrel && rot90 && nargchk);
  EXPECT_EQ(kf::modules().size(), 28u + 2u);  // the library's and the two test probes
  const_cast<kf::Module*>(kestrel)->initialize();
  EXPECT_EQ(text(kestrel->created().front()),
            "Run-time Error: File: kestrel Line: 1 Column: 1 The function \"kestrel\" was called "
            "with more than the declared number of outputs (0).");
  EXPECT_EQ(text(kestrel->created()[1]),
            "Run-time Error: File: kestrel Line: 1 Column: 1 The function \"kestrel\" was called "
            "with more than the declared number of inputs (1).");
  EXPECT_EQ(text(kestrel->created()[2]),
            "Run-time Error: File: kestrel/loadpulse Line: 100 Column: 1 The function "
            "\"kestrel/loadpulse\" was called with more than the declared number of outputs (0).");
  EXPECT_EQ(text(kestrel->created().back()), "same");
  // Every constant is built once.
  std::vector<std::string> seen;
  for (const mxArray* a : kestrel->created()) {
    const kh::Value& v = kh::valueOf(a);
    std::string key = kh::className(v) + ":" + (v.isChar() ? v.utf8() : "");
    if (v.isDouble())
      for (std::size_t i = 0; i < v.numel(); ++i) key += std::to_string(v.at(i)) + ",";
    EXPECT_EQ(std::count(seen.begin(), seen.end(), key), 0) << key;
    seen.push_back(key);
  }
  const_cast<kf::Module*>(kestrel)->terminate();

  const_cast<kf::Module*>(rot90)->initialize();
  ASSERT_EQ(rot90->created().size(), 2u + 8u);
  EXPECT_EQ(kh::valueOf(rot90->created()[2]).at(0), -1.0);
  EXPECT_EQ(text(rot90->created()[9]), "k must be a scalar.");
  const_cast<kf::Module*>(rot90)->terminate();
}

}  // namespace
