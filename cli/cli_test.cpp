#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

/// Runs the real quillon-cli with a program folder holding the recording
/// stand-in for wavcat.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::InstallRecordingWavcat(dir_.path());
  }

  int Run(const QStringList& args, const QByteArray& input = {}) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON_HOME"), dir_.path());
    env.insert(QStringLiteral("QUILLON_REGISTRY"), dir_.filePath(QStringLiteral("registry.reg")));
    cli.setProcessEnvironment(env);
    cli.setWorkingDirectory(dir_.path());
    cli.start(QStringLiteral(QUILLON_CLI_PATH), args);
    cli.write(input);
    cli.closeWriteChannel();
    EXPECT_TRUE(cli.waitForFinished(60000));
    out_ = QString::fromUtf8(cli.readAllStandardOutput());
    err_ = QString::fromUtf8(cli.readAllStandardError());
    return cli.exitCode();
  }

  QTemporaryDir dir_;
  QString out_, err_;
};

TEST_F(CliTest, TextJoinsItsWordsAndPrintsTheReport) {
  ASSERT_EQ(Run({QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
                 QStringLiteral("out.wav"), QStringLiteral("a"), QStringLiteral("1")}),
            0)
      << err_.toStdString();
  const QString output = dir_.filePath(QStringLiteral("out.wav"));
  EXPECT_TRUE(out_.startsWith(QStringLiteral("File path=") + output + QStringLiteral("\nOriginal String=A 1\n")));
  EXPECT_TRUE(out_.contains(QStringLiteral("Done.")));
  const auto runs = test::RecordedRuns(dir_.path());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0], (QStringList{QStringLiteral("smallsilence.wav"), QStringLiteral("LTRS.wav"),
                                  QStringLiteral("a.wav"), QStringLiteral("space.wav"),
                                  QStringLiteral("FIGS.WAV"), QStringLiteral("1.wav"),
                                  QStringLiteral("LTRS.WAV"), output}));
}

TEST_F(CliTest, DashReadsTheTextFromStandardInput) {
  ASSERT_EQ(Run({QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
                 QStringLiteral("in.wav"), QStringLiteral("-")},
                "line one\r\nline two\n"),
            0);
  EXPECT_TRUE(out_.contains(QStringLiteral("New Text=LINE ONE LINE TWO\n")));
}

TEST_F(CliTest, FailureGivesANonZeroStatus) {
  test::InstallRecordingWavcat(dir_.path(), 1, QStringLiteral("broken"));
  EXPECT_EQ(Run({QStringLiteral("text"), QStringLiteral("-o"), QStringLiteral("out.wav"), QStringLiteral("A")}), 1);
  EXPECT_TRUE(out_.contains(QStringLiteral("(error):1002 (wavcat failed with exit status 1: broken)")));
  EXPECT_FALSE(out_.contains(QStringLiteral("Done.")));
}

TEST_F(CliTest, MisuseIsRefusedWithUsage) {
  EXPECT_EQ(Run({QStringLiteral("text"), QStringLiteral("A")}), 2);
  EXPECT_TRUE(err_.contains(QStringLiteral("usage:")));
  EXPECT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--baud"), QStringLiteral("300")}), 2);
  EXPECT_EQ(Run({QStringLiteral("frobnicate")}), 2);
  EXPECT_TRUE(test::RecordedRuns(dir_.path()).empty());
}

TEST_F(CliTest, HelpAndVersion) {
  EXPECT_EQ(Run({QStringLiteral("--help")}), 0);
  EXPECT_TRUE(out_.contains(QStringLiteral("alphabet")));
  EXPECT_EQ(Run({QStringLiteral("--version")}), 0);
  EXPECT_EQ(out_.trimmed(), QStringLiteral("quillon-cli 1.0 Build 17"));
}

}  // namespace
}  // namespace quillon
