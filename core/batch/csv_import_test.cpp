#include "core/batch/csv_import.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <future>
#include <vector>

#include "core/translation/dictionary.h"
#include "platform/file_system.h"
#include "tests/support/batch_test_util.h"

namespace quillon {
namespace {

using test::BatchTest;

// ---- The heading check -------------------------------------------------

struct HeadingCase {
  const char* name;
  QByteArray bytes;  // the file's contents
  CsvHeadingCheck expected;
};

class CsvHeadingTest : public ::testing::TestWithParam<HeadingCase> {};

TEST_P(CsvHeadingTest, ChecksTheFirstLine) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("prompts.csv"));
  test::WriteAll(path, GetParam().bytes);
  EXPECT_EQ(CheckCsvHeading(path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Headings, CsvHeadingTest,
    ::testing::Values(
        HeadingCase{"Exact", "FILE, TEXT\r\na.wav,x\r\n", CsvHeadingCheck::Valid},
        HeadingCase{"LowerCase", "file, text\n", CsvHeadingCheck::Valid},
        HeadingCase{"ByteOrderMark",
                    "\xEF\xBB\xBF"
                    "File, Text\r\n",
                    CsvHeadingCheck::Valid},
        HeadingCase{"NoBlankAfterComma", "FILE,TEXT\r\n", CsvHeadingCheck::WrongHeading},
        HeadingCase{"TrailingBlank", "FILE, TEXT \r\n", CsvHeadingCheck::WrongHeading},
        HeadingCase{"DataFirst", "a.wav,hello\r\n", CsvHeadingCheck::WrongHeading},
        HeadingCase{"EmptyFile", "", CsvHeadingCheck::Unreadable},
        HeadingCase{"Utf16WithByteOrderMark",
                    QByteArray("\xFF\xFE"
                               "F\0I\0L\0E\0,\0 \0T\0E\0X\0T\0",
                               22),
                    CsvHeadingCheck::Valid},
        HeadingCase{"Utf16BigEndianWithByteOrderMark",
                    QByteArray("\xFE\xFF\0F\0I\0L\0E\0,\0 \0T\0E\0X\0T\0\r\0\n", 26),
                    CsvHeadingCheck::Valid},
        HeadingCase{"Utf16WithoutByteOrderMark",
                    QByteArray("F\0I\0L\0E\0,\0 \0T\0E\0X\0T\0\r\0\n\0", 24),
                    CsvHeadingCheck::Unreadable},
        HeadingCase{"Binary", QByteArray("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0", 24),
                    CsvHeadingCheck::Unreadable}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvHeadingTest, AMissingFileIsUnreadable) {
  QTemporaryDir dir;
  EXPECT_EQ(CheckCsvHeading(dir.filePath(QStringLiteral("gone.csv"))), CsvHeadingCheck::Unreadable);
}

// ---- File names --------------------------------------------------------

TEST(LegalFileNameTest, AnExistingFileIsUsableAndLeftAlone) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("old.wav"));
  test::WriteAll(path, "recording");
  EXPECT_TRUE(IsLegalFileName(path));
  EXPECT_EQ(test::ReadAll(path), QByteArray("recording"));
}

TEST(LegalFileNameTest, ANewNameIsTriedAndNothingIsLeftBehind) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("new name.wav"));
  EXPECT_TRUE(IsLegalFileName(path));
  EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(LegalFileNameTest, WhatTheFileSystemRefusesIsNotUsable) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("folder.wav"))));
  EXPECT_FALSE(IsLegalFileName(dir.filePath(QStringLiteral("missing/x.wav"))));
  EXPECT_FALSE(IsLegalFileName(dir.filePath(QStringLiteral("folder.wav"))));
  EXPECT_FALSE(IsLegalFileName(QString()));
  EXPECT_TRUE(FolderExists(dir.filePath(QStringLiteral("folder.wav"))));
}

// Each hint names the line and what the user can do about it.
TEST(InvalidFileNameHintTest, SaysWhichLineAndWhy) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("folder.wav"))));
  const struct {
    QString output;
    QString hint;
  } cases[] = {
      {dir.filePath(QStringLiteral("sub/dir/x.wav")),
       QStringLiteral("Line 7: the folder ") + dir.filePath(QStringLiteral("sub/dir")) +
           QStringLiteral(" does not exist; create it first.")},
      {dir.filePath(QStringLiteral("folder.wav")),
       QStringLiteral("Line 7: ") + dir.filePath(QStringLiteral("folder.wav")) +
           QStringLiteral(" is a folder; name a file in it.")},
      {QString(), QStringLiteral("Line 7: the row names no output file.")},
  };
  for (const auto& c : cases) {
    CsvRow row;
    row.line = 7;
    row.output = c.output;
    EXPECT_EQ(InvalidFileNameHint(row), c.hint) << c.output.toStdString();
  }
}

TEST(InvalidRowHintTest, CountsTheFieldsAndShowsHowToQuoteAComma) {
  CsvRow row;
  row.line = 5;
  row.fields = 3;
  const QString hint = InvalidRowHint(row, QStringLiteral("a.wav,Hello, world"));
  EXPECT_TRUE(hint.startsWith(QStringLiteral("Line 5 gives 3 fields"))) << hint.toStdString();
  EXPECT_TRUE(hint.contains(QStringLiteral("double quotes"))) << hint.toStdString();
  // The example it gives is itself a valid row.
  const QString example = hint.section(QStringLiteral("as in: "), 1);
  const QString file = QStringLiteral("FILE, TEXT\n") + example + QLatin1Char('\n');
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("example.csv"));
  test::WriteAll(path, file.toUtf8());
  const CsvPlan plan = PlanCsvFile(path);
  ASSERT_EQ(plan.rows.size(), 1u);
  EXPECT_TRUE(plan.rows[0].valid) << example.toStdString();
  EXPECT_EQ(plan.rows[0].text, QStringLiteral("Hello, world"));
}

TEST(RowOutputPathTest, RelativeNamesBelongToTheCsvFilesFolder) {
  EXPECT_EQ(RowOutputPath(QStringLiteral("a.wav"), QStringLiteral("/data/csv")),
            QStringLiteral("/data/csv/a.wav"));
  EXPECT_EQ(RowOutputPath(QStringLiteral("sub/../b.wav"), QStringLiteral("/data/csv")),
            QStringLiteral("/data/csv/b.wav"));
  EXPECT_EQ(RowOutputPath(QStringLiteral("/abs/c.wav"), QStringLiteral("/data/csv")),
            QStringLiteral("/abs/c.wav"));
}

// ---- Runs --------------------------------------------------------------

class CsvImportTest : public BatchTest {
 protected:
  void SetUp() override {
    BatchTest::SetUp();
    import_ = std::make_unique<CsvPromptImport>(*builder_, ui_);
  }
  // Writes the CSV file and runs "Create Prompts" on it.
  CsvPromptImport::Outcome Run(const QString& csv_text) {
    WriteText(QStringLiteral("prompts.csv"), csv_text);
    return import_->Run(Path(QStringLiteral("prompts.csv")), monitor_);
  }
  QStringList Log() const { return LogLines(import_->LogPath()); }
  QString Summary() const { return ui_.messages.isEmpty() ? QString() : ui_.messages.last(); }
  // The construction's lines for a text built into `path`.
  static QStringList Built(const QString& path, const QString& upper_text) {
    return {QStringLiteral("    File path=") + path,
            QStringLiteral("    Original String=") + upper_text,
            QStringLiteral("    Clip set=45.45 baud, 8 kHz 16-bit PCM"),
            QStringLiteral("    New Text=") + upper_text,
            QStringLiteral("    Verified: the receiver read back the ") +
                QString::number(upper_text.size()) + QStringLiteral(" characters sent"),
            QStringLiteral("    ")};
  }

  std::unique_ptr<CsvPromptImport> import_;
  test::RecordingMonitor monitor_;
};

TEST_F(CsvImportTest, OneValidRowOneWithThreeFieldsAndAnEmptyOne) {
  const QString csv = QStringLiteral("FILE, TEXT\r\nhello.wav,Hello\r\na.wav,b,c\r\n\r\n");
  EXPECT_EQ(Run(csv), CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(
      Summary(),
      QStringLiteral(
          "Done. 3 rows processed, 1 of them were good. 1 of them were verified by the receiver."));
  const QString wav = Path(QStringLiteral("hello.wav"));
  QStringList expected{QStringLiteral("hello.wav,Hello")};
  expected << Built(wav, QStringLiteral("HELLO"));
  expected << QStringLiteral("a.wav,b,c") << QStringLiteral("(error) Invalid row")
           << QStringLiteral(
                  "Line 3 gives 3 fields where a row needs two, FILE and TEXT: a text that holds "
                  "a comma goes in double quotes, as in: hello.wav,\"Hello, world\"")
           << QString();
  expected << QString() << QStringLiteral("(error) Invalid row")
           << QStringLiteral("Line 4 is empty; a row needs two fields, FILE and TEXT.")
           << QString();
  expected << QStringLiteral("3 rows processed, 1 of them were verified by the receiver.");
  EXPECT_EQ(Log(), expected);
  EXPECT_EQ(test::DecodeWithMinimodem(wav), QStringLiteral("HELLO"));
  EXPECT_EQ(monitor_.counts, (std::vector<qint64>{1, 2, 3}));
  EXPECT_FALSE(import_->all_rows_good());
  EXPECT_EQ(monitor_.finished, 1);
  EXPECT_EQ(monitor_.totals, std::vector<qint64>{3});
}

TEST_F(CsvImportTest, ARowNamingAMissingFolderIsAnInvalidFileName) {
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\nnowhere/x.wav,Hi\n")),
            CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(
      Summary(),
      QStringLiteral(
          "Done. 1 rows processed, 0 of them were good. 0 of them were verified by the receiver."));
  EXPECT_EQ(Log(), (QStringList{QStringLiteral("nowhere/x.wav,Hi"),
                                QStringLiteral("(error) Invalid File name"),
                                QStringLiteral("Line 2: the folder ") + Path("nowhere") +
                                    QStringLiteral(" does not exist; create it first."),
                                QString(),
                                QStringLiteral("1 rows processed, 0 of them were verified by the "
                                               "receiver.")}));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("nowhere"))));
}

TEST_F(CsvImportTest, QuotedTextsKeepTheirCommasAndOuterBlanksGo) {
  WriteRecording(QStringLiteral("old.wav"), "old recording");
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\r\n"
                               "  old.wav  ,  \"Yes, no, maybe\"  \r\n"
                               "\"quoted name.wav\",plain\r\n")),
            CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(
      Summary(),
      QStringLiteral(
          "Done. 2 rows processed, 2 of them were good. 2 of them were verified by the receiver."));
  const QStringList log = Log();
  ASSERT_GE(log.size(), 3);
  EXPECT_EQ(log.at(1), QStringLiteral("    File path=") + Path(QStringLiteral("old.wav")));
  EXPECT_EQ(log.at(2), QStringLiteral("    Original String=YES, NO, MAYBE"));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("old.wav"))),
            QStringLiteral("YES, NO, MAYBE"));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("quoted name.wav"))),
            QStringLiteral("PLAIN"));
}

TEST_F(CsvImportTest, RowsTheDictionarySkipsStillCountAsGood) {
  DictionaryTables tables;
  tables.dict_from = {QStringLiteral("SECRET")};
  tables.dict_to = {QStringLiteral("<SKIP>")};
  builder_ = std::make_unique<WavBuilder>(program_folder_, &tables);
  import_ = std::make_unique<CsvPromptImport>(*builder_, ui_);
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\nskip.wav,a secret text\nkeep.wav,open\n")),
            CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(
      Summary(),
      QStringLiteral(
          "Done. 2 rows processed, 2 of them were good. 1 of them were verified by the receiver."));
  EXPECT_TRUE(Log().contains(QStringLiteral("    File skipped per dictionary translation rules")));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("skip.wav"))));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("keep.wav"))), QStringLiteral("OPEN"));
  EXPECT_TRUE(import_->all_rows_good());
}

// The run is planned first: a row aimed at a file that an earlier row names,
// by the same name or in another case, would replace that row's prompt and
// is not built. A file already on disk in another case is replaced under the
// name it has, and the log names it so.
TEST_F(CsvImportTest, RowsAimedAtAnEarlierRowsOutputAreNotBuilt) {
  WriteRecording(QStringLiteral("OLD.wav"), "old recording");
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\nfirst.wav,one\nnew.wav,two\nNEW.WAV,three\n"
                               "first.wav,again\nold.wav,four\n")),
            CsvPromptImport::Outcome::Completed);
  EXPECT_TRUE(Summary().startsWith(QStringLiteral("Done. 5 rows processed, 3 of them were good.")))
      << Summary().toStdString();
  EXPECT_EQ(monitor_.totals, std::vector<qint64>{5});
  EXPECT_EQ(monitor_.failures, (std::vector<qint64>{0, 0, 1, 2, 2}));
  const QStringList log = Log();
  EXPECT_TRUE(log.contains(QStringLiteral("(error) Not built: line 3 names the same file, whose "
                                          "prompt this row would replace: ") +
                           Path(QStringLiteral("new.wav"))))
      << log.join('\n').toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("(error) Not built: line 2 names the same file, whose "
                                          "prompt this row would replace: ") +
                           Path(QStringLiteral("first.wav"))));
  EXPECT_TRUE(log.contains(QStringLiteral("    File path=") + Path(QStringLiteral("OLD.wav"))));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("NEW.WAV"))));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("old.wav"))));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("new.wav"))), QStringLiteral("TWO"));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("first.wav"))), QStringLiteral("ONE"));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("OLD.wav"))), QStringLiteral("FOUR"));
  EXPECT_FALSE(import_->all_rows_good());
}

// A stop asked between prompts ends the run after the prompt in progress:
// the prompts built so far are whole, nothing half-built is left, and the
// log and the summary say where the run stopped.
TEST_F(CsvImportTest, AStoppedRunEndsAfterThePromptInProgressAndSaysWhere) {
  monitor_.stop_after = 2;
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\none.wav,One\ntwo.wav,Two\nthree.wav,Three\n"
                               "four.wav,Four\n")),
            CsvPromptImport::Outcome::Cancelled);
  EXPECT_EQ(Summary(), QStringLiteral("Cancelled. 2 of 4 rows processed, 2 of them were good. 2 "
                                      "of them were verified by the receiver."));
  const QStringList log = Log();
  ASSERT_GE(log.size(), 2);
  EXPECT_EQ(log.mid(log.size() - 2),
            (QStringList{QStringLiteral("Cancelled after 2 of 4 rows; 2 prompts were built."),
                         QStringLiteral("2 rows processed, 2 of them were verified by the "
                                        "receiver.")}));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("two.wav"))), QStringLiteral("TWO"));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("three.wav"))));
  EXPECT_EQ(QDir(Path(QString()))
                .entryList(QDir::Hidden | QDir::Files)
                .filter(QStringLiteral(".quillon")),
            QStringList());
  EXPECT_EQ(monitor_.finished, 1);
  EXPECT_EQ(ViewLogQuestion(import_->tally(), QStringLiteral("rows")),
            QStringLiteral("Cancelled after 2 of 4 rows.  View log file now?"));
  EXPECT_FALSE(import_->all_rows_good());
}

// A text with no character a TTY can send builds nothing and is a failed
// row; the unknown character is still reported.
TEST_F(CsvImportTest, ATextWithNothingToSendIsAFailedRow) {
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\nemoji.wav,\U0001F600\nok.wav,ok\n")),
            CsvPromptImport::Outcome::Completed);
  EXPECT_TRUE(Summary().startsWith(QStringLiteral("Done. 2 rows processed, 1 of them were good.")));
  const QStringList log = Log();
  EXPECT_TRUE(log.contains(QStringLiteral("    (error) unknown character encountered:\U0001F600")));
  EXPECT_TRUE(log.contains(QStringLiteral(
      "    (error) Nothing to send: no character of the text is one a TTY can send, so no WAV file "
      "was written")))
      << log.join('\n').toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("(error) Prompt not built")));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("emoji.wav"))));
  EXPECT_EQ(ViewLogQuestion(import_->tally(), QStringLiteral("rows")),
            QStringLiteral("1 of 2 rows was not built.  View log file now?"));
}

TEST_F(CsvImportTest, AHeadingOnlyFileProcessesNothing) {
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\r\n")), CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(
      Summary(),
      QStringLiteral(
          "Done. 0 rows processed, 0 of them were good. 0 of them were verified by the receiver."));
  EXPECT_TRUE(QFileInfo::exists(import_->LogPath()));
  EXPECT_EQ(test::ReadAll(import_->LogPath()), QByteArray());
  EXPECT_TRUE(monitor_.counts.empty());
}

TEST_F(CsvImportTest, AFailedConstructionIsLoggedAsNotBuiltAndIsNotGood) {
  test::InstallRecordingWavcat(program_folder_, 1, QStringLiteral("wavcat: disk full"));
  WriteRecording(QStringLiteral("keep.wav"), "old recording");
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\nkeep.wav,new text\n")),
            CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(
      Summary(),
      QStringLiteral(
          "Done. 1 rows processed, 0 of them were good. 0 of them were verified by the receiver."));
  const QStringList log = Log();
  ASSERT_GE(log.size(), 3);
  EXPECT_EQ(log.mid(log.size() - 3),
            (QStringList{QStringLiteral("(error) Prompt not built"), QString(),
                         QStringLiteral("1 rows processed, 0 of them were verified by the "
                                        "receiver.")}));
  EXPECT_TRUE(log.filter(QStringLiteral("    (error):"))
                  .join('\n')
                  .contains(QStringLiteral("wavcat: disk full")));
  EXPECT_EQ(test::ReadAll(Path(QStringLiteral("keep.wav"))), QByteArray("old recording"));
  EXPECT_FALSE(import_->all_rows_good());
}

TEST_F(CsvImportTest, ASpoiledClipSetRefusesTheRunBeforeAnyRow) {
  ASSERT_TRUE(QFile::remove(JoinPath(program_folder_, QStringLiteral("n.wav"))));
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\nyes.wav,yes\nno.wav,no\n")),
            CsvPromptImport::Outcome::ClipSetRefused);
  ASSERT_EQ(ui_.messages.size(), 1);
  EXPECT_TRUE(ui_.messages.first().startsWith(QStringLiteral("The clip set in ") + program_folder_))
      << ui_.messages.first().toStdString();
  EXPECT_TRUE(ui_.messages.first().contains(QStringLiteral("\nn.wav is missing")));
  EXPECT_FALSE(QFileInfo::exists(import_->LogPath()));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("yes.wav"))));
  EXPECT_EQ(monitor_.started(), 0);
  EXPECT_FALSE(import_->all_rows_good());
}

TEST_F(CsvImportTest, AnEmptyTextBuildsNothingAndIsNotGood) {
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\nempty.wav,\n")), CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(
      Summary(),
      QStringLiteral(
          "Done. 1 rows processed, 0 of them were good. 0 of them were verified by the receiver."));
  EXPECT_TRUE(ui_.messages.contains(
      QStringLiteral("You must first enter some text to convert into TTY/TDD WAV format.")));
  EXPECT_EQ(Log(), (QStringList{QStringLiteral("empty.wav,"),
                                QStringLiteral("(error) Prompt not built (empty text)"), QString(),
                                QStringLiteral("1 rows processed, 0 of them were verified by the "
                                               "receiver.")}));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("empty.wav"))));
}

TEST_F(CsvImportTest, RowsPastThe32767thAreCountedAndBuilt) {
  QString csv = QStringLiteral("FILE, TEXT\n");
  const int invalid_rows = 32770;
  for (int i = 0; i < invalid_rows; ++i) csv += QStringLiteral("one field\n");
  csv += QStringLiteral("last.wav,the end\n");
  EXPECT_EQ(Run(csv), CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(Summary(), QStringLiteral("Done. 32771 rows processed, 1 of them were good. 1 of them "
                                      "were verified by the receiver."));
  EXPECT_EQ(monitor_.counts.size(), 32771u);
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("last.wav"))), QStringLiteral("THE END"));
}

TEST_F(CsvImportTest, AReadOnlyOldLogRefusesTheRunAndLosesNothing) {
  test::WriteAll(import_->LogPath(), "last run\r\n");
  ASSERT_TRUE(QFile::setPermissions(import_->LogPath(), QFile::ReadOwner));
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\nnew.wav,hello\n")),
            CsvPromptImport::Outcome::LogRefused);
  ASSERT_EQ(ui_.messages.size(), 1);
  EXPECT_TRUE(ui_.messages.first().startsWith(QStringLiteral("Error in cmdCreatePrompts:")));
  EXPECT_TRUE(ui_.messages.first().contains(import_->LogPath()));
  EXPECT_EQ(test::ReadAll(import_->LogPath()), QByteArray("last run\r\n"));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("new.wav"))));
  EXPECT_EQ(monitor_.started(), 0);
}

TEST_F(CsvImportTest, NoFileChosenShowsTheMessageAndCreatesNoLog) {
  EXPECT_EQ(import_->Run(QString(), monitor_), CsvPromptImport::Outcome::NoFile);
  EXPECT_EQ(ui_.messages,
            QStringList{QStringLiteral(
                "You must first select a text file to read the CSV information from")});
  EXPECT_FALSE(QFileInfo::exists(import_->LogPath()));
}

TEST_F(CsvImportTest, ACsvFileThatCannotBeReadStopsTheRunWithAReport) {
  const QString missing = Path(QStringLiteral("gone.csv"));
  EXPECT_EQ(import_->Run(missing, monitor_), CsvPromptImport::Outcome::Stopped);
  ASSERT_EQ(ui_.messages.size(), 1);
  EXPECT_TRUE(ui_.messages.first().startsWith(QStringLiteral("(error):53 (")));
  EXPECT_TRUE(ui_.messages.first().endsWith(
      QStringLiteral(") in procedure ProcessCSVFile of Form frmImportFromCSV")));
  EXPECT_EQ(Log(), ui_.messages);
  EXPECT_EQ(monitor_.finished, 1);
}

TEST_F(CsvImportTest, ALogThatStopsTakingLinesEndsTheRun) {
  // /dev/full takes the log open but refuses every line written to it.
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), import_->LogPath()));
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\nfirst.wav,one\nsecond.wav,two\n")),
            CsvPromptImport::Outcome::Stopped);
  ASSERT_EQ(ui_.messages.size(), 1);
  EXPECT_TRUE(ui_.messages.first().contains(QStringLiteral("Cannot write to the log file")));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("first.wav"))));
  EXPECT_TRUE(monitor_.counts.empty());
}

TEST_F(CsvImportTest, RelativeNamesAreBuiltBesideTheCsvFileNotInTheWorkingFolder) {
  WriteText(QStringLiteral("csv/sub/.keep"), QString());
  WriteText(QStringLiteral("csv/list.csv"), QStringLiteral("FILE, TEXT\nsub/rel.wav,near\n"));
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(program_folder_));
  const auto outcome = import_->Run(Path(QStringLiteral("csv/list.csv")), monitor_);
  QDir::setCurrent(before);
  EXPECT_EQ(outcome, CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("csv/sub/rel.wav"))),
            QStringLiteral("NEAR"));
  EXPECT_FALSE(QFileInfo::exists(JoinPath(program_folder_, QStringLiteral("sub"))));
}

TEST_F(CsvImportTest, AThousandRowsBuildThroughTheRealWavcatAndEveryOneDecodes) {
  constexpr int kRows = 1000;
  WriteText(QStringLiteral("out/.keep"), QString());
  QString csv = QStringLiteral("FILE, TEXT\r\n");
  for (int i = 0; i < kRows; ++i)
    csv += QStringLiteral("out/p%1.wav,Prompt %1 is ready\r\n").arg(i);
  EXPECT_EQ(Run(csv), CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(Summary(), QStringLiteral("Done. 1000 rows processed, 1000 of them were good. 1000 of "
                                      "them were verified by the receiver."));
  ASSERT_EQ(monitor_.counts.size(), static_cast<size_t>(kRows));
  EXPECT_EQ(monitor_.counts.back(), kRows);
  // Two decoders at a time: minimodem's start-up dominates each decode.
  auto decode_half = [this](int first) {
    QStringList wrong;
    for (int i = first; i < kRows; i += 2) {
      const QString heard = test::DecodeWithMinimodem(Path(QStringLiteral("out/p%1.wav").arg(i)));
      if (heard != QStringLiteral("PROMPT %1 IS READY").arg(i))
        wrong << QStringLiteral("p%1.wav: %2").arg(i).arg(heard);
    }
    return wrong;
  };
  auto odd = std::async(std::launch::async, decode_half, 1);
  QStringList wrong = decode_half(0);
  wrong += odd.get();
  EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// A clip set whose t.wav sends E, let past the batch's check of the set (no receiver
// step): the row that holds a T is read back wrong and is a failed row.
TEST_F(CsvImportTest, ARowThatDoesNotReadBackIsAFailedRow) {
  builder_->SetClipDecodeStep([](const ClipSet&, const ClipUnderCheck&, QString*) { return true; });
  ASSERT_TRUE(QFile::remove(JoinPath(program_folder_, QStringLiteral("t.wav"))));
  ASSERT_TRUE(QFile::copy(JoinPath(program_folder_, QStringLiteral("e.wav")),
                          JoinPath(program_folder_, QStringLiteral("t.wav"))));
  EXPECT_EQ(Run(QStringLiteral("FILE, TEXT\ngood.wav,ab\nbad.wav,tea\n")),
            CsvPromptImport::Outcome::Completed);
  EXPECT_EQ(Summary(), QStringLiteral("Done. 2 rows processed, 1 of them were good. 1 of them "
                                      "were verified by the receiver."));
  const QStringList log = Log();
  EXPECT_TRUE(log.contains(QStringLiteral(
      "    (error):1004 (Verification failed: character 1: sent \"T\", received \"E\") in "
      "procedure cmdConstructWavFromString_Click of Form frmMain")))
      << log.join('\n').toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("(error) Prompt not built")));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("bad.wav"))));
  EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("good.wav"))));
  EXPECT_FALSE(import_->all_rows_good());
}

}  // namespace
}  // namespace quillon
