#include "tools/clipgen/g711.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace quillon::clipgen {
namespace {

struct KnownCode {
  int16_t linear;
  uint8_t mulaw;
  uint8_t alaw;
};

// Zero, the smallest negative step and both ends of the 16-bit range, with the codes the
// G.711 reference encoders give them.
constexpr KnownCode kKnownCodes[] = {
    {0, 0xFF, 0xD5},
    {-1, 0x7F, 0x55},
    {32767, 0x80, 0xAA},
    {-32768, 0x00, 0x2A},
};

TEST(G711Test, EncodesKnownValues) {
  for (const KnownCode& known : kKnownCodes) {
    EXPECT_EQ(LinearToMulaw(known.linear), known.mulaw) << known.linear;
    EXPECT_EQ(LinearToAlaw(known.linear), known.alaw) << known.linear;
  }
}

TEST(G711Test, DecodesKnownCodes) {
  EXPECT_EQ(MulawToLinear(0xFF), 0);
  EXPECT_EQ(MulawToLinear(0x80), 32124);
  EXPECT_EQ(MulawToLinear(0x00), -32124);
  EXPECT_EQ(AlawToLinear(0xD5), 8);
  EXPECT_EQ(AlawToLinear(0x55), -8);
  EXPECT_EQ(AlawToLinear(0xAA), 32256);
  EXPECT_EQ(AlawToLinear(0x2A), -32256);
}

TEST(G711Test, EveryCodeSurvivesDecodeAndEncode) {
  for (int code = 0; code < 256; ++code) {
    const auto c = static_cast<uint8_t>(code);
    // mu-law has two zeros; the encoder always gives the positive one.
    EXPECT_EQ(LinearToMulaw(MulawToLinear(c)), c == 0x7F ? 0xFF : c) << code;
    EXPECT_EQ(LinearToAlaw(AlawToLinear(c)), c) << code;
  }
}

// Companding keeps the order of the samples and loses at most about 1/16 of a value
// (one step of its segment), so a tone keeps its shape and level.
TEST(G711Test, QuantisingIsMonotonicAndClose) {
  int previous_mu = -32768;
  int previous_a = -32768;
  for (int x = -32768; x <= 32767; ++x) {
    const auto sample = static_cast<int16_t>(x);
    const int mu = MulawToLinear(LinearToMulaw(sample));
    const int a = AlawToLinear(LinearToAlaw(sample));
    ASSERT_GE(mu, previous_mu) << x;
    ASSERT_GE(a, previous_a) << x;
    const int allowed = std::max(16, std::abs(x) / 16);
    ASSERT_LE(std::abs(mu - x), allowed) << "mu-law " << x;
    ASSERT_LE(std::abs(a - x), allowed) << "A-law " << x;
    previous_mu = mu;
    previous_a = a;
  }
}

}  // namespace
}  // namespace quillon::clipgen
