#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

/// Runs the real quillon-cli with a program folder holding the built clip
/// set and the recording stand-in for wavcat.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::InstallBuiltClipSet(dir_.path());
    test::InstallRecordingWavcat(dir_.path());
  }

  int Run(const QStringList& args, const QByteArray& input = {}) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON_HOME"), dir_.path());
    env.insert(QStringLiteral("QUILLON_REGISTRY"), dir_.filePath(QStringLiteral("registry.reg")));
    cli.setProcessEnvironment(env);
    cli.setWorkingDirectory(dir_.path());
    // The recording stand-in writes no audio for a receiver to hear.
    QStringList run = args;
    if (!run.isEmpty() && run.first() == QStringLiteral("text"))
      run.insert(1, QStringLiteral("--no-verify"));
    cli.start(QStringLiteral(QUILLON_CLI_PATH), run);
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
  EXPECT_TRUE(out_.startsWith(
      QStringLiteral("File path=") + output +
      QStringLiteral("\nOriginal String=A 1\nClip set=45.45 baud, 8 kHz 16-bit PCM\n")))
      << out_.toStdString();
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
  EXPECT_EQ(Run({QStringLiteral("text"), QStringLiteral("-o"), QStringLiteral("out.wav"),
                 QStringLiteral("A")}),
            1);
  EXPECT_TRUE(
      out_.contains(QStringLiteral("(error):1002 (wavcat failed with exit status 1: broken)")));
  EXPECT_FALSE(out_.contains(QStringLiteral("Done.")));
}

TEST_F(CliTest, ASpoiledClipSetIsRefusedByTheCheckAndBeforeABuild) {
  ASSERT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--check")}), 0) << err_.toStdString();
  EXPECT_TRUE(out_.startsWith(QStringLiteral("Clip set: 45.45 baud, 8 kHz 16-bit PCM\n")));

  ASSERT_TRUE(QFile::remove(dir_.filePath(QStringLiteral("x.wav"))));
  EXPECT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--check")}), 1);
  EXPECT_TRUE(err_.contains(QStringLiteral("\n  x.wav is missing\n"))) << err_.toStdString();
  EXPECT_EQ(Run({QStringLiteral("text"), QStringLiteral("-o"), QStringLiteral("x.wav"),
                 QStringLiteral("A")}),
            1);
  EXPECT_TRUE(
      out_.contains(QStringLiteral("cannot be used, so nothing was built:\nx.wav is missing")));
  EXPECT_TRUE(test::RecordedRuns(dir_.path()).empty());
}

TEST_F(CliTest, AFailedAlphabetSaysSoOnceAndExitsWithOne) {
  test::InstallRecordingWavcat(dir_.path(), 1, QStringLiteral("broken"));
  const QByteArray a = test::ReadAll(dir_.filePath(QStringLiteral("a.wav")));
  EXPECT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--baud"), QStringLiteral("50")}), 1);
  EXPECT_EQ(out_.count(QStringLiteral("The alphabet was not built.")), 1) << out_.toStdString();
  EXPECT_FALSE(out_.contains(QStringLiteral("Done.")));
  EXPECT_TRUE(out_.contains(QStringLiteral("left as it was: 45.45 baud, 8 kHz 16-bit PCM.")));
  EXPECT_EQ(test::ReadAll(dir_.filePath(QStringLiteral("a.wav"))), a);
}

TEST_F(CliTest, MisuseIsRefusedWithUsage) {
  EXPECT_EQ(Run({QStringLiteral("text"), QStringLiteral("A")}), 2);
  EXPECT_TRUE(err_.contains(QStringLiteral("usage:")));
  EXPECT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--baud"), QStringLiteral("300")}), 2);
  EXPECT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--format"), QStringLiteral("gsm")}),
            2);
  EXPECT_TRUE(err_.contains(QStringLiteral("choose pcm16, mulaw or alaw")));
  EXPECT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--check"), QStringLiteral("--baud"),
                 QStringLiteral("50")}),
            2);
  EXPECT_EQ(Run({QStringLiteral("frobnicate")}), 2);
  EXPECT_TRUE(test::RecordedRuns(dir_.path()).empty());
}

TEST_F(CliTest, HelpAndVersion) {
  EXPECT_EQ(Run({QStringLiteral("--help")}), 0);
  EXPECT_TRUE(out_.contains(QStringLiteral("alphabet --check")));
  EXPECT_TRUE(out_.contains(QStringLiteral("--format pcm16|mulaw|alaw")));
  EXPECT_TRUE(out_.contains(QStringLiteral("Exit status:\n  0  done")));
  EXPECT_EQ(Run({QStringLiteral("--version")}), 0);
  EXPECT_EQ(out_.trimmed(), QStringLiteral("quillon-cli 1.0 Build 17"));
}

}  // namespace
}  // namespace quillon
