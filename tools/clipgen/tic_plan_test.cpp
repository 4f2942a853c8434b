#include "tools/clipgen/tic_plan.h"

#include <cmath>

#include <gtest/gtest.h>

namespace quillon::clipgen {
namespace {

struct ShippedTic {
  double baud;
  int samples;
  int mark_cycles;   // 1409.1, 1400.0, 1420.6, 1424.7 Hz
  int space_cycles;  // 1818.2, 1800.0, 1794.4, 1753.4 Hz
};

void PrintTo(const ShippedTic& tic, std::ostream* os) {
  *os << tic.baud << " baud";
}

class ShippedTicTest : public ::testing::TestWithParam<ShippedTic> {};

// The tics installed by default (8 kHz); the README documents these figures and the
// minimodem measurements behind them.
TEST_P(ShippedTicTest, MatchesTheDocumentedCut) {
  TicPlan plan;
  std::string err;
  ASSERT_TRUE(PlanTic(8000, GetParam().baud, &plan, &err)) << err;
  EXPECT_EQ(plan.samples, GetParam().samples);
  EXPECT_EQ(plan.mark_cycles, GetParam().mark_cycles);
  EXPECT_EQ(plan.space_cycles, GetParam().space_cycles);
}

INSTANTIATE_TEST_SUITE_P(AtEightKilohertz, ShippedTicTest,
                         ::testing::Values(ShippedTic{45.45, 176, 31, 40},
                                           ShippedTic{50, 160, 28, 36}, ShippedTic{75, 107, 19, 24},
                                           ShippedTic{110, 73, 13, 16}));

class SampleRateTest : public ::testing::TestWithParam<int> {};

TEST_P(SampleRateTest, EveryRateKeepsTonesAndBitTime) {
  for (const BaudRate& rate : kBaudRates) {
    TicPlan plan;
    std::string err;
    ASSERT_TRUE(PlanTic(GetParam(), rate.baud, &plan, &err)) << err;
    EXPECT_NEAR(plan.MarkHz(), kMarkHz, kToneTolerance * kMarkHz) << rate.tag;
    EXPECT_NEAR(plan.SpaceHz(), kSpaceHz, kToneTolerance * kSpaceHz) << rate.tag;
    // Half a sample of rounding at most; at 45.45 baud a bit must stay within 22 +- 0.4 ms.
    EXPECT_NEAR(1000.0 / plan.Baud(), 1000.0 / rate.baud, 500.0 / GetParam() + 1e-9) << rate.tag;
  }
}

INSTANTIATE_TEST_SUITE_P(CommonRates, SampleRateTest,
                         ::testing::Values(4000, 8000, 11025, 16000, 22050, 44100, 48000, 96000,
                                           192000));

TEST(TicPlanTest, RefusesWhatCannotBeCarried) {
  TicPlan plan;
  std::string err;
  // 3 kHz sampling cannot carry 1800 Hz at all.
  EXPECT_FALSE(PlanTic(3000, 45.45, &plan, &err));
  EXPECT_NE(err.find("half the sample rate"), std::string::npos) << err;
  // An 8-sample bit leaves 1000 Hz or 2000 Hz for the 1400 Hz mark: 28 % off.
  err.clear();
  EXPECT_FALSE(PlanTic(8000, 1000, &plan, &err));
  EXPECT_NE(err.find("more than 5%"), std::string::npos) << err;
}

}  // namespace
}  // namespace quillon::clipgen
