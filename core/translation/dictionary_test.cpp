#include "core/translation/dictionary.h"
#include "core/translation/filters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include "core/registry/registry_store.h"
#include "core/translation/test_printing.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

const QString kBox1001 = QStringLiteral(
    "(error):1001 (Unable to create the registry key) in procedure LoadDictionary of Form frmMain");
const QString kBox62 = QStringLiteral(
    "(error):62 (Input past end of file) in procedure LoadDictionary of Form frmMain");

/// A program folder and a registry file of its own for every test; the
/// tables are loaded from real files through the real registry store.
class LoadDictionaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("prog")));
  }
  QString Path(const QString& name) const { return dir_.filePath(name); }
  QString Program(const QString& name) const {
    return dir_.filePath(QStringLiteral("prog/") + name);
  }
  void WriteLines(const QString& path, const QStringList& lines) {
    test::WriteAll(path, (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
  }
  void Load() { tables_.LoadDictionary(registry_, Program(QString()), ui_); }
  QString RegisteredPath() {
    return registry_
        .ReadValue(kLocalMachine, kQuillonKey, kDictionaryPathValue, kStringValue, QVariant(),
                   nullptr)
        .toString();
  }
  void Configure(const QString& dictionary_path) {
    registry_.EnsureKey(kLocalMachine, kQuillonKey, nullptr);
    registry_.WriteValue(kLocalMachine, kQuillonKey, kDictionaryPathValue, kStringValue,
                         dictionary_path);
  }

  QTemporaryDir dir_;
  RegistryStore registry_{dir_.filePath(QStringLiteral("registry.reg"))};
  DictionaryTables tables_;
  test::RecordingUi ui_;
};

TEST_F(LoadDictionaryTest, LoadsBothTablesBesideTheProgramAndRecordsThePath) {
  WriteLines(Program(QStringLiteral("dictionary.txt")),
             {QStringLiteral("FROM,TO"), QStringLiteral("no,number")});
  WriteLines(Program(QStringLiteral("CharReplacement.txt")),
             {QStringLiteral("FROM,TO"), QStringLiteral("*,star")});
  Load();
  EXPECT_TRUE(ui_.messages.isEmpty()) << ui_.messages.join('\n').toStdString();
  EXPECT_EQ(tables_.dict_from, QStringList{QStringLiteral("NO")});
  EXPECT_EQ(tables_.dict_to, QStringList{QStringLiteral("NUMBER")});
  EXPECT_EQ(tables_.char_from, QStringList{QStringLiteral("*")});
  EXPECT_EQ(tables_.char_to, QStringList{QStringLiteral("STAR")});
  EXPECT_EQ(tables_.DictionaryPath(), Program(QStringLiteral("dictionary.txt")));
  EXPECT_EQ(RegisteredPath(), Program(QStringLiteral("dictionary.txt")));
}

TEST_F(LoadDictionaryTest, FieldRulesDifferOnlyInTrimming) {
  const QStringList lines = {QStringLiteral("FROM,TO"),      QStringLiteral("& , AND "),
                             QStringLiteral(",empty first"), QStringLiteral("second empty,"),
                             QStringLiteral("\"a,b\",c"),    QStringLiteral("three,fields,here"),
                             QStringLiteral("no comma"),     QString(),
                             QStringLiteral("FROM,TO"),      QStringLiteral("\" x \",y")};
  WriteLines(Program(QStringLiteral("dictionary.txt")), lines);
  WriteLines(Program(QStringLiteral("CharReplacement.txt")), lines);
  Load();
  EXPECT_EQ(tables_.dict_from, (QStringList{"&", " ", "SECOND EMPTY", "A,B", "FROM", "X"}));
  EXPECT_EQ(tables_.dict_to, (QStringList{"AND", "EMPTY FIRST", " ", "C", "TO", "Y"}));
  EXPECT_EQ(tables_.char_from, (QStringList{"& ", " ", "SECOND EMPTY", "A,B", "FROM", " X "}));
  EXPECT_EQ(tables_.char_to, (QStringList{" AND ", "EMPTY FIRST", " ", "C", "TO", "Y"}));
}

TEST_F(LoadDictionaryTest, HeadingOnlyGivesEmptyTablesWithoutAMessage) {
  WriteLines(Program(QStringLiteral("dictionary.txt")), {QStringLiteral("a,b")});
  Load();
  EXPECT_TRUE(ui_.messages.isEmpty());
  EXPECT_TRUE(tables_.dict_from.isEmpty());
  EXPECT_TRUE(tables_.char_from.isEmpty());
}

TEST_F(LoadDictionaryTest, ZeroLengthFilesShowErrorSixtyTwoAndTheLoadGoesOn) {
  test::WriteAll(Program(QStringLiteral("dictionary.txt")), QByteArray());
  WriteLines(Program(QStringLiteral("CharReplacement.txt")),
             {QStringLiteral("h"), QStringLiteral("%,pct")});
  Load();
  EXPECT_EQ(ui_.messages, QStringList{kBox62});
  EXPECT_TRUE(tables_.dict_from.isEmpty());
  EXPECT_EQ(tables_.char_to, QStringList{QStringLiteral("PCT")});

  ui_.messages.clear();
  WriteLines(Program(QStringLiteral("dictionary.txt")),
             {QStringLiteral("h"), QStringLiteral("a,b")});
  test::WriteAll(Program(QStringLiteral("CharReplacement.txt")), QByteArray());
  Load();
  EXPECT_EQ(ui_.messages, QStringList{kBox62});
  EXPECT_EQ(tables_.dict_from, QStringList{QStringLiteral("A")});
  EXPECT_TRUE(tables_.char_from.isEmpty());
}

TEST_F(LoadDictionaryTest, NoDictionaryKeepsTheTablesAndWritesNothing) {
  tables_.dict_from = {QStringLiteral("OLD")};
  tables_.dict_to = {QStringLiteral("KEPT")};
  WriteLines(Program(QStringLiteral("CharReplacement.txt")),
             {QStringLiteral("h"), QStringLiteral("%,pct")});
  Load();
  EXPECT_EQ(ui_.messages, QStringList{QStringLiteral("no dictionary found")});
  EXPECT_EQ(tables_.dict_to, QStringList{QStringLiteral("KEPT")});
  EXPECT_TRUE(tables_.char_from.isEmpty());  // the replacement file is not read either
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("registry.reg"))));
}

TEST_F(LoadDictionaryTest, ConfiguredPathFindsTheReplacementFileByCuttingFourteenCharacters) {
  ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("dict")));
  // "dict/words.txt" is 14 characters: the replacement file lies one level up.
  WriteLines(Path(QStringLiteral("dict/words.txt")),
             {QStringLiteral("h"), QStringLiteral("hi,hello")});
  WriteLines(Path(QStringLiteral("CharReplacement.txt")),
             {QStringLiteral("h"), QStringLiteral("@,at")});
  WriteLines(Program(QStringLiteral("dictionary.txt")),
             {QStringLiteral("h"), QStringLiteral("not,used")});
  Configure(Path(QStringLiteral("dict/words.txt")));
  Load();
  EXPECT_TRUE(ui_.messages.isEmpty());
  EXPECT_EQ(tables_.dict_to, QStringList{QStringLiteral("HELLO")});
  EXPECT_EQ(tables_.char_to, QStringList{QStringLiteral("AT")});
}

TEST_F(LoadDictionaryTest, MissingConfiguredFileFallsBackAndTheDefaultIsWrittenBack) {
  WriteLines(Program(QStringLiteral("dictionary.txt")),
             {QStringLiteral("h"), QStringLiteral("a,b")});
  Configure(Path(QStringLiteral("gone/dictionary.txt")));
  Load();
  EXPECT_EQ(tables_.DictionaryPath(), Program(QStringLiteral("dictionary.txt")));
  EXPECT_EQ(RegisteredPath(), Program(QStringLiteral("dictionary.txt")));
}

TEST_F(LoadDictionaryTest, DefaultFilesAreFoundWhateverTheirLetterCase) {
  WriteLines(Program(QStringLiteral("Dictionary.TXT")),
             {QStringLiteral("h"), QStringLiteral("a,b")});
  WriteLines(Program(QStringLiteral("charreplacement.txt")),
             {QStringLiteral("h"), QStringLiteral("c,d")});
  Load();
  EXPECT_TRUE(ui_.messages.isEmpty());
  EXPECT_EQ(tables_.dict_to, QStringList{QStringLiteral("B")});
  EXPECT_EQ(tables_.char_to, QStringList{QStringLiteral("D")});
}

TEST_F(LoadDictionaryTest, ShortPathMeansNoReplacementFile) {
  QTemporaryFile short_file(QStringLiteral("/tmp/qXXXXXX"));
  ASSERT_TRUE(short_file.open());
  ASSERT_LT(short_file.fileName().size(), 14);
  short_file.write("h\r\nx,y\r\n");
  short_file.close();
  Configure(short_file.fileName());
  Load();
  EXPECT_TRUE(ui_.messages.isEmpty());
  EXPECT_EQ(tables_.dict_to, QStringList{QStringLiteral("Y")});
  EXPECT_TRUE(tables_.char_from.isEmpty());
  EXPECT_TRUE(DictionaryTables::CharReplacementPath(short_file.fileName()).isEmpty());
}

TEST_F(LoadDictionaryTest, ReloadReplacesEntriesButKeepsThePathOfTheFirstLoad) {
  WriteLines(Program(QStringLiteral("dictionary.txt")),
             {QStringLiteral("h"), QStringLiteral("a,b"), QStringLiteral("c,d")});
  Load();
  ASSERT_EQ(tables_.dict_from.size(), 2);
  WriteLines(Program(QStringLiteral("dictionary.txt")),
             {QStringLiteral("h"), QStringLiteral("e,f")});
  WriteLines(Path(QStringLiteral("other.txt")), {QStringLiteral("h"), QStringLiteral("x,y")});
  Configure(Path(QStringLiteral("other.txt")));
  Load();
  EXPECT_EQ(tables_.dict_from, QStringList{QStringLiteral("E")});
  EXPECT_EQ(RegisteredPath(), Program(QStringLiteral("dictionary.txt")));

  QFile::remove(Program(QStringLiteral("dictionary.txt")));
  Load();
  EXPECT_EQ(ui_.messages, QStringList{QStringLiteral("no dictionary found")});
  EXPECT_EQ(tables_.dict_from, QStringList{QStringLiteral("E")});
}

TEST_F(LoadDictionaryTest, UnwritableStoreShowsError1001AndBothFilesStillLoad) {
  // The store's folder is a regular file: nobody, root included, can write it.
  test::WriteAll(Path(QStringLiteral("blocker")), "not a folder");
  RegistryStore unwritable(Path(QStringLiteral("blocker/registry.reg")));
  WriteLines(Program(QStringLiteral("dictionary.txt")),
             {QStringLiteral("h"), QStringLiteral("a,b")});
  WriteLines(Program(QStringLiteral("CharReplacement.txt")),
             {QStringLiteral("h"), QStringLiteral("c,d")});
  tables_.LoadDictionary(unwritable, Program(QString()), ui_);
  ASSERT_FALSE(ui_.messages.isEmpty());
  EXPECT_EQ(ui_.messages.first(), kBox1001);
  EXPECT_EQ(ui_.titles.first(), QStringLiteral("Quillon"));
  EXPECT_EQ(tables_.dict_to, QStringList{QStringLiteral("B")});
  EXPECT_EQ(tables_.char_to, QStringList{QStringLiteral("D")});
}

TEST_F(LoadDictionaryTest, DamagedStoreIsReportedAndLeftAsItIs) {
  const QByteArray damaged = QByteArray("\xFF\xFE", 2) + QByteArray("W\0i\0n\0", 6) + "\x01";
  test::WriteAll(Path(QStringLiteral("registry.reg")), damaged);
  WriteLines(Program(QStringLiteral("dictionary.txt")),
             {QStringLiteral("h"), QStringLiteral("a,b")});
  Load();
  ASSERT_EQ(ui_.messages.size(), 2);
  EXPECT_EQ(ui_.messages[0], kBox1001);
  EXPECT_TRUE(ui_.messages[1].contains(QStringLiteral("damaged"))) << ui_.messages[1].toStdString();
  EXPECT_EQ(test::ReadAll(Path(QStringLiteral("registry.reg"))), damaged);
  EXPECT_EQ(tables_.dict_to, QStringList{QStringLiteral("B")});
}

/// The translation step over tables set directly.
class TranslateTest : public ::testing::Test {
 protected:
  DictionaryTables tables_;
};

TEST_F(TranslateTest, AppendsOneBlankAndRunsDictionaryThenCharacters) {
  tables_.dict_from = {QStringLiteral("HELLO")};
  tables_.dict_to = {QStringLiteral("HI*")};
  tables_.char_from = {QStringLiteral("*")};
  tables_.char_to = {QStringLiteral(" STAR")};
  const TranslationStage::Result result =
      tables_.Translate(QStringLiteral("HELLO"), kNoLengthBound);
  EXPECT_FALSE(result.skip);
  EXPECT_EQ(result.text, QStringLiteral("HI STAR "));
}

TEST_F(TranslateTest, DictionarySkipIsNotUndoneByTheCharacterTable) {
  tables_.dict_from = {QStringLiteral("DRAFT")};
  tables_.dict_to = {QStringLiteral("<SKIP>")};
  tables_.char_from = {QStringLiteral(";"), QStringLiteral("SKIP")};
  tables_.char_to = {QStringLiteral(","), QStringLiteral("<REMOVE>")};
  EXPECT_TRUE(tables_.Translate(QStringLiteral("A DRAFT TEXT"), kNoLengthBound).skip);
  EXPECT_FALSE(tables_.Translate(QStringLiteral("A FINAL TEXT"), kNoLengthBound).skip);
}

TEST_F(TranslateTest, AResultEqualToTheMarkerInAnyCaseSkips) {
  tables_.char_from = {QStringLiteral("X ")};
  tables_.char_to = {QStringLiteral(";;;skip;;;")};
  EXPECT_TRUE(tables_.Translate(QStringLiteral("X"), kNoLengthBound).skip);
  EXPECT_FALSE(tables_.Translate(QStringLiteral("XX"), kNoLengthBound).skip);
}

}  // namespace
}  // namespace quillon
