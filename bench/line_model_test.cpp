// The line model the benchmark measures with: its filters follow the published responses, its
// clock error moves tones and bits by the share asked for, its noise and G.711 sit at the
// levels asked for. And a prompt joined from the real clips, played with a clock 1 % fast or
// slow, is still received by the project's spandsp receiver at every rate.

#include "bench/line_model.h"

#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/synthesis/alphabet_table.h"
#include "core/verification/receiver.h"
#include "tests/support/program_run.h"
#include "tests/support/test_base.h"

namespace quillon::bench {
namespace {

class LineFilterTest : public ::testing::TestWithParam<LineShape> {};

// Within the voice band, where the tones and most of the noise lie.
TEST_P(LineFilterTest, FollowsThePublishedLossAndDelay) {
  SCOPED_TRACE(std::string(GetParam().name));
  const std::vector<float> filter = DesignLineFilter(GetParam(), kLineTaps);
  const double own_delay_ms = (kLineTaps - 1) / 2.0 / kLineSampleRate * 1000;
  for (double hz = 500; hz <= 3300; hz += 100) {
    const ResponsePoint want = Interpolate(GetParam(), hz);
    EXPECT_NEAR(GainDb(filter, hz), -want.loss_db, 0.6) << hz << " Hz";
    EXPECT_NEAR(GroupDelayMs(filter, hz) - own_delay_ms, want.delay_ms, 0.15 + 0.05 * want.delay_ms)
        << hz << " Hz";
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, LineFilterTest, ::testing::ValuesIn(LineShapes()));

TEST(LineFilterTest, TheFlatLineStopsOutsideTheVoiceBand) {
  const std::vector<float> filter = DesignLineFilter(LineShapes()[0], kLineTaps);
  EXPECT_LT(GainDb(filter, 100), -30);
  EXPECT_LT(GainDb(filter, 3800), -30);
}

/// The tone of `x` from its rising zero crossings, interpolated between samples.
double ToneHz(const std::vector<float>& x) {
  double first = -1;
  double last = -1;
  int crossings = 0;
  for (size_t i = 1000; i + 1000 < x.size(); ++i) {
    if (x[i - 1] >= 0 || x[i] < 0) continue;
    const double at = static_cast<double>(i - 1) - x[i - 1] / (x[i] - x[i - 1]);
    if (crossings++ == 0) first = at;
    last = at;
  }
  return (crossings - 1) * static_cast<double>(kLineSampleRate) / (last - first);
}

std::vector<float> Tone(double hz, double dbm0, size_t samples) {
  std::vector<float> x(samples);
  const double peak = RmsForLevel(dbm0) * std::numbers::sqrt2;
  for (size_t i = 0; i < samples; ++i)
    x[i] = static_cast<float>(peak * std::sin(2 * std::numbers::pi * hz * i / kLineSampleRate));
  return x;
}

class ClockTest : public ::testing::TestWithParam<double> {};

TEST_P(ClockTest, MovesTonesAndLengthByTheClockError) {
  const double speed = GetParam();
  const std::vector<float> tone = Tone(1800, -10, 16000);
  const std::vector<float> played = ChangeClock(tone, speed);
  EXPECT_NEAR(static_cast<double>(played.size()), 16000 / speed, 1.0);
  EXPECT_NEAR(ToneHz(played), 1800 * speed, 0.2);
  EXPECT_NEAR(SignalLevelDbm0(played), -10, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Clocks, ClockTest, ::testing::Values(1.01, 0.99, 1.03));

TEST(TransmitTest, CarriesTheSignalAndTheNoiseAtTheirLevels) {
  const Line line{DesignLineFilter(LineShapes()[0], kLineTaps), Law::MuLaw};
  const std::vector<float> tone = Tone(1000, -10, 16000);
  const std::vector<float> near = Filter(line.filter, tone);
  const auto level = [](const std::vector<std::int16_t>& x) {
    return SignalLevelDbm0(std::vector<float>(x.begin() + 4000, x.end()));
  };
  // No noise to speak of: the tone arrives at its level through two sections and G.711.
  EXPECT_NEAR(level(Transmit(line, near, -100, 1)), -10, 0.3);
  // Silence: the near section's noise through the far filter (the voice band, 3100 of 4000
  // Hz) and the far section's own noise: 10 log10(1 + 0.775) = 2.5 dB above one section.
  const std::vector<float> quiet(16000, 0.0f);
  EXPECT_NEAR(level(Transmit(line, quiet, -20, 1)), -17.5, 0.5);
  // The same seed gives the same noise; another seed other noise.
  EXPECT_EQ(Transmit(line, quiet, -20, 3), Transmit(line, quiet, -20, 3));
  EXPECT_NE(Transmit(line, quiet, -20, 3), Transmit(line, quiet, -20, 4));
}

// --- A prompt of the real clips under a clock error ------------------------------------------

std::vector<std::int16_t> ReadData(const QString& path) {
  const QByteArray bytes = test::ReadAll(path);
  std::vector<std::int16_t> samples;
  const qsizetype data = bytes.indexOf("data");
  if (data < 0) return samples;
  for (qsizetype i = data + 8; i + 1 < bytes.size(); i += 2)
    samples.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
  return samples;
}

struct ClockCase {
  BaudRate rate;
  const char* tag;
  double speed;
};

void PrintTo(const ClockCase& c, std::ostream* os) {
  *os << c.tag << " baud, clock x" << c.speed;
}

class ClockErrorDecodeTest : public ::testing::TestWithParam<ClockCase> {};

// Every frame of the alphabet table, once, after the lead-in, as the construction joins them.
TEST_P(ClockErrorDecodeTest, SpandspStillReceivesEveryFrame) {
  QTemporaryDir dir;
  const test::ProgramRun clipgen =
      test::RunProgram(QStringLiteral(QUILLON_CLIPGEN_EXE), {QStringLiteral("--out"), dir.path()});
  ASSERT_TRUE(clipgen.succeeded()) << clipgen.err.toStdString();
  const auto clip = [&dir](const std::string& name) {
    return ReadData(QDir(dir.path()).filePath(QString::fromStdString(name)));
  };
  const std::string tag = GetParam().tag;
  const std::vector<std::int16_t> mark = clip("marktic" + tag + "baud.wav");
  const std::vector<std::int16_t> space = clip("spacetic" + tag + "baud.wav");
  std::vector<float> prompt;
  for (std::int16_t s : clip("smallsilence.wav")) prompt.push_back(s);
  std::vector<BaudotCode> sent;
  for (const AlphabetRow& row : kAlphabet) {
    for (char tic : TicSequence(row))
      for (std::int16_t s : tic == 'M' ? mark : space) prompt.push_back(s);
    BaudotCode code = 0;
    for (size_t b = 0; b < row.code.size(); ++b)
      if (row.code[b] == '1') code |= static_cast<BaudotCode>(1 << b);
    sent.push_back(code);
  }
  prompt.resize(prompt.size() + 800, 0.0f);
  std::vector<std::int16_t> played;
  for (float s : ChangeClock(prompt, GetParam().speed))
    played.push_back(static_cast<std::int16_t>(std::lround(s)));
  std::vector<BaudotCode> heard;
  std::string err;
  ASSERT_TRUE(ReceiveCodes(played, NominalSignal(GetParam().rate), &heard, &err)) << err;
  EXPECT_EQ(heard, sent);
}

std::vector<ClockCase> ClockCases() {
  std::vector<ClockCase> cases;
  for (const auto& [rate, tag] : {std::pair{BaudRate::Baud45, "45"},
                                  {BaudRate::Baud50, "50"},
                                  {BaudRate::Baud75, "75"},
                                  {BaudRate::Baud110, "110"}})
    for (double speed : {1.01, 0.99}) cases.push_back({rate, tag, speed});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Rates, ClockErrorDecodeTest, ::testing::ValuesIn(ClockCases()));

}  // namespace
}  // namespace quillon::bench
