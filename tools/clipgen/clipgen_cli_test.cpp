// Runs the real quillon-clipgen and checks the clips it writes: their headers, the tones
// and levels inside the tics, and the make-up of the blank and silence clips.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <stdexcept>

#include <gtest/gtest.h>

#include "tools/clipgen/test_util.h"
#include "tools/clipgen/tic_plan.h"
#include "tools/wav/samples.h"

namespace quillon::clipgen {
namespace {

namespace fs = std::filesystem;
using testing::RunProgram;
using testing::TempDir;

const std::vector<std::string> kClipNames = {
    "marktic45baud.wav", "spacetic45baud.wav", "marktic50baud.wav",  "spacetic50baud.wav",
    "marktic75baud.wav", "spacetic75baud.wav", "marktic110baud.wav", "spacetic110baud.wav",
    "BlankChar.wav",     "smallsilence.wav",   "silence.wav"};

/// The share of the energy of `x[from, to)` that a sine at `hz` (any phase and amplitude,
/// fitted by least squares) leaves unexplained.
double MisfitOfTone(const std::vector<int16_t>& x, size_t from, size_t to, double hz,
                    int sample_rate) {
  double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0, xx = 0;
  for (size_t i = from; i < to; ++i) {
    const double w = 2 * std::numbers::pi * hz * static_cast<double>(i) / sample_rate;
    const double s = std::sin(w), c = std::cos(w), v = x[i];
    ss += s * s;
    cc += c * c;
    sc += s * c;
    xs += v * s;
    xc += v * c;
    xx += v * v;
  }
  const double det = ss * cc - sc * sc;
  const double a = (xs * cc - xc * sc) / det;
  const double b = (xc * ss - xs * sc) / det;
  return (xx - a * xs - b * xc) / xx;
}

double LevelDbm0(const std::vector<int16_t>& x) {
  double sum = 0;
  for (int16_t v : x) sum += static_cast<double>(v) * v;
  return 3.14 + 20 * std::log10(std::sqrt(2 * sum / x.size()) / 32767);
}

bool IsSilent(const std::vector<int16_t>& x) {
  // A-law has no exact zero: its quietest codes decode to +-8.
  return std::all_of(x.begin(), x.end(), [](int16_t v) { return std::abs(v) <= 8; });
}

struct SetRun {
  wav::SampleFormat format;
  int sample_rate;
  double level;
};

void PrintTo(const SetRun& run, std::ostream* os) {
  *os << wav::SampleFormatName(run.format) << ' ' << run.sample_rate << " Hz " << run.level
      << " dBm0";
}

class ClipSetTest : public ::testing::TestWithParam<SetRun> {
 protected:
  void SetUp() override {
    const SetRun& p = GetParam();
    const auto result =
        RunProgram({QUILLON_CLIPGEN_EXE, "--format", std::string(wav::SampleFormatName(p.format)),
                    "--sample-rate", std::to_string(p.sample_rate), "--level",
                    std::to_string(p.level), "--out", dir_.path().string()});
    ASSERT_EQ(result.status, 0) << result.err;
  }
  std::vector<int16_t> Clip(const std::string& name) {
    const testing::WavInfo wav = testing::ReadWav(dir_.path() / name);
    EXPECT_EQ(wav.sample_rate, static_cast<uint32_t>(GetParam().sample_rate)) << name;
    EXPECT_EQ(wav.bits, wav::BytesPerSample(GetParam().format) * 8) << name;
    return testing::Samples(wav, GetParam().format);
  }
  TempDir dir_;
};

TEST_P(ClipSetTest, WritesExactlyTheElevenClips) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected = kClipNames;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);  // and no temporary files
}

// A tic is one bit long (at 110 baud within the design's 2.5 %), carries its nominal tone
// in its middle, and has the level asked for.
TEST_P(ClipSetTest, TicsCarryTheNominalToneAtTheLevel) {
  const int rate = GetParam().sample_rate;
  for (const BaudRate& baud : kBaudRates) {
    for (const auto& [kind, nominal] : {std::pair{"mark", kMarkHz}, {"space", kSpaceHz}}) {
      const std::string name = kind + std::string("tic") + std::string(baud.tag) + "baud.wav";
      const std::vector<int16_t> tic = Clip(name);
      const double bit = rate / baud.baud;
      EXPECT_NEAR(static_cast<double>(tic.size()), bit, bit * baud.design.length_tolerance + 0.5)
          << name;
      EXPECT_LT(MisfitOfTone(tic, tic.size() / 4, tic.size() * 3 / 4, nominal, rate), 0.005)
          << name;
      EXPECT_NEAR(LevelDbm0(tic), GetParam().level, 0.25) << name;
    }
  }
}

// Every tic starts at phase zero, rising, and its last sample leads back into its first
// without a step larger than the tone's own from one sample to the next: a whole-cycle tic
// as the sine would go on, a faded tic near zero at both ends. So any tic may follow any
// other without a jump at the join.
TEST_P(ClipSetTest, JoinedTicsContinueWithoutAJump) {
  for (const std::string& name : kClipNames) {
    if (name.find("tic") == std::string::npos) continue;
    const std::vector<int16_t> x = Clip(name);
    const int peak = *std::max_element(x.begin(), x.end());
    EXPECT_LE(std::abs(x.front()), 8 + peak / 100) << name;
    EXPECT_GT(x[1], x[0]) << name;
    EXPECT_NEAR(x.front() - x.back(), x[1] - x[0], 0.03 * peak) << name;
  }
}

TEST_P(ClipSetTest, BlankAndSilencesAreMadeOfTheRightParts) {
  const auto mark = Clip("marktic45baud.wav");
  const auto space = Clip("spacetic45baud.wav");
  std::vector<int16_t> blank;
  for (const auto* tic : {&space, &space, &space, &space, &space, &space, &mark, &mark}) {
    blank.insert(blank.end(), tic->begin(), tic->end());
  }
  EXPECT_EQ(Clip("BlankChar.wav"), blank);

  const int rate = GetParam().sample_rate;
  const auto lead = Clip("smallsilence.wav");
  const size_t quiet = rate / 5;  // 200 ms
  ASSERT_GT(lead.size(), quiet);
  EXPECT_TRUE(IsSilent({lead.begin(), lead.begin() + quiet}));
  const size_t carrier = lead.size() - quiet;
  EXPECT_EQ(carrier % mark.size(), 0u) << "lead-in must be whole mark tics";
  EXPECT_GE(carrier, rate * 3 / 10u);  // at least 300 ms of mark
  for (size_t at = quiet; at + mark.size() <= lead.size(); at += mark.size()) {
    ASSERT_TRUE(std::equal(mark.begin(), mark.end(), lead.begin() + at)) << at;
  }
  const auto silence = Clip("silence.wav");
  EXPECT_EQ(silence.size(), static_cast<size_t>(rate));
  EXPECT_TRUE(IsSilent(silence));
}

INSTANTIATE_TEST_SUITE_P(Formats, ClipSetTest,
                         ::testing::Values(SetRun{wav::SampleFormat::Pcm16, 8000, -10},
                                           SetRun{wav::SampleFormat::MuLaw, 8000, -10},
                                           SetRun{wav::SampleFormat::ALaw, 8000, -10},
                                           SetRun{wav::SampleFormat::Pcm16, 11025, -20.5}));

TEST(ClipgenCliTest, DefaultSetIsPlainPcmWithA44ByteHeader) {
  TempDir dir;
  ASSERT_EQ(RunProgram({QUILLON_CLIPGEN_EXE, "--out", dir.path().string()}).status, 0);
  for (const std::string& name : kClipNames) {
    const testing::WavInfo wav = testing::ReadWav(dir.path() / name);
    EXPECT_EQ(wav.chunks, (std::vector<std::string>{"fmt ", "data"})) << name;
    EXPECT_EQ(wav.file_size, 44 + wav.data.size()) << name;
    EXPECT_EQ(wav.tag, 1) << name;
    EXPECT_EQ(wav.sample_rate, 8000u) << name;
    EXPECT_EQ(wav.bits, 16) << name;
    EXPECT_EQ(wav.channels, 1) << name;
  }
}

// Whether a file can be made in `folder` (the probe file is left behind).
bool CanWriteIn(const fs::path& folder) {
  try {
    testing::WriteFile(folder / "probe", {});
  } catch (const std::runtime_error&) {
  }
  return fs::exists(folder / "probe");
}

// Root ignores permission bits, so a read-only file system stands in for the folder then.
fs::path UnwritableFolder(const TempDir& dir) {
  const fs::path folder = dir.path() / "locked";
  fs::create_directory(folder);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  if (!CanWriteIn(folder)) return folder;
  return CanWriteIn("/sys") ? fs::path() : fs::path("/sys");
}

TEST(ClipgenCliTest, RefusesAnUnwritableFolderAndSaysSo) {
  TempDir dir;
  const fs::path folder = UnwritableFolder(dir);
  if (folder.empty()) GTEST_SKIP() << "no unwritable folder on this machine";
  const auto result = RunProgram({QUILLON_CLIPGEN_EXE, "--out", folder.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("cannot write in '" + folder.string() + "'"), std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(folder / "silence.wav"));
}

struct Refusal {
  std::vector<std::string> args;
  int status;
  std::string message;
};

void PrintTo(const Refusal& refusal, std::ostream* os) {
  for (const std::string& arg : refusal.args) *os << arg << ' ';
}

class RefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusalTest, ExitsNonZeroWithAMessageAndWritesNothing) {
  TempDir dir;
  std::vector<std::string> argv{QUILLON_CLIPGEN_EXE};
  for (const std::string& arg : GetParam().args) {
    argv.push_back(arg == "DIR" ? dir.path().string() : arg);
  }
  const auto result = RunProgram(argv);
  EXPECT_EQ(result.status, GetParam().status);
  EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(Lines, RefusalTest,
                         ::testing::Values(Refusal{{"--out", "DIR/missing"}, 1, "does not exist"},
                                           Refusal{{"DIR"}, 2, "Try 'quillon-clipgen --help'"}));

TEST(ClipgenCliTest, HelpAndVersionAnswerOnStandardOutput) {
  const auto help = RunProgram({QUILLON_CLIPGEN_EXE, "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--format pcm16|mulaw|alaw"), std::string::npos) << help.out;
  for (const char* option : {"  --format F", "  --sample-rate HZ", "  --level DBM0", "  --out DIR",
                             "  -h, --help", "  --version"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  const auto version = RunProgram({QUILLON_CLIPGEN_EXE, "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("quillon-clipgen ", 0), 0u) << version.out;
}

}  // namespace
}  // namespace quillon::clipgen
