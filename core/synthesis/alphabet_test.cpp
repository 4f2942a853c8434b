#include "core/synthesis/alphabet.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

/// A program folder with the recording stand-in and a distinct pair of tic
/// files for every rate, so that the copies show which pair was taken.
class AlphabetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::InstallRecordingWavcat(dir_.path());
    for (const BaudRateInfo& info : kBaudRates) {
      test::WriteAll(Path(info.space_tic), QByteArray("space ") + info.name.data());
      test::WriteAll(Path(info.mark_tic), QByteArray("mark ") + info.name.data());
    }
  }
  QString Path(std::string_view name) {
    return dir_.filePath(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
  }

  QTemporaryDir dir_;
  test::RecordingUi ui_;
  AlphabetConstruction construction_;
};

TEST_F(AlphabetTest, BuildsEveryFrameFromEightTicsInOrder) {
  const AlphabetResult result = construction_.Run(BaudRate::Baud45, dir_.path(), ui_);
  EXPECT_EQ(result.failures, 0);
  EXPECT_EQ(result.runs, 29);
  EXPECT_EQ(ui_.messages, QStringList{QStringLiteral("Done.")});

  const auto runs = test::RecordedRuns(dir_.path());
  ASSERT_EQ(runs.size(), 29u);
  EXPECT_EQ(runs[0].join(' '), QStringLiteral("spacetic.wav marktic.wav marktic.wav spacetic.wav spacetic.wav "
                                               "spacetic.wav marktic.wav marktic.wav a.wav"));
  for (size_t i = 0; i < runs.size(); ++i) {
    const AlphabetRow& row = kAlphabet[i];
    ASSERT_EQ(runs[i].size(), 9);
    EXPECT_EQ(runs[i].last(), QString::fromLatin1(row.clip.data(), row.clip.size()));
    EXPECT_EQ(runs[i].first(), QStringLiteral("spacetic.wav"));  // start bit
    EXPECT_EQ(runs[i][6], QStringLiteral("marktic.wav"));        // two stop bits
    EXPECT_EQ(runs[i][7], QStringLiteral("marktic.wav"));
  }
  EXPECT_EQ(runs[27].last(), QStringLiteral("LTRS.wav"));
  EXPECT_EQ(runs[27].mid(1, 5).count(QStringLiteral("marktic.wav")), 5);
}

TEST_F(AlphabetTest, CommandLineHasSingleBlanksAndNoTrailingBlank) {
  construction_.Run(BaudRate::Baud45, dir_.path(), ui_);
  EXPECT_EQ(construction_.command_line(),
            QStringLiteral("wavcat spacetic.wav marktic.wav marktic.wav spacetic.wav marktic.wav "
                           "marktic.wav marktic.wav marktic.wav FIGS.wav"));
}

TEST_F(AlphabetTest, EachRateCopiesItsOwnTicPair) {
  for (const BaudRateInfo& info : kBaudRates) {
    construction_.Run(info.rate, dir_.path(), ui_);
    EXPECT_EQ(test::ReadAll(Path("spacetic.wav")), QByteArray("space ") + info.name.data());
    EXPECT_EQ(test::ReadAll(Path("marktic.wav")), QByteArray("mark ") + info.name.data());
  }
}

TEST_F(AlphabetTest, FigureClipsAreCopiesOfTheirLetters) {
  construction_.Run(BaudRate::Baud50, dir_.path(), ui_);
  int copies = 0;
  for (const AlphabetRow& row : kAlphabet) {
    if (row.figure_copy.empty()) continue;
    ++copies;
    ASSERT_TRUE(QFile::exists(Path(row.figure_copy))) << row.figure_copy;
    EXPECT_EQ(test::ReadAll(Path(row.figure_copy)), test::ReadAll(Path(row.clip)));
  }
  EXPECT_EQ(copies, 25);
}

TEST_F(AlphabetTest, MissingTicSourcesAreReportedAndTheWorkingTicsUsed) {
  QFile::remove(Path("spacetic110baud.wav"));
  QFile::remove(Path("marktic110baud.wav"));
  test::WriteAll(Path("spacetic.wav"), "older space");
  const AlphabetResult result = construction_.Run(BaudRate::Baud110, dir_.path(), ui_);
  EXPECT_EQ(result.failures, 2);
  ASSERT_EQ(ui_.messages.size(), 3);
  EXPECT_TRUE(ui_.messages[0].startsWith(QStringLiteral("(error):53 (File not found: ")));
  EXPECT_TRUE(ui_.messages[0].endsWith(
      QStringLiteral(") in procedure cmdCreateAlphabet_Click of Form frmConstructAlphabet")));
  EXPECT_EQ(ui_.messages[2], QStringLiteral("Done."));
  EXPECT_EQ(test::ReadAll(Path("spacetic.wav")), QByteArray("older space"));
  EXPECT_EQ(test::RecordedRuns(dir_.path()).size(), 29u);
}

TEST_F(AlphabetTest, MissingWavcatReportsEveryRunAndStillEndsWithDone) {
  QFile::remove(Path("wavcat"));
  const AlphabetResult result = [&] {
    test::ScopedEnvironment path("PATH", "/nonexistent");
    return construction_.Run(BaudRate::Baud45, dir_.path(), ui_);
  }();
  // 29 runs that cannot start, and 25 figure copies of letter clips that
  // were never written.
  EXPECT_EQ(result.failures, 29 + 25);
  EXPECT_EQ(ui_.messages.last(), QStringLiteral("Done."));
  EXPECT_EQ(ui_.messages.count(QStringLiteral(
                "(error):53 (File not found: wavcat) in procedure cmdCreateAlphabet_Click of Form "
                "frmConstructAlphabet")),
            29);
}

TEST(AlphabetTableTest, CodesAreDistinctFiveBitPatterns) {
  QStringList seen;
  for (const AlphabetRow& row : kAlphabet) {
    const QString code = QString::fromLatin1(row.code.data(), row.code.size());
    EXPECT_EQ(code.size(), 5);
    EXPECT_FALSE(seen.contains(code)) << row.clip;
    seen << code;
    EXPECT_EQ(TicSequence(row).size(), 8u);
  }
  EXPECT_FALSE(seen.contains(QStringLiteral("00000")));  // the blank is prepared, not built
}

TEST(AlphabetTableTest, RateNames) {
  EXPECT_EQ(BaudRateFromName("45.45"), BaudRate::Baud45);
  EXPECT_EQ(BaudRateFromName("45"), BaudRate::Baud45);
  EXPECT_EQ(BaudRateFromName("110"), BaudRate::Baud110);
  EXPECT_FALSE(BaudRateFromName("300").has_value());
}

}  // namespace
}  // namespace quillon
