#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/registry/registry_store.h"
#include "core/session/wav_builder.h"
#include "core/translation/dictionary.h"
#include "core/translation/filters.h"
#include "core/translation/test_printing.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

/// The tables as the build installs them in the program folder, loaded the
/// way the main window loads them, in front of a real construction.
class ShippedTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    for (const QString& name :
         {QStringLiteral("dictionary.txt"), QStringLiteral("CharReplacement.txt")}) {
      ASSERT_TRUE(QFile::copy(QDir(test::BuiltProgramFolder()).filePath(name), dir_.filePath(name)))
          << name.toStdString();
    }
    tables_.LoadDictionary(registry_, dir_.path(), ui_);
    ASSERT_TRUE(ui_.messages.isEmpty()) << ui_.messages.join('\n').toStdString();
  }

  BuildResult Build(const QString& text) {
    return builder_.BuildOne({text, dir_.filePath(QStringLiteral("out.wav")), true}, pane_);
  }

  QTemporaryDir dir_;
  RegistryStore registry_{dir_.filePath(QStringLiteral("registry.reg"))};
  DictionaryTables tables_;
  test::RecordingUi ui_;
  test::RecordingPane pane_;
  WavBuilder builder_{dir_.path(), &tables_};
};

TEST_F(ShippedTablesTest, EveryPrintableAsciiAndLatin1CharacterBecomesSendable) {
  test::InstallBuiltClipSet(dir_.path());
  test::InstallRecordingWavcat(dir_.path());
  builder_.SetVerify(false);  // the recording stand-in writes no audio to hear
  QString text;
  for (char16_t c = 0x20; c < 0x7F; ++c) text += QChar(c);
  for (char16_t c = 0xA0; c <= 0xFF; ++c) text += QChar(c);
  text += QStringLiteral(
      "\t\u2018\u2019\u2013\u2014\u2026\u20ac\u0152\u0153\u0160\u0161\u017d\u017e\u0178");
  const BuildResult result = Build(text);
  ASSERT_EQ(result.status, BuildResult::Status::Built) << result.errors.join('\n').toStdString();
  for (const QString& line : pane_.lines) {
    EXPECT_FALSE(line.contains(QStringLiteral("unknown character"))) << line.toStdString();
    EXPECT_FALSE(line.contains(QStringLiteral("not supported"))) << line.toStdString();
  }
  EXPECT_GT(result.new_text.size(), text.size());
}

TEST_F(ShippedTablesTest, SilenceMarkersSurviveTheAngleBracketRules) {
  test::InstallBuiltClipSet(dir_.path());
  test::InstallRecordingWavcat(dir_.path());
  builder_.SetVerify(false);  // the recording stand-in writes no audio to hear
  const BuildResult result = Build(QStringLiteral("Hello <Silence> world <1> [2] < 3"));
  ASSERT_EQ(result.status, BuildResult::Status::Built);
  EXPECT_EQ(result.new_text, QStringLiteral("HELLO  WORLD (1) (2) LESS THAN 3 "));
  const auto runs = test::RecordedRuns(dir_.path());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].count(QStringLiteral("silence.wav")), 1);
  EXPECT_EQ(runs[0].at(runs[0].size() - 2), QStringLiteral("silence.wav"));
}

struct ShippedCase {
  const char16_t* input;
  const char16_t* expected;  // blanks collapsed
};

class ShippedTranslationTest : public ShippedTablesTest,
                               public ::testing::WithParamInterface<ShippedCase> {};

TEST_P(ShippedTranslationTest, RewritesWhatBaudotCannotCarry) {
  const TranslationStage::Result result =
      tables_.Translate(QString::fromUtf16(GetParam().input).toUpper(), kNoLengthBound);
  ASSERT_FALSE(result.skip);
  EXPECT_EQ(result.text.simplified(), QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShippedTranslationTest,
    ::testing::Values(
        ShippedCase{u"Press * then #", u"PRESS STAR THEN #"},
        ShippedCase{u"Dial *98 or +1 555", u"DIAL STAR 98 OR PLUS 1 555"},
        ShippedCase{u"mail@example.com", u"MAIL AT EXAMPLE.COM"},
        ShippedCase{u"2+2=4, 50% off", u"2 PLUS 2 EQUALS 4, 50 PERCENT OFF"},
        ShippedCase{u"It\u2019s \u201cfine\u201d \u2014 ok\u2026",
                    u"IT'S \u201cFINE\u201d - OK..."},
        ShippedCase{u"Caf\u00e9 na\u00efve Stra\u00dfe \u00c5se", u"CAFE NAIVE STRASSE ASE"},
        ShippedCase{u"Cost: \u20ac5 or \u00a34", u"COST: EUROS 5 OR POUNDS 4"},
        ShippedCase{u"file_name {a|b}", u"FILE-NAME (A/B)"},
        // Ordinary words are never rewritten.
        ShippedCase{u"No one knows what is at stake", u"NO ONE KNOWS WHAT IS AT STAKE"}));

TEST_F(ShippedTablesTest, DecodesBackFromARealTtyWav) {
  test::CopyBuiltProgramFolder(dir_.path());
  const BuildResult result = Build(QStringLiteral("Save 50% @ 2+2=4"));
  ASSERT_EQ(result.status, BuildResult::Status::Built) << result.errors.join('\n').toStdString();
  EXPECT_EQ(test::DecodeWithMinimodem(dir_.filePath(QStringLiteral("out.wav"))).simplified(),
            QStringLiteral("SAVE 50 PERCENT AT 2 PLUS 2 EQUALS 4"));
}

}  // namespace
}  // namespace quillon
