#include "tools/clipgen/tic_plan.h"

#include <cmath>

#include <gtest/gtest.h>

namespace quillon::clipgen {
namespace {

struct ShippedTic {
  const BaudRate* rate;
  Join join;
  int mark_samples;
  int mark_cycles;  // whole cycles of a kBend tic (50 baud: 1400.0 Hz); 0 for kFade
  int space_samples;
  int space_cycles;  // 50 baud: 1800.0 Hz
};

void PrintTo(const ShippedTic& tic, std::ostream* os) {
  *os << tic.rate->baud << " baud";
}

class ShippedTicTest : public ::testing::TestWithParam<ShippedTic> {};

// The tics installed by default (8 kHz); the README documents these figures and the
// measurements behind them.
TEST_P(ShippedTicTest, MatchesTheDocumentedCut) {
  TicPlan plan;
  std::string err;
  ASSERT_TRUE(PlanTic(8000, *GetParam().rate, &plan, &err)) << err;
  EXPECT_EQ(plan.mark.join, GetParam().join);
  EXPECT_EQ(plan.space.join, GetParam().join);
  EXPECT_EQ(plan.mark.samples, GetParam().mark_samples);
  EXPECT_EQ(plan.mark.cycles, GetParam().mark_cycles);
  EXPECT_EQ(plan.space.samples, GetParam().space_samples);
  EXPECT_EQ(plan.space.cycles, GetParam().space_cycles);
  EXPECT_EQ(plan.mark.nominal_hz, kMarkHz);
  EXPECT_EQ(plan.space.nominal_hz, kSpaceHz);
  EXPECT_EQ(plan.mark.edge_samples, 16);  // 2 ms
  EXPECT_EQ(plan.space.edge_samples, 16);
}

INSTANTIATE_TEST_SUITE_P(AtEightKilohertz, ShippedTicTest,
                         ::testing::Values(ShippedTic{&kBaudRates[0], Join::kFade, 176, 0, 176, 0},
                                           ShippedTic{&kBaudRates[1], Join::kBend, 160, 28, 160,
                                                      36},
                                           ShippedTic{&kBaudRates[2], Join::kFade, 107, 0, 107, 0},
                                           ShippedTic{&kBaudRates[3], Join::kFade, 73, 0, 73, 0}));

class SampleRateTest : public ::testing::TestWithParam<int> {};

TEST_P(SampleRateTest, EveryRateKeepsTonesAndBitTime) {
  const int sample_rate = GetParam();
  for (const BaudRate& rate : kBaudRates) {
    TicPlan plan;
    std::string err;
    ASSERT_TRUE(PlanTic(sample_rate, rate, &plan, &err)) << err;
    for (const TonePlan* tone : {&plan.mark, &plan.space}) {
      SCOPED_TRACE(std::string(rate.tag) + " baud, " + std::to_string(tone->nominal_hz) + " Hz");
      EXPECT_NEAR(plan.AverageHz(*tone), tone->nominal_hz, kToneTolerance * tone->nominal_hz);
      EXPECT_LT(2 * plan.AverageHz(*tone), sample_rate);
      // Half a sample of rounding, plus the design's tolerance; at 45.45 baud the tolerance
      // is 0, so a bit stays well within 22 +- 0.4 ms.
      EXPECT_NEAR(plan.Seconds(*tone), 1 / rate.baud,
                  rate.design.length_tolerance / rate.baud + 0.5 / sample_rate + 1e-12);
      EXPECT_GE(tone->edge_samples, 1);
      EXPECT_LE(tone->edge_samples, tone->samples / 4);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(CommonRates, SampleRateTest,
                         ::testing::Values(4000, 8000, 11025, 16000, 22050, 44100, 48000, 96000,
                                           192000));

// A wider length tolerance finds whole cycles nearer the nominal tone, and never farther.
TEST(TicPlanTest, LengthToleranceBringsTheAverageNearerTheNominalTone) {
  for (const double nominal : {kMarkHz, kSpaceHz}) {
    TonePlan fixed;
    TonePlan free;
    std::string err;
    ASSERT_TRUE(PlanTone(8000, 110, {0.0, 0.002}, nominal, &fixed, &err)) << err;
    ASSERT_TRUE(PlanTone(8000, 110, {0.025, 0.002}, nominal, &free, &err)) << err;
    EXPECT_EQ(fixed.samples, 73);
    const auto miss = [](const TonePlan& t) {
      return std::fabs(t.cycles * 8000.0 / t.samples - t.nominal_hz);
    };
    EXPECT_LT(miss(free), miss(fixed)) << nominal;
    EXPECT_LT(miss(free), 6.0) << nominal;
  }
}

TEST(TicPlanTest, RefusesWhatCannotBeCarried) {
  TicPlan plan;
  std::string err;
  // 3 kHz sampling cannot carry 1800 Hz at all.
  EXPECT_FALSE(PlanTic(3000, kBaudRates[0], &plan, &err));
  EXPECT_NE(err.find("half the sample rate"), std::string::npos) << err;
  // An 8-sample bit leaves 1000 Hz or 2000 Hz for the 1400 Hz mark: 28 % off.
  err.clear();
  EXPECT_FALSE(PlanTic(8000, BaudRate{"1000", 1000, {}}, &plan, &err));
  EXPECT_NE(err.find("more than 5%"), std::string::npos) << err;
}

}  // namespace
}  // namespace quillon::clipgen
