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

// Each misuse exits 2 before anything runs, with one line naming the
// problem first; a misused command line adds the command's synopsis.
TEST_F(CliTest, MisuseIsRefusedWithALineNamingTheProblem) {
  struct Misuse {
    QStringList args;
    const char* problem;  // the first line on standard error
    bool synopsis;        // the command's synopsis follows it
  };
  const Misuse cases[] = {
      {{"text", "A"}, "quillon-cli text: missing -o OUTPUT", true},
      {{"text", "-o"}, "quillon-cli text: missing value after '-o'", true},
      {{"text", "A", "-o"}, "quillon-cli text: missing -o OUTPUT", true},
      {{"text", "-o", ""}, "quillon-cli text: empty value after '-o'", true},
      {{"text", "-o", "new.wav"}, "quillon-cli text: missing TEXT", true},
      {{"text", "--bogus", "-o", "new.wav", "A"}, "quillon-cli text: unknown option 'bogus'", true},
      {{"text", "--no-verify=yes", "-o", "new.wav", "A"},
       "quillon-cli text: unexpected value after '--no-verify'",
       true},
      {{"csv"}, "quillon-cli csv: missing FILE", true},
      {{"csv", "a.csv", "b.csv"}, "quillon-cli csv: unexpected argument 'b.csv'", true},
      {{"csv", "-x", "a.csv"}, "quillon-cli csv: unknown option 'x'", true},
      {{"prompts", "--force-enx"}, "quillon-cli prompts: missing --language CODE", true},
      {{"prompts", "--yes", "--language"},
       "quillon-cli prompts: missing value after '--language'",
       true},
      {{"prompts", "--language", "ENU", "extra"},
       "quillon-cli prompts: unexpected argument 'extra'",
       true},
      {{"alphabet", "extra"}, "quillon-cli alphabet: unexpected argument 'extra'", true},
      {{"alphabet", "--check", "--baud", "50"},
       "quillon-cli alphabet: --check goes alone, with no other option or argument",
       true},
      {{"alphabet", "--list-clips", "x"},
       "quillon-cli alphabet: --list-clips goes alone, with no other option or argument",
       true},
      {{"alphabet", "--baud"}, "quillon-cli alphabet: missing value after '--baud'", true},
      {{"alphabet", "--baud", "300"},
       "quillon-cli alphabet: unknown rate 300 (choose 45.45, 50, 75 or 110)",
       false},
      {{"alphabet", "--format", "gsm"},
       "quillon-cli alphabet: unknown format gsm (choose pcm16, mulaw or alaw)",
       false},
      {{"frobnicate"}, "quillon-cli: unknown command 'frobnicate' (see --help)", false},
      {{"--frobnicate", "text"}, "quillon-cli: unknown option 'frobnicate' (see --help)", false},
  };
  for (const Misuse& c : cases) {
    SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
    EXPECT_EQ(Run(c.args), 2);
    const QStringList lines = err_.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.first(), QString::fromUtf8(c.problem)) << err_.toStdString();
    EXPECT_EQ(lines.value(1).startsWith(QStringLiteral("usage: quillon-cli ") + c.args.first()),
              c.synopsis)
        << err_.toStdString();
    EXPECT_TRUE(out_.isEmpty()) << out_.toStdString();
  }
  EXPECT_TRUE(test::RecordedRuns(dir_.path()).empty());
  EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("new.wav"))));
  // With no command at all the help goes to standard output, still as misuse.
  EXPECT_EQ(Run({}), 2);
  EXPECT_TRUE(out_.startsWith(QStringLiteral("Usage: quillon-cli COMMAND")));
}

// Every option of every command is in its own help and in the program's.
TEST_F(CliTest, HelpListsEveryOption) {
  const QStringList options[][2] = {
      {{"text"}, {"--no-translate", "--no-verify", "-o, --output <OUTPUT>", "TEXT"}},
      {{"alphabet"},
       {"--baud <45.45|50|75|110>", "--format <pcm16|mulaw|alaw>", "--check", "--list-clips"}},
      {{"csv"}, {"--no-translate", "--no-verify", "--quiet", "FILE"}},
      {{"prompts"},
       {"--language <CODE>", "--force-enx", "--no-translate", "--no-verify", "--yes", "--quiet"}},
  };
  ASSERT_EQ(Run({QStringLiteral("--help")}), 0);
  const QString help = out_;
  for (const auto& [command, names] : options) {
    SCOPED_TRACE(command.first().toStdString());
    ASSERT_EQ(Run({command.first(), QStringLiteral("--help")}), 0);
    EXPECT_TRUE(out_.startsWith(QStringLiteral("Usage: quillon-cli ") + command.first()));
    EXPECT_TRUE(out_.contains(QStringLiteral("-h, --help")));
    for (const QString& name : names) {
      EXPECT_TRUE(out_.contains(QStringLiteral("  ") + name + QStringLiteral("  ")))
          << name.toStdString() << "\n"
          << out_.toStdString();
      // The program's help names each option in its command's synopsis.
      EXPECT_TRUE(help.contains(name.section(QLatin1Char(' '), 0, 0).remove(QLatin1Char(','))))
          << name.toStdString();
    }
  }
  EXPECT_TRUE(help.contains(QStringLiteral("  alphabet --list-clips  ")));
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
