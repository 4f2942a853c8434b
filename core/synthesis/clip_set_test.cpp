#include "core/synthesis/clip_set.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <map>

#include "core/synthesis/clip_set_check.h"
#include "core/synthesis/clip_set_file.h"
#include "tests/support/program_run.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

QString BuiltClip(const QString& name) {
  return QDir(test::BuiltProgramFolder()).filePath(name);
}

// Runs a program of the build with `args`; true when it exited with 0.
bool RunBuilt(const QString& program, const QStringList& args, const QString& working_dir) {
  test::ProgramOptions options;
  options.working_dir = working_dir;
  options.timeout_ms = 60000;
  return test::RunProgram(BuiltClip(program), args, options).succeeded();
}

struct DescriptionCase {
  BaudRate rate;
  SampleFormat format;
  int sample_rate;
  int bit_samples;
  const char* text;
};

class ClipSetDescriptionTest : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(ClipSetDescriptionTest, IsDescribedInOneLineAndReadBackAsWritten) {
  const DescriptionCase& c = GetParam();
  ClipSet set;
  set.rate = c.rate;
  set.format = c.format;
  set.sample_rate = c.sample_rate;
  set.mark_hz = 1409.0909;
  set.space_hz = 1818.1818;
  set.bit_samples = c.bit_samples;
  EXPECT_EQ(set.Describe(), QString::fromUtf8(c.text));

  QTemporaryDir dir;
  const QString path = dir.filePath(kClipSetFileName);
  QString err;
  ASSERT_TRUE(WriteClipSet(path, set, &err)) << err.toStdString();
  ClipSet read;
  ASSERT_TRUE(ReadClipSet(path, &read, &err)) << err.toStdString();
  EXPECT_EQ(read.Describe(), set.Describe());
  EXPECT_EQ(read.bit_samples, c.bit_samples);
  EXPECT_NEAR(read.mark_hz, 1409.09, 0.001);
  EXPECT_NEAR(read.space_hz, 1818.18, 0.001);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, ClipSetDescriptionTest,
    ::testing::Values(DescriptionCase{BaudRate::Baud45, SampleFormat::Pcm16, 8000, 176,
                                      "45.45 baud, 8 kHz 16-bit PCM"},
                      DescriptionCase{BaudRate::Baud50, SampleFormat::MuLaw, 8000, 160,
                                      "50 baud, 8 kHz 8-bit mu-law"},
                      DescriptionCase{BaudRate::Baud75, SampleFormat::ALaw, 8000, 107,
                                      "75 baud, 8 kHz 8-bit A-law"},
                      DescriptionCase{BaudRate::Baud110, SampleFormat::Pcm16, 11025, 100,
                                      "110 baud, 11.025 kHz 16-bit PCM"}));

// A frame is a start bit, five code bits and the stop bits; a description written before
// the stop bits were recorded still reads, with two mark tics of stop.
struct FrameCase {
  const char* description;
  const char* code;
  qint64 frame_samples;
  double stop_bits;
};

class ClipSetFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(ClipSetFrameTest, ReadsTheBitAndStopLengths) {
  QTemporaryDir dir;
  const QString path = dir.filePath(kClipSetFileName);
  test::WriteAll(path, QByteArray("[ClipSet]\nrate=110\nformat=pcm16\nsample_rate=8000\n") +
                           GetParam().description);
  ClipSet set;
  QString err;
  ASSERT_TRUE(ReadClipSet(path, &set, &err)) << err.toStdString();
  EXPECT_EQ(set.FrameSamples(GetParam().code), GetParam().frame_samples);
  EXPECT_DOUBLE_EQ(set.StopBits(), GetParam().stop_bits);
  // Written and read again, it says the same.
  ASSERT_TRUE(WriteClipSet(path, set, &err)) << err.toStdString();
  ClipSet again;
  ASSERT_TRUE(ReadClipSet(path, &again, &err)) << err.toStdString();
  EXPECT_EQ(again.FrameSamples(GetParam().code), GetParam().frame_samples);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, ClipSetFrameTest,
    ::testing::Values(
        // Equal tics with the stop recorded: 8 bits of 73 samples whatever the code.
        FrameCase{"bit_samples=73\nmark_samples=73\nstop_samples=146\n", "11111", 584, 2.0},
        FrameCase{"bit_samples=73\nmark_samples=73\nstop_samples=146\n", "00000", 584, 2.0},
        // An older set of unequal tics: the frame follows the code, stop two mark tics.
        FrameCase{"bit_samples=71\nmark_samples=74\n", "11111", 71 + 7 * 74, 148.0 / 71},
        FrameCase{"bit_samples=71\nmark_samples=74\n", "00000", 6 * 71 + 2 * 74, 148.0 / 71},
        // The oldest: one tic length.
        FrameCase{"bit_samples=73\n", "10101", 8 * 73, 2.0}));

// The description as the alphabet construction has always written it, comment and section
// included: it still reads, and is written again byte for byte. One written by hand without a
// section, with its own comments, reads too.
TEST(ClipSetFileTest, ReadsDescriptionsOfEveryVersionAndWritesTheSameText) {
  const QByteArray written =
      "; The clip set of this program folder, written by Create Alphabet.\n"
      "[ClipSet]\nrate=45.45\nmark_hz=1409.09\nspace_hz=1818.18\nformat=mulaw\n"
      "sample_rate=8000\nbit_samples=176\nmark_samples=176\nstop_samples=352\n";
  const QByteArray by_hand =
      "; tics of 176 samples\nformat = mulaw\nrate = 45.45\r\nsample_rate=8000\n\n"
      "bit_samples=176\nmark_samples=176\nstop_samples=352\nmark_hz=1409.09\n"
      "space_hz=1818.18\n";
  QTemporaryDir dir;
  for (const QByteArray& text : {written, by_hand}) {
    const QString path = dir.filePath(kClipSetFileName);
    test::WriteAll(path, text);
    ClipSet set;
    QString err;
    ASSERT_TRUE(ReadClipSet(path, &set, &err)) << text.toStdString() << err.toStdString();
    EXPECT_EQ(set.Describe(), QStringLiteral("45.45 baud, 8 kHz 8-bit mu-law"));
    EXPECT_EQ(set.StopBits(), 2.0);
    EXPECT_NEAR(set.space_hz, 1818.18, 0.001);
    const QString again = dir.filePath(QStringLiteral("again.ini"));
    ASSERT_TRUE(WriteClipSet(again, set, &err)) << err.toStdString();
    EXPECT_EQ(test::ReadAll(again), written);
  }
}

TEST(ClipSetFileTest, RefusesADescriptionItCannotTrust) {
  QTemporaryDir dir;
  const QString path = dir.filePath(kClipSetFileName);
  ClipSet set;
  QString err;
  EXPECT_FALSE(ReadClipSet(path, &set, &err));
  EXPECT_TRUE(err.contains(QStringLiteral("no clipset.ini"))) << err.toStdString();

  const std::vector<std::pair<QByteArray, const char*>> bad = {
      {"rate=300\nformat=pcm16\nsample_rate=8000\nbit_samples=176\n", "rate"},
      {"rate=50\nformat=gsm\nsample_rate=8000\nbit_samples=176\n", "format"},
      {"rate=50\nformat=pcm16\nsample_rate=8000\n", "bit_samples"},
      {"rate=50\nformat=pcm16\nsample_rate=-1\nbit_samples=176\n", "sample_rate"},
      {"rate=50\nformat=pcm16\nsample_rate=8000\nbit_samples=160\nstop_samples=0\n",
       "stop_samples"},
      // Descriptions no clip set can have: tones far off (or one for both), a sample
      // rate no clip has, bits of another rate.
      {"rate=50\nformat=pcm16\nsample_rate=8000\nbit_samples=160\nmark_hz=1e308\n", "tones"},
      {"rate=50\nformat=pcm16\nsample_rate=8000\nbit_samples=160\nmark_hz=1800\nspace_hz=1800\n",
       "tones"},
      {"rate=50\nformat=pcm16\nsample_rate=1\nbit_samples=160\n", "sample rate"},
      {"rate=50\nformat=pcm16\nsample_rate=8000\nbit_samples=176\n", "bit lengths"},
  };
  for (const auto& [text, named] : bad) {
    test::WriteAll(path, text);
    err.clear();
    EXPECT_FALSE(ReadClipSet(path, &set, &err)) << text.toStdString();
    EXPECT_TRUE(err.contains(QLatin1String(named))) << err.toStdString();
  }
}

// The tics the build generated, measured: the nominal mark and space tones
// (within a few hertz: the tics are drawn to join in phase), in all three
// formats.
struct TicCase {
  const char* tic;
  double hz;
};

class ToneMeasureTest : public ::testing::TestWithParam<TicCase> {};

TEST_P(ToneMeasureTest, FindsTheToneOfEveryTicInEveryFormat) {
  QTemporaryDir g711;
  for (const char* format : {"mulaw", "alaw"}) {
    const QString folder = g711.filePath(QLatin1String(format));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(RunBuilt(
        QStringLiteral("quillon-clipgen"),
        {QStringLiteral("--format"), QLatin1String(format), QStringLiteral("--out"), folder},
        folder));
  }
  const QString tic = QLatin1String(GetParam().tic);
  for (const QString& path : {BuiltClip(tic), g711.filePath(QStringLiteral("mulaw/") + tic),
                              g711.filePath(QStringLiteral("alaw/") + tic)}) {
    std::vector<std::int16_t> samples;
    WavLayout layout;
    QString err;
    ASSERT_TRUE(ReadWavSamples(path, &samples, &layout, &err)) << err.toStdString();
    const std::optional<double> hz = MeasureToneHz(samples, layout.sample_rate);
    ASSERT_TRUE(hz.has_value()) << path.toStdString();
    EXPECT_NEAR(*hz, GetParam().hz, GetParam().hz * 0.02) << path.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tics, ToneMeasureTest,
    ::testing::Values(TicCase{"marktic45baud.wav", 1400}, TicCase{"spacetic45baud.wav", 1800},
                      TicCase{"marktic50baud.wav", 1400}, TicCase{"spacetic50baud.wav", 1800},
                      TicCase{"marktic75baud.wav", 1400}, TicCase{"spacetic75baud.wav", 1800},
                      TicCase{"marktic110baud.wav", 1400}, TicCase{"spacetic110baud.wav", 1800}));

TEST(ToneMeasureTest, SilenceHasNoTone) {
  EXPECT_FALSE(MeasureToneHz(std::vector<std::int16_t>(800, 0), 8000).has_value());
}

TEST(WavSamplesTest, G711ExpandsToTheLinearSamples) {
  QTemporaryDir dir;
  ASSERT_TRUE(RunBuilt(
      QStringLiteral("quillon-clipgen"),
      {QStringLiteral("--format"), QStringLiteral("mulaw"), QStringLiteral("--out"), dir.path()},
      dir.path()));
  std::vector<std::int16_t> linear;
  std::vector<std::int16_t> expanded;
  WavLayout linear_layout;
  WavLayout g711_layout;
  QString err;
  ASSERT_TRUE(
      ReadWavSamples(BuiltClip(QStringLiteral("smallsilence.wav")), &linear, &linear_layout, &err));
  ASSERT_TRUE(ReadWavSamples(dir.filePath(QStringLiteral("smallsilence.wav")), &expanded,
                             &g711_layout, &err));
  EXPECT_EQ(g711_layout.Format(), SampleFormat::MuLaw);
  ASSERT_EQ(expanded.size(), linear.size());
  for (size_t i = 0; i < linear.size(); ++i) {
    // mu-law keeps about 3 % of a sample's size, and 4 units near zero.
    const int allowed = std::max(8, std::abs(linear[i]) / 16);
    ASSERT_LE(std::abs(expanded[i] - linear[i]), allowed) << "sample " << i;
  }
}

/// A copy of the built clip set, to be spoiled by each test.
class ClipSetCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::InstallBuiltClipSet(dir_.path());
  }
  QString Path(const QString& name) const { return dir_.filePath(name); }

  QTemporaryDir dir_;
};

TEST_F(ClipSetCheckTest, TheBuiltSetIsUsableAndDescribed) {
  const ClipSetCheck check = CheckClipSet(dir_.path());
  EXPECT_TRUE(check.usable()) << check.Summary().toStdString();
  ASSERT_TRUE(check.set.has_value());
  EXPECT_EQ(check.set->Describe(), QStringLiteral("45.45 baud, 8 kHz 16-bit PCM"));
  EXPECT_EQ(check.set->bit_samples, 176);
  EXPECT_EQ(check.set->mark_samples, 176);
  EXPECT_EQ(check.set->stop_samples, 2 * 176);
  // The nominal US TTY tones, within the 0.5 % that zero crossings near the tics' faded
  // edges leave (V.18 allows 5 %).
  EXPECT_NEAR(check.set->mark_hz, 1400, 7);
  EXPECT_NEAR(check.set->space_hz, 1800, 9);
}

TEST_F(ClipSetCheckTest, FindsClipsInAnotherCase) {
  ASSERT_TRUE(QFile::rename(Path(QStringLiteral("LTRS.wav")), Path(QStringLiteral("ltrs.WAV"))));
  EXPECT_TRUE(CheckClipSet(dir_.path()).usable());
}

struct Spoiling {
  const char* name;
  std::function<void(const QString& folder)> spoil;
  const char* problem;  // a part of the one problem reported
};

class SpoiledClipSetTest : public ClipSetCheckTest,
                           public ::testing::WithParamInterface<Spoiling> {};

TEST_P(SpoiledClipSetTest, IsRefusedWithTheProblemNamed) {
  GetParam().spoil(dir_.path());
  const ClipSetCheck check = CheckClipSet(dir_.path());
  EXPECT_FALSE(check.usable());
  ASSERT_EQ(check.problems.size(), 1) << check.Summary().toStdString();
  EXPECT_TRUE(check.problems.first().contains(QLatin1String(GetParam().problem)))
      << check.problems.first().toStdString();
  EXPECT_TRUE(ClipSetRefusal(dir_.path(), check).contains(check.problems.first()));
}

void Remove(const QString& folder, const char* name) {
  ASSERT_TRUE(QFile::remove(QDir(folder).filePath(QLatin1String(name))));
}

INSTANTIATE_TEST_SUITE_P(
    Spoilings, SpoiledClipSetTest,
    ::testing::Values(
        Spoiling{"MissingClip", [](const QString& f) { Remove(f, "q.wav"); }, "q.wav is missing"},
        Spoiling{"MissingFigure", [](const QString& f) { Remove(f, "1.wav"); }, "1.wav is missing"},
        Spoiling{"MissingSilence", [](const QString& f) { Remove(f, "silence.wav"); },
                 "silence.wav is missing"},
        Spoiling{"NoDescription", [](const QString& f) { Remove(f, "clipset.ini"); },
                 "not described"},
        Spoiling{"NotAWav",
                 [](const QString& f) { test::WriteAll(QDir(f).filePath("FIGS.wav"), "RIFF"); },
                 "FIGS.wav cannot be used: too short to be a WAV file"},
        Spoiling{"CutShort",
                 [](const QString& f) {
                   const QString path = QDir(f).filePath("z.wav");
                   const QByteArray bytes = test::ReadAll(path);
                   test::WriteAll(path, bytes.left(bytes.size() - 100));
                 },
                 "z.wav cannot be used: truncated"},
        Spoiling{"FrameOfAnotherRate",
                 [](const QString& f) {
                   // "e.wav" joined from eight 50 baud tics: a frame of 1280 samples.
                   QStringList args;
                   for (int i = 0; i < 8; ++i) args << BuiltClip("marktic50baud.wav");
                   ASSERT_TRUE(RunBuilt("wavcat", args << QDir(f).filePath("e.wav"), f));
                 },
                 "e.wav holds 1280 samples, not one frame at 45.45 baud (1408)"},
        Spoiling{"ClipOfAnotherFormat",
                 [](const QString& f) {
                   QTemporaryDir g711;
                   ASSERT_TRUE(RunBuilt("quillon-clipgen",
                                        {"--format", "alaw", "--out", g711.path()}, g711.path()));
                   const QString blank = QDir(f).filePath("BlankChar.wav");
                   QFile::remove(blank);
                   ASSERT_TRUE(QFile::copy(g711.filePath("BlankChar.wav"), blank));
                 },
                 "BlankChar.wav is 8 kHz 8-bit A-law, the set is 8 kHz 16-bit PCM"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClipSetCheckTest, ADecodeStepSeesEveryClipWithItsCodeAndCanRefuseOne) {
  std::map<QString, std::string> codes;
  const ClipDecodeStep decode = [&](const ClipSet& set, const ClipUnderCheck& clip,
                                    QString* problem) {
    EXPECT_EQ(set.rate, BaudRate::Baud45);
    EXPECT_TRUE(QFile::exists(clip.path)) << clip.path.toStdString();
    codes[clip.name] = std::string(clip.code);
    if (clip.name != QStringLiteral("k.wav")) return true;
    *problem = QStringLiteral("k.wav sends 11110 as 01110");
    return false;
  };
  const ClipSetCheck check = CheckClipSet(dir_.path(), decode);
  EXPECT_EQ(check.problems, QStringList{QStringLiteral("k.wav sends 11110 as 01110")});
  EXPECT_EQ(codes.size(), 57u);  // 54 character clips, the blank and two silences
  EXPECT_EQ(codes[QStringLiteral("leftparen.wav")], "11110");
  EXPECT_EQ(codes[QStringLiteral("FIGS.wav")], "11011");
  EXPECT_EQ(codes[QStringLiteral("BlankChar.wav")], "00000");
  EXPECT_EQ(codes[QStringLiteral("silence.wav")], "");
}

}  // namespace
}  // namespace quillon
