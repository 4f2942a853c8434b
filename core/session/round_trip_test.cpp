// Text in, WAV out through the real wavcat and the generated clip set, and
// back to text through minimodem: the independent judge that what Quillon
// builds says what was meant.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/session/wav_builder.h"
#include "core/synthesis/alphabet.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

class RoundTripTest : public ::testing::TestWithParam<BaudRate> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::CopyBuiltProgramFolder(dir_.path());
  }
  QTemporaryDir dir_;
  test::RecordingUi ui_;
};

TEST_P(RoundTripTest, MinimodemHearsTheTextAndTheReportNamesTheRate) {
  const BaudRateInfo& info = kBaudRates[static_cast<size_t>(GetParam())];
  AlphabetConstruction alphabet;
  ASSERT_TRUE(alphabet.Run({info.rate, std::nullopt, {}}, dir_.path(), ui_).ok())
      << ui_.messages.join('\n').toStdString();

  test::RecordingPane pane;
  const WavBuilder builder(dir_.path());
  const QString output = dir_.filePath(QStringLiteral("prompt.wav"));
  ASSERT_TRUE(
      builder
          .BuildOne({QStringLiteral("Call 555-1212 (ext. 42) now?\r\nThanks!"), output, false},
                    pane)
          .built());
  const QString rate =
      QString::fromLatin1(info.name.data(), static_cast<qsizetype>(info.name.size()));
  ASSERT_GE(pane.lines.size(), 3);
  EXPECT_EQ(pane.lines.at(2),
            QStringLiteral("Clip set=") + rate + QStringLiteral(" baud, 8 kHz 16-bit PCM"));
  EXPECT_EQ(test::DecodeWithMinimodem(output, rate),
            QStringLiteral("CALL 555-1212 (EXT. 42) NOW? THANKS!"));
}

INSTANTIATE_TEST_SUITE_P(Rates, RoundTripTest,
                         ::testing::Values(BaudRate::Baud45, BaudRate::Baud50, BaudRate::Baud75,
                                           BaudRate::Baud110),
                         [](const auto& info) {
                           return std::string("Baud") +
                                  std::string(
                                      kBaudRates[static_cast<size_t>(info.param)].name == "45.45"
                                          ? "45"
                                          : kBaudRates[static_cast<size_t>(info.param)].name);
                         });

TEST(RoundTripFormatTest, AMuLawSetJoinsIntoAMuLawPromptThatDecodes) {
  QTemporaryDir dir;
  test::CopyBuiltProgramFolder(dir.path());
  test::RecordingUi ui;
  AlphabetConstruction alphabet;
  ASSERT_TRUE(alphabet.Run({BaudRate::Baud45, SampleFormat::MuLaw, {}}, dir.path(), ui).ok())
      << ui.messages.join('\n').toStdString();

  test::RecordingPane pane;
  const WavBuilder builder(dir.path());
  const QString output = dir.filePath(QStringLiteral("prompt.wav"));
  ASSERT_TRUE(builder.BuildOne({QStringLiteral("Press 1 for help."), output, false}, pane).built());
  EXPECT_TRUE(pane.lines.contains(QStringLiteral("Clip set=45.45 baud, 8 kHz 8-bit mu-law")));
  WavLayout layout;
  QString err;
  ASSERT_TRUE(ReadWavLayout(output, &layout, &err)) << err.toStdString();
  EXPECT_EQ(layout.Format(), SampleFormat::MuLaw);
  EXPECT_EQ(test::DecodeWithMinimodem(output), QStringLiteral("PRESS 1 FOR HELP."));
}

TEST(RoundTripLongTextTest, ChunkedTextDecodesWhole) {
  QTemporaryDir dir;
  test::CopyBuiltProgramFolder(dir.path());
  const WavBuilder builder(dir.path());
  test::RecordingPane pane;
  QString text;
  for (int i = 0; text.size() < 1700; ++i)
    text += QStringLiteral("LINE %1 OF THE LONG PROMPT. ").arg(i);
  const QString output = dir.filePath(QStringLiteral("long.wav"));
  const BuildResult result = builder.BuildOne({text, output, false}, pane);
  ASSERT_TRUE(result.built());
  EXPECT_EQ(result.wavcat_runs, 3);
  EXPECT_EQ(test::DecodeWithMinimodem(output), text.trimmed());
}

}  // namespace
}  // namespace quillon
