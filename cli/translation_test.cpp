#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

/// Runs the real quillon-cli with a program folder and a registry file of
/// its own; wavcat is the recording stand-in.
class CliTranslationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::InstallBuiltClipSet(dir_.path());
    test::InstallRecordingWavcat(dir_.path());
  }
  QString Path(const QString& name) const { return dir_.filePath(name); }
  void WriteTables(const QByteArray& dictionary, const QByteArray& characters) {
    test::WriteAll(Path(QStringLiteral("dictionary.txt")), "FROM,TO\r\n" + dictionary);
    test::WriteAll(Path(QStringLiteral("CharReplacement.txt")), "FROM,TO\r\n" + characters);
  }
  int Run(QStringList args) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON_HOME"), dir_.path());
    env.insert(QStringLiteral("QUILLON_REGISTRY"), Path(QStringLiteral("registry.reg")));
    cli.setProcessEnvironment(env);
    cli.setWorkingDirectory(dir_.path());
    // The recording stand-in writes no audio for a receiver to hear.
    cli.start(QStringLiteral(QUILLON_CLI_PATH),
              QStringList{QStringLiteral("text"), QStringLiteral("--no-verify")} + args);
    EXPECT_TRUE(cli.waitForFinished(60000));
    out_ = QString::fromUtf8(cli.readAllStandardOutput());
    return cli.exitCode();
  }

  QTemporaryDir dir_;
  QString out_;
};

TEST_F(CliTranslationTest, TextIsTranslatedWithTheTablesBesideTheProgram) {
  WriteTables("no,number\r\n", "*,\" STAR\"\r\n");
  ASSERT_EQ(Run({QStringLiteral("-o"), QStringLiteral("out.wav"), QStringLiteral("no *")}), 0)
      << out_.toStdString();
  EXPECT_TRUE(out_.contains(QStringLiteral("\nNew Text=NUMBER  STAR \n"))) << out_.toStdString();
  const QByteArray registry = test::ReadAll(Path(QStringLiteral("registry.reg")));
  EXPECT_TRUE(registry.startsWith("\xFF\xFE"));
  EXPECT_TRUE(QString::fromUtf16(reinterpret_cast<const char16_t*>(registry.constData() + 2),
                                 (registry.size() - 2) / 2)
                  .contains(QStringLiteral("\"Dictionary Path\"=\"") +
                            Path(QStringLiteral("dictionary.txt"))));
}

TEST_F(CliTranslationTest, NoTranslateLeavesTablesAndRegistryAlone) {
  ASSERT_EQ(Run({QStringLiteral("--no-translate"), QStringLiteral("-o"), QStringLiteral("out.wav"),
                 QStringLiteral("no")}),
            0);
  EXPECT_FALSE(out_.contains(QStringLiteral("no dictionary found")));
  EXPECT_TRUE(out_.contains(QStringLiteral("\nNew Text=NO\n")));
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("registry.reg"))));
}

TEST_F(CliTranslationTest, MissingDictionaryIsSaidAndTheTextIsBuiltAsItIs) {
  ASSERT_EQ(Run({QStringLiteral("-o"), QStringLiteral("out.wav"), QStringLiteral("no")}), 0);
  EXPECT_TRUE(out_.startsWith(QStringLiteral("no dictionary found\n"))) << out_.toStdString();
  EXPECT_EQ(test::RecordedRuns(dir_.path()).size(), 1u);
}

TEST_F(CliTranslationTest, SkippedTextStartsNoRunAndExitsWithThree) {
  WriteTables("draft,<skip>\r\n", ";,\",\"\r\n");
  EXPECT_EQ(
      Run({QStringLiteral("-o"), QStringLiteral("out.wav"), QStringLiteral("a draft; not built")}),
      3);
  EXPECT_EQ(out_.count(QStringLiteral("File skipped per dictionary translation rules")), 1);
  EXPECT_TRUE(out_.contains(QStringLiteral(
      "The text was skipped per dictionary translation rules; no WAV file was written.\n")));
  EXPECT_FALSE(out_.contains(QStringLiteral("Done.")));
  EXPECT_TRUE(test::RecordedRuns(dir_.path()).empty());
}

}  // namespace
}  // namespace quillon
