// Text in, WAV out through the real wavcat and the generated clip set, and
// back to text through minimodem: the independent judge that what Quillon
// builds says what was meant.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/session/main_state.h"
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

TEST_P(RoundTripTest, MinimodemHearsTheText) {
  const BaudRateInfo& info = kBaudRates[static_cast<size_t>(GetParam())];
  AlphabetConstruction alphabet;
  ASSERT_EQ(alphabet.Run(info.rate, dir_.path(), ui_).failures, 0) << ui_.messages.join('\n').toStdString();

  MainState state(dir_.path(), ui_);
  state.SetTranslate(false);
  const QString output = dir_.filePath(QStringLiteral("prompt.wav"));
  state.SetTexts(QStringLiteral("Call 555-1212 (ext. 42) now?\r\nThanks!"), output);
  ASSERT_TRUE(state.BuildWav().built());
  EXPECT_EQ(test::DecodeWithMinimodem(output, QString::fromLatin1(info.name.data(), info.name.size())),
            QStringLiteral("CALL 555-1212 (EXT. 42) NOW? THANKS!"));
}

INSTANTIATE_TEST_SUITE_P(Rates, RoundTripTest,
                         ::testing::Values(BaudRate::Baud45, BaudRate::Baud50, BaudRate::Baud75,
                                           BaudRate::Baud110),
                         [](const auto& info) {
                           return std::string("Baud") +
                                  std::string(kBaudRates[static_cast<size_t>(info.param)].name == "45.45"
                                                  ? "45"
                                                  : kBaudRates[static_cast<size_t>(info.param)].name);
                         });

TEST(RoundTripLongTextTest, ChunkedTextDecodesWhole) {
  QTemporaryDir dir;
  test::CopyBuiltProgramFolder(dir.path());
  test::RecordingUi ui;
  MainState state(dir.path(), ui);
  state.SetTranslate(false);
  QString text;
  for (int i = 0; text.size() < 1700; ++i) text += QStringLiteral("LINE %1 OF THE LONG PROMPT. ").arg(i);
  const QString output = dir.filePath(QStringLiteral("long.wav"));
  state.SetTexts(text, output);
  const ConstructionResult result = state.BuildWav();
  ASSERT_TRUE(result.built());
  EXPECT_EQ(result.wavcat_runs, 3);
  EXPECT_EQ(test::DecodeWithMinimodem(output), text.trimmed());
}

}  // namespace
}  // namespace quillon
