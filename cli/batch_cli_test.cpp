#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>

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

TEST_F(BatchCliTest, PromptsRefusesLanguagesThatAreNotActive) {
  EXPECT_EQ(Run({QStringLiteral("prompts"), QStringLiteral("--language"), QStringLiteral("DEU")}),
            1);
  EXPECT_TRUE(out_.contains(
      QStringLiteral("Error! No languages found configured as active TUI languages!")));
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
