// Joins the real tic clips into every one of the 32 frames with the real wavcat, as the
// alphabet construction joins them, and measures the frames: where each bit starts against
// the ideal grid (bit k k x 8000 / baud samples after the start bit's edge), the tone in the
// middle of every bit, and the frame's length.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/clipgen/test_util.h"
#include "tools/clipgen/tic_plan.h"
#include "tools/wav/samples.h"

namespace quillon::clipgen {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

constexpr int kRate = 8000;

/// Where each bit of the joined frame `x` starts: the frame is read as the tic clips it was
/// joined from, each found where the one before ends (a join copies them sample for sample);
/// -1 from the first bit that is not its tic.
std::vector<long> BitStarts(const std::vector<int16_t>& x, const std::string& bits,
                            const std::vector<int16_t>& mark, const std::vector<int16_t>& space) {
  std::vector<long> starts;
  size_t at = 0;
  for (char bit : bits) {
    const std::vector<int16_t>& tic = bit == '1' ? mark : space;
    const bool found = at + tic.size() <= x.size() &&
                       std::equal(tic.begin(), tic.end(), x.begin() + static_cast<long>(at));
    starts.push_back(found ? static_cast<long>(at) : -1);
    if (!found) break;
    at += tic.size();
  }
  return starts;
}

/// The tone of x[from, to) from its rising zero crossings, interpolated between samples.
double ToneHz(const std::vector<int16_t>& x, long from, long to) {
  double first = -1;
  double last = -1;
  int crossings = 0;
  for (long i = from + 1; i < to; ++i) {
    const double a = x[static_cast<size_t>(i - 1)];
    const double b = x[static_cast<size_t>(i)];
    if (a >= 0 || b < 0) continue;
    const double at = static_cast<double>(i - 1) - a / (b - a);
    if (crossings++ == 0) first = at;
    last = at;
  }
  return crossings < 2 ? 0 : (crossings - 1) * static_cast<double>(kRate) / (last - first);
}

class ClipGridTest : public ::testing::TestWithParam<BaudRate> {
 protected:
  void SetUp() override {
    const auto result = testing::RunProgram({QUILLON_CLIPGEN_EXE, "--out", dir_.path().string()});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string tag(GetParam().tag);
    mark_ = testing::Samples(testing::ReadWav(dir_.path() / ("marktic" + tag + "baud.wav")),
                             wav::SampleFormat::Pcm16);
    space_ = testing::Samples(testing::ReadWav(dir_.path() / ("spacetic" + tag + "baud.wav")),
                              wav::SampleFormat::Pcm16);
  }
  // The frame of `code` (bits 1 to 5, mark = 1) joined by wavcat: start bit, code, two stops.
  std::vector<int16_t> Frame(const std::string& code) {
    const std::string tag(GetParam().tag);
    const std::string mark = (dir_.path() / ("marktic" + tag + "baud.wav")).string();
    const std::string space = (dir_.path() / ("spacetic" + tag + "baud.wav")).string();
    std::vector<std::string> argv{QUILLON_WAVCAT_EXE, space};
    for (char bit : code) argv.push_back(bit == '1' ? mark : space);
    argv.push_back(mark);
    argv.push_back(mark);
    const fs::path out = dir_.path() / ("frame-" + code + ".wav");
    argv.push_back(out.string());
    const auto result = testing::RunProgram(argv);
    EXPECT_EQ(result.status, 0) << result.err;
    return testing::Samples(testing::ReadWav(out), wav::SampleFormat::Pcm16);
  }
  TempDir dir_;
  std::vector<int16_t> mark_;
  std::vector<int16_t> space_;
};

TEST_P(ClipGridTest, EveryFrameKeepsItsBitsOnTheGridAndItsTones) {
  const double bit = kRate / GetParam().baud;
  size_t frame_samples = 0;
  for (int value = 0; value < 32; ++value) {
    std::string code;
    for (int b = 4; b >= 0; --b) code += (value >> b) & 1 ? '1' : '0';
    SCOPED_TRACE("code " + code);
    const std::string bits = "0" + code + "11";  // as sent: start, code, stops
    const std::vector<int16_t> x = Frame(code);
    if (value == 0) frame_samples = x.size();
    EXPECT_EQ(x.size(), frame_samples) << "every frame the same length";
    const std::vector<long> starts = BitStarts(x, bits, mark_, space_);
    ASSERT_EQ(starts.size(), bits.size());
    for (size_t k = 0; k < bits.size(); ++k) {
      ASSERT_GE(starts[k], 0) << "bit " << k << " is not its tic";
      EXPECT_LE(std::fabs(static_cast<double>(starts[k]) - static_cast<double>(k) * bit),
                0.03 * bit)
          << "bit " << k << " starts at sample " << starts[k];
    }
    for (size_t k = 0; k < bits.size(); ++k) {
      const double nominal = bits[k] == '1' ? kMarkHz : kSpaceHz;
      const auto from = std::lround((static_cast<double>(k) + 0.2) * bit);
      const auto to = std::lround((static_cast<double>(k) + 0.8) * bit);
      EXPECT_NEAR(ToneHz(x, from, to), nominal, kToneTolerance * nominal) << "bit " << k;
    }
  }
  // Eight bits of the rate's tic length: within half a sample of eight bit times per bit.
  EXPECT_NEAR(static_cast<double>(frame_samples), 8 * bit, 8 * 0.5);
}

INSTANTIATE_TEST_SUITE_P(ShippedRates, ClipGridTest, ::testing::ValuesIn(kBaudRates),
                         [](const ::testing::TestParamInfo<BaudRate>& info) {
                           return "baud" + std::string(info.param.tag);
                         });

}  // namespace
}  // namespace quillon::clipgen
