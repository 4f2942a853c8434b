#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include "gui/common/test_printers.h"
#include "platform/file_system.h"
#include "tests/support/batch_test_util.h"

namespace quillon {
namespace {

/// Runs the real quillon-cli on a program folder with the real wavcat and
/// clips, and a registry store of its own.
class BatchCliTest : public test::BatchTest {
 protected:
  int Run(const QStringList& args) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON_HOME"), program_folder_);
    env.insert(QStringLiteral("QUILLON_REGISTRY"), Path(QStringLiteral("registry.reg")));
    cli.setProcessEnvironment(env);
    cli.setWorkingDirectory(Path(QString()));
    cli.start(QStringLiteral(QUILLON_CLI_PATH), args);
    EXPECT_TRUE(cli.waitForFinished(120000));
    out_ = QString::fromUtf8(cli.readAllStandardOutput());
    err_ = QString::fromUtf8(cli.readAllStandardError());
    return cli.exitCode();
  }
  void SetVoicemailValues(const QString& languages) {
    test::WriteAll(Path(QStringLiteral("registry.reg")),
                   test::VoicemailRegistryExport(languages, Path(QStringLiteral("vm/"))));
  }
  QString Log(const char* name) const {
    return JoinPath(program_folder_, QString::fromLatin1(name));
  }

  QString out_, err_;
};

TEST_F(BatchCliTest, CsvRunsEveryRowAndPrintsTheSummaryAndTheLog) {
  WriteText(QStringLiteral("list.csv"),
            QStringLiteral("FILE, TEXT\r\nhi.wav,Hi there\r\nnowhere/x.wav,lost\r\n"));
  // A row that was not built makes the run a failure.
  ASSERT_EQ(
      Run({QStringLiteral("csv"), QStringLiteral("--no-translate"), QStringLiteral("list.csv")}), 1)
      << err_.toStdString();
  EXPECT_TRUE(out_.contains(
      QStringLiteral("Done. 2 rows processed, 1 of them were good. 1 of them were verified by "
                     "the receiver.\n")))
      << out_.toStdString();
  EXPECT_TRUE(out_.endsWith(QStringLiteral("Log file: ") + Log("CSVPromptConstruction.log") +
                            QLatin1Char('\n')));
  EXPECT_TRUE(
      test::ReadAll(Log("CSVPromptConstruction.log")).contains("(error) Invalid File name"));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("hi.wav"))), QStringLiteral("HI THERE"));
}

TEST_F(BatchCliTest, CsvSucceedsOnlyWhenEveryRowWasBuiltOrSkipped) {
  test::WriteAll(JoinPath(program_folder_, QStringLiteral("dictionary.txt")),
                 "FROM,TO\r\ndraft,<skip>\r\n");
  test::WriteAll(JoinPath(program_folder_, QStringLiteral("CharReplacement.txt")), "FROM,TO\r\n");
  WriteText(QStringLiteral("good.csv"),
            QStringLiteral("FILE, TEXT\r\none.wav,One\r\ntwo.wav,a draft\r\n"));
  EXPECT_EQ(Run({QStringLiteral("csv"), QStringLiteral("good.csv")}), 0) << out_.toStdString();
  EXPECT_TRUE(out_.contains(
      QStringLiteral("Done. 2 rows processed, 2 of them were good. 1 of them were verified by "
                     "the receiver.\n")));

  // One row whose construction fails: wavcat refuses the clip of "W".
  WriteText(QStringLiteral("mixed.csv"),
            QStringLiteral("FILE, TEXT\r\nwin.wav,Win\r\nfour.wav,Four\r\n"));
  const QString wavcat = JoinPath(program_folder_, QStringLiteral("wavcat"));
  ASSERT_TRUE(QFile::rename(wavcat, wavcat + QStringLiteral(".real")));
  test::WriteAll(
      wavcat, (QStringLiteral("#!/bin/sh\ncase \" $* \" in *\" w.wav \"*) exit 1;; esac\nexec '") +
               wavcat + QStringLiteral(".real' \"$@\"\n"))
                  .toUtf8());
  QFile::setPermissions(wavcat, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(Run({QStringLiteral("csv"), QStringLiteral("mixed.csv")}), 1);
  EXPECT_TRUE(out_.contains(
      QStringLiteral("Done. 2 rows processed, 1 of them were good. 1 of them were verified by "
                     "the receiver.\n")));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("four.wav"))), QStringLiteral("FOUR"));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("win.wav"))));
}

TEST_F(BatchCliTest, AlphabetRebuildsTheSetInAnotherFormat) {
  ASSERT_TRUE(QFile::copy(JoinPath(test::BuiltProgramFolder(), QStringLiteral("quillon-clipgen")),
                          JoinPath(program_folder_, QStringLiteral("quillon-clipgen"))));
  ASSERT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--baud"), QStringLiteral("50"),
                 QStringLiteral("--format"), QStringLiteral("alaw")}),
            0)
      << out_.toStdString() << err_.toStdString();
  EXPECT_TRUE(out_.endsWith(QStringLiteral("Done.\nClip set: 50 baud, 8 kHz 8-bit A-law\n")));
  EXPECT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--check")}), 0);
  WriteText(QStringLiteral("list.csv"), QStringLiteral("FILE, TEXT\r\nhi.wav,Hi 50\r\n"));
  ASSERT_EQ(
      Run({QStringLiteral("csv"), QStringLiteral("--no-translate"), QStringLiteral("list.csv")}),
      0);
  EXPECT_TRUE(test::ReadAll(Log("CSVPromptConstruction.log"))
                  .contains("    Clip set=50 baud, 8 kHz 8-bit A-law\r\n"));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("hi.wav")), QStringLiteral("50")),
            QStringLiteral("HI 50"));
}

TEST_F(BatchCliTest, CsvRefusesWhatCannotRun) {
  WriteText(QStringLiteral("bad.csv"), QStringLiteral("FILE,TEXT\r\nx.wav,never\r\n"));
  EXPECT_EQ(Run({QStringLiteral("csv"), QStringLiteral("bad.csv")}), 1);
  EXPECT_TRUE(
      err_.contains(QStringLiteral("does not have a first line consisting of 'FILE, TEXT'")));
  EXPECT_EQ(Run({QStringLiteral("csv"), QStringLiteral("missing.csv")}), 1);
  EXPECT_TRUE(err_.contains(QStringLiteral("cannot read")));
  EXPECT_EQ(Run({QStringLiteral("csv")}), 2);
  EXPECT_FALSE(QFileInfo::exists(Log("CSVPromptConstruction.log")));

  WriteText(QStringLiteral("good.csv"), QStringLiteral("FILE, TEXT\r\nx.wav,never\r\n"));
  test::WriteAll(Log("CSVPromptConstruction.log"), "last run\r\n");
  ASSERT_TRUE(QFile::setPermissions(Log("CSVPromptConstruction.log"), QFile::ReadOwner));
  EXPECT_EQ(
      Run({QStringLiteral("csv"), QStringLiteral("--no-translate"), QStringLiteral("good.csv")}),
      1);
  EXPECT_TRUE(out_.contains(QStringLiteral("Error in cmdCreatePrompts:")));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("x.wav"))));
}

TEST_F(BatchCliTest, PromptsBuildsTheLanguageWithEnxNames) {
  SetVoicemailValues(QStringLiteral("ENU,DEU"));
  WriteText(QStringLiteral("vm/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[GreetDEU001]\r\nText=Hallo\r\n[QuietDEU002]\r\nText=\r\n"));
  WriteRecording(QStringLiteral("vm/localize/prompts/DEU/GreetDEU001.wav"), "recording");
  ASSERT_EQ(Run({QStringLiteral("prompts"), QStringLiteral("--language"), QStringLiteral("DEU"),
                 QStringLiteral("--force-enx"), QStringLiteral("--no-translate"),
                 QStringLiteral("--yes")}),
            1)
      << err_.toStdString() << out_.toStdString();
  EXPECT_TRUE(out_.contains(QStringLiteral("WARNING!: The 'apply dictionary translation")));
  EXPECT_TRUE(out_.contains(
      QStringLiteral("You must first enter some text to convert into TTY/TDD WAV format.\n")));
  EXPECT_TRUE(out_.contains(QStringLiteral("2 prompts processed\n1 of them were not built\n")));
  EXPECT_TRUE(out_.endsWith(QStringLiteral("Log file: ") + Log("OrvanePromptConstruction.log") +
                            QLatin1Char('\n')));
  const QString deu = Path(QStringLiteral("vm/localize/prompts/DEU/"));
  EXPECT_EQ(test::ReadAll(deu + QStringLiteral("GreetDEU001.wav")), QByteArray("recording"));
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("GreetENX001.wav")),
            QStringLiteral("HALLO"));
}

TEST_F(BatchCliTest, PromptsSucceedsWhenEveryPromptWasBuilt) {
  SetVoicemailValues(QStringLiteral("DEU"));
  WriteText(QStringLiteral("vm/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[GreetDEU001]\r\nText=Hallo\r\n[ByeDEU-02]\r\nText=Tschuess\r\n"));
  EXPECT_EQ(Run({QStringLiteral("prompts"), QStringLiteral("--language"), QStringLiteral("DEU"),
                 QStringLiteral("--force-enx"), QStringLiteral("--no-translate"),
                 QStringLiteral("--yes")}),
            0)
      << out_.toStdString();
  EXPECT_FALSE(out_.contains(QStringLiteral("not built")));
  EXPECT_EQ(
      test::DecodeWithMinimodem(Path(QStringLiteral("vm/localize/prompts/DEU/ByeENX-02.WAV"))),
      QStringLiteral("TSCHUESS"));
}

TEST_F(BatchCliTest, PromptsAsksBeforeRunningWithoutTheDictionary) {
  SetVoicemailValues(QStringLiteral("DEU"));
  WriteText(QStringLiteral("vm/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[GreetDEU001]\r\nText=Hallo\r\n"));
  EXPECT_EQ(Run({QStringLiteral("prompts"), QStringLiteral("--language"), QStringLiteral("DEU"),
                 QStringLiteral("--no-translate")}),
            1);
  EXPECT_TRUE(out_.contains(QStringLiteral("Continue anyway? [no]")));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("vm/localize/prompts/DEU/GreetDEU001.WAV"))));
  EXPECT_FALSE(QFileInfo::exists(Log("OrvanePromptConstruction.log")));
}

// ---- Stopping a run, and what a terminal sees --------------------------

/// How a run is stopped from outside: the signal, whether it goes to the
/// whole process group (a Ctrl+C on the terminal) or to quillon-cli alone,
/// and the exit status it ends with.
struct StopCase {
  const char* name;
  int signal_number;
  bool to_group;
  int status;
  const char* reason;
};

class StopTest : public BatchCliTest, public ::testing::WithParamInterface<StopCase> {};

// The run stops after the prompt in progress: the log ends properly, every
// prompt built is whole and decodes, nothing half-built is left, and the
// status says which signal stopped it.
TEST_P(StopTest, ASignalStopsTheRunAfterThePromptInProgress) {
  const StopCase& c = GetParam();
  constexpr int kRows = 400;
  QString csv = QStringLiteral("FILE, TEXT\n");
  for (int i = 1; i <= kRows; ++i)
    csv += QStringLiteral("out/p%1.wav,Prompt number %1 of a long list\n").arg(i);
  WriteText(QStringLiteral("list.csv"), csv);
  ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
  // A wavcat that takes its time, so that the signal comes while it joins a
  // prompt: a Ctrl+C must not reach it. The child may be spawned in the very
  // instant of the Ctrl+C, before it leaves the group; it starts with SIGINT
  // blocked, so that signal stays pending and harmless as long as the child
  // keeps its mask, as wavcat does. A shell unblocks it at start, so the
  // delay is written in perl, which keeps the mask as wavcat does.
  const QString wavcat = JoinPath(program_folder_, QStringLiteral("wavcat"));
  ASSERT_TRUE(QFile::rename(wavcat, wavcat + QStringLiteral(".real")));
  test::WriteAll(wavcat, (QStringLiteral("#!/usr/bin/perl\nselect(undef, undef, undef, 0.1);\n"
                                         "exec '") +
                          wavcat + QStringLiteral(".real', @ARGV;\n"))
                             .toUtf8());
  QFile::setPermissions(wavcat, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  QProcess cli;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QUILLON_HOME"), program_folder_);
  env.insert(QStringLiteral("QUILLON_REGISTRY"), Path(QStringLiteral("registry.reg")));
  cli.setProcessEnvironment(env);
  // A process group of its own, as a shell gives a command it runs.
  cli.setChildProcessModifier([] { ::setpgid(0, 0); });
  cli.start(
      QStringLiteral(QUILLON_CLI_PATH),
      {QStringLiteral("csv"), QStringLiteral("--no-translate"), Path(QStringLiteral("list.csv"))});
  ASSERT_TRUE(cli.waitForStarted());
  const QString log_path = Log("CSVPromptConstruction.log");
  QElapsedTimer clock;
  clock.start();
  while (test::ReadAll(log_path).count("File path=") < 3 && clock.elapsed() < 60000)
    QThread::msleep(5);
  const pid_t pid = static_cast<pid_t>(cli.processId());
  ASSERT_EQ(::kill(c.to_group ? -pid : pid, c.signal_number), 0);
  ASSERT_TRUE(cli.waitForFinished(120000));
  EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(cli.exitCode(), c.status);

  const QStringList log = LogLines(log_path);
  ASSERT_GE(log.size(), 2);
  const QRegularExpression stopped(
      QStringLiteral("^") + QRegularExpression::escape(c.reason) +
      QStringLiteral(" after (\\d+) of 400 rows; (\\d+) prompts? (was|were) built\\.$"));
  const QRegularExpressionMatch match = stopped.match(log.at(log.size() - 2));
  ASSERT_TRUE(match.hasMatch()) << log.join('\n').toStdString();
  const int done = match.captured(1).toInt();
  EXPECT_EQ(match.captured(2).toInt(), done) << log.join('\n').toStdString();
  EXPECT_GE(done, 3);
  EXPECT_LT(done, kRows);
  EXPECT_EQ(log.last(), QString::number(done) + QStringLiteral(" rows processed, ") +
                            QString::number(done) +
                            QStringLiteral(" of them were verified by the receiver."));
  const QStringList built = QDir(Path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden);
  EXPECT_EQ(built.size(), done) << built.join(' ').toStdString();
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("out/p%1.wav").arg(done))),
            QStringLiteral("PROMPT NUMBER %1 OF A LONG LIST").arg(done));
  EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardOutput())
                  .contains(QStringLiteral("Cancelled. %1 of 400 rows processed").arg(done)));
}

INSTANTIATE_TEST_SUITE_P(
    Signals, StopTest,
    ::testing::Values(StopCase{"CtrlC", SIGINT, true, 130, "Stopped by SIGINT (Ctrl+C)"},
                      StopCase{"Term", SIGTERM, false, 143, "Stopped by SIGTERM"}),
    [](const auto& info) { return std::string(info.param.name); });

/// Where standard error goes, whether --quiet is given, and whether a
/// progress line is to be seen.
struct ProgressCase {
  const char* name;
  bool terminal;
  bool quiet;
  bool progress;
};

class ProgressLineTest : public BatchCliTest, public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(ProgressLineTest, OnlyATerminalSeesTheProgressLine) {
  const ProgressCase& c = GetParam();
  WriteText(QStringLiteral("list.csv"),
            QStringLiteral("FILE, TEXT\none.wav,one\ntwo.wav,two\nthree.wav,three\n"));
  QStringList command = {QStringLiteral(QUILLON_CLI_PATH), QStringLiteral("csv"),
                         QStringLiteral("--no-translate")};
  if (c.quiet) command << QStringLiteral("--quiet");
  command << Path(QStringLiteral("list.csv"));
  QProcess cli;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QUILLON_HOME"), program_folder_);
  env.insert(QStringLiteral("QUILLON_REGISTRY"), Path(QStringLiteral("registry.reg")));
  cli.setProcessEnvironment(env);
  if (c.terminal) {
    // script(1) runs the command on a pseudo-terminal of its own.
    QStringList quoted;
    for (const QString& arg : command) quoted << QLatin1Char('\'') + arg + QLatin1Char('\'');
    cli.start(QStringLiteral("script"),
              {QStringLiteral("-qec"), quoted.join(QLatin1Char(' ')), QStringLiteral("/dev/null")});
  } else {
    cli.start(command.takeFirst(), command);
  }
  ASSERT_TRUE(cli.waitForFinished(120000));
  EXPECT_EQ(cli.exitCode(), 0);
  const QByteArray err = cli.readAllStandardError();
  const QString seen = QString::fromUtf8(cli.readAllStandardOutput() + err);
  EXPECT_EQ(seen.contains(QStringLiteral("3/3 rows, 0 not built")), c.progress)
      << seen.toStdString();
  EXPECT_TRUE(seen.contains(QStringLiteral("Done. 3 rows processed, 3 of them were good.")));
  if (!c.terminal) {
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Outputs, ProgressLineTest,
                         ::testing::Values(ProgressCase{"Terminal", true, false, true},
                                           ProgressCase{"TerminalQuiet", true, true, false},
                                           ProgressCase{"Pipe", false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BatchCliTest, PromptsRefusesLanguagesThatAreNotActive) {
  EXPECT_EQ(Run({QStringLiteral("prompts"), QStringLiteral("--language"), QStringLiteral("DEU")}),
            1);
  EXPECT_TRUE(out_.contains(
      QStringLiteral("Error! No languages found configured as active TUI languages!\n")));
  EXPECT_TRUE(out_.contains(QStringLiteral("in the registry file "))) << out_.toStdString();
  SetVoicemailValues(QStringLiteral("ENU,DEU"));
  EXPECT_EQ(Run({QStringLiteral("prompts"), QStringLiteral("--language"), QStringLiteral("FRA")}),
            2);
  EXPECT_TRUE(err_.contains(QStringLiteral("holds: ENU,DEU")));
  EXPECT_EQ(Run({QStringLiteral("prompts"), QStringLiteral("--language"), QStringLiteral("DEU")}),
            1);
  EXPECT_TRUE(out_.contains(QStringLiteral("Prompts for language directory not found!")));
  EXPECT_EQ(Run({QStringLiteral("prompts"), QStringLiteral("--force-enx")}), 2);
  EXPECT_TRUE(err_.contains(QStringLiteral("usage:")));
}

}  // namespace
}  // namespace quillon
