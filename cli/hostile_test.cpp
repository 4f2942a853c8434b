#include <dirent.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <set>
#include <string>

#include "platform/file_system.h"
#include "tests/support/cli_fixture.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

using test::CliRun;

/// Real quillon-cli runs on a program folder of their own holding the real
/// wavcat, clip set and tables, with files and folders beside it that the
/// runs are set against.
class HostileTest : public test::CliFixture {};

// A text of `words` words from a vocabulary of its own, upper case (as it is
// sent), so that two of them cannot be taken for each other.
QString WordsText(const QStringList& vocabulary, int words) {
  QStringList out;
  for (int i = 0; i < words; ++i) out << vocabulary.at(i % vocabulary.size());
  return out.join(QLatin1Char(' '));
}

TEST_F(HostileTest, TwoLongTextsBuiltAtOnceEachDecodeToTheirOwnText) {
  const QString first = WordsText(
      {QStringLiteral("RED"), QStringLiteral("FOX"), QStringLiteral("RUNS"), QStringLiteral("FAR")},
      600);
  const QString second = WordsText({QStringLiteral("BLUE"), QStringLiteral("OWL"),
                                    QStringLiteral("SITS"), QStringLiteral("STILL")},
                                   600);
  ASSERT_GT(first.size(), 801);
  ASSERT_GT(second.size(), 801);
  auto a = Start({QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
                  Path(QStringLiteral("first.wav")), first});
  auto b = Start({QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
                  Path(QStringLiteral("second.wav")), second});
  const CliRun ra = Finish(*a);
  const CliRun rb = Finish(*b);
  ASSERT_EQ(ra.exit_code, 0) << ra.out.toStdString();
  ASSERT_EQ(rb.exit_code, 0) << rb.out.toStdString();
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("first.wav"))), first);
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("second.wav"))), second);
}

TEST_F(HostileTest, BuildsBesideAnAlphabetRebuildUseOneWholeSet) {
  // One process rebuilds the alphabet at 110 and 45.45 baud, in turns.
  QProcess rebuilds;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QUILLON_HOME"), program_);
  env.insert(QStringLiteral("CLI"), QStringLiteral(QUILLON_CLI_PATH));
  rebuilds.setProcessEnvironment(env);
  rebuilds.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("for i in 1 2 3; do \"$CLI\" alphabet --baud 110 || exit 1; "
                                 "\"$CLI\" alphabet --baud 45.45 || exit 1; done")});
  ASSERT_TRUE(rebuilds.waitForStarted());
  const QRegularExpression clip_set(QStringLiteral("^Clip set=([0-9.]+) baud"),
                                    QRegularExpression::MultilineOption);
  std::set<QString> rates;
  int builds = 0;
  while (rebuilds.state() != QProcess::NotRunning || builds < 2) {
    const QString text = QStringLiteral("BUILD ") + QString::number(builds) + QStringLiteral(" OK");
    const QString output =
        Path(QStringLiteral("b") + QString::number(builds) + QStringLiteral(".wav"));
    const CliRun run = BuildText(text, output);
    ASSERT_EQ(run.exit_code, 0) << run.out.toStdString();
    const QRegularExpressionMatch match = clip_set.match(run.out);
    ASSERT_TRUE(match.hasMatch()) << run.out.toStdString();
    rates.insert(match.captured(1));
    EXPECT_EQ(test::DecodeWithMinimodem(output, match.captured(1)), text)
        << "built at " << match.captured(1).toStdString();
    ++builds;
    rebuilds.waitForFinished(0);
  }
  if (rebuilds.state() != QProcess::NotRunning) {
    ASSERT_TRUE(rebuilds.waitForFinished(600000));
  }
  EXPECT_EQ(rebuilds.exitCode(), 0) << rebuilds.readAllStandardOutput().toStdString();
  EXPECT_GE(builds, 2);
  EXPECT_EQ(rates.size(), 2u) << "the builds never met the other rate";
}

/// A CSV of `rows` rows of prompts written into `folder` (relative to the
/// scratch folder).
QByteArray CsvOfRows(const QString& folder, int rows) {
  QByteArray csv = "FILE, TEXT\r\n";
  for (int i = 0; i < rows; ++i)
    csv += (folder + QStringLiteral("/p") + QString::number(i) +
            QStringLiteral(".wav,Please hold the line number ") + QString::number(i) +
            QStringLiteral("\r\n"))
               .toUtf8();
  return csv;
}

TEST_F(HostileTest, ASecondCsvBatchIsRefusedWhileTheFirstRuns) {
  constexpr int kRows = 300;
  ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("one"))));
  ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("two"))));
  test::WriteAll(Path(QStringLiteral("one.csv")), CsvOfRows(QStringLiteral("one"), kRows));
  test::WriteAll(Path(QStringLiteral("two.csv")), CsvOfRows(QStringLiteral("two"), 3));
  const QString log = JoinPath(program_, QStringLiteral("CSVPromptConstruction.log"));
  auto first = Start(
      {QStringLiteral("csv"), QStringLiteral("--no-translate"), Path(QStringLiteral("one.csv"))});
  ASSERT_TRUE(first->waitForStarted());
  // The second starts once the first has its log (and its lock).
  for (int i = 0; i < 2000 && !QFileInfo::exists(Path(QStringLiteral("one/p1.wav"))); ++i)
    QThread::msleep(5);
  ASSERT_EQ(first->state(), QProcess::Running) << "the first batch ended too soon to overlap";
  const CliRun second = Run(
      {QStringLiteral("csv"), QStringLiteral("--no-translate"), Path(QStringLiteral("two.csv"))});
  const CliRun one = Finish(*first);
  EXPECT_EQ(second.exit_code, 1);
  EXPECT_TRUE((second.out + second.err).contains(QStringLiteral("Another batch")))
      << second.out.toStdString() << second.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("two/p0.wav"))));
  ASSERT_EQ(one.exit_code, 0) << one.out.toStdString();
  const QByteArray text = test::ReadAll(log);
  for (int i = 0; i < kRows; ++i)
    EXPECT_TRUE(text.contains(("NUMBER " + QByteArray::number(i) + "\r\n")))
        << "row " << i << " is missing from the log";
  EXPECT_FALSE(text.contains("two/"));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("one/p299.wav"))),
            QStringLiteral("PLEASE HOLD THE LINE NUMBER 299"));
}

TEST_F(HostileTest, CsvRowsNamingTheProgramsOwnFilesAreRefused) {
  const QString csv = Path(QStringLiteral("own.csv"));
  const QString log = JoinPath(program_, QStringLiteral("CSVPromptConstruction.log"));
  const QStringList targets = {JoinPath(program_, QStringLiteral("wavcat")),
                               JoinPath(program_, QStringLiteral("p.wav")), log, csv};
  QByteArray rows = "FILE, TEXT\r\n";
  for (const QString& target : targets) rows += (target + QStringLiteral(",Gotcha\r\n")).toUtf8();
  test::WriteAll(csv, rows);
  const QByteArray wavcat = test::ReadAll(targets[0]);
  const QByteArray clip = test::ReadAll(targets[1]);
  ASSERT_FALSE(clip.isEmpty());

  const CliRun run =
      Run({QStringLiteral("csv"), QStringLiteral("--no-translate"), QStringLiteral("own.csv")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.out.contains(QStringLiteral("Done. 4 rows processed, 0 of them were good.")))
      << run.out.toStdString();
  EXPECT_EQ(test::ReadAll(targets[0]), wavcat);
  EXPECT_EQ(test::ReadAll(targets[1]), clip);
  EXPECT_EQ(test::ReadAll(csv), rows);
  const QString written = QString::fromUtf8(test::ReadAll(log));
  EXPECT_EQ(written.count(QStringLiteral("(error) Prompt not built")), 4) << written.toStdString();
  EXPECT_EQ(written.count(QStringLiteral("choose another name")), 4) << written.toStdString();
}

/// A small file system mounted for one test, gone with it.
class SmallVolume {
 public:
  explicit SmallVolume(const QString& folder) : folder_(QFile::encodeName(folder)) {
    mounted_ = ::mount("tmpfs", folder_.constData(), "tmpfs", 0, "size=2m") == 0;
  }
  ~SmallVolume() {
    if (mounted_) ::umount(folder_.constData());
  }
  bool mounted() const { return mounted_; }

 private:
  QByteArray folder_;
  bool mounted_ = false;
};

TEST_F(HostileTest, ATextThatDoesNotFitIsRefusedBeforeTheBuild) {
  const QString small = Path(QStringLiteral("small"));
  ASSERT_TRUE(QDir().mkpath(small));
  SmallVolume volume(small);
  if (!volume.mounted()) GTEST_SKIP() << "mounting a 2 MB tmpfs is not permitted here";
  const QString text = WordsText({QStringLiteral("NO"), QStringLiteral("ROOM")}, 700);
  const CliRun run = BuildText(text, JoinPath(small, QStringLiteral("big.wav")));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(
      run.out.contains(QRegularExpression(QStringLiteral("\\(error\\).*Not enough disk space"))))
      << run.out.toStdString();
  EXPECT_TRUE(
      QDir(small).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST_F(HostileTest, ADictionaryThatDoublesTheTextEndsAtTheTranslationBound) {
  QByteArray dictionary = "FROM,TO\r\n";
  for (int i = 0; i < 22; ++i)
    dictionary += "W" + QByteArray::number(i) + ", W" + QByteArray::number(i + 1) + " W" +
                  QByteArray::number(i + 1) + "\r\n";
  test::WriteAll(JoinPath(program_, QStringLiteral("dictionary.txt")), dictionary);
  const QString output = Path(QStringLiteral("doubled.wav"));
  const CliRun run =
      Run({QStringLiteral("text"), QStringLiteral("-o"), output, QStringLiteral("W0")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.out.contains(
      QRegularExpression(QStringLiteral("\\(error\\).*too long|\\(error\\).*over the limit"))))
      << run.out.left(2000).toStdString();
  EXPECT_FALSE(QFileInfo::exists(output));
}

// A character table whose entries each double the text would make one letter
// a billion characters long: the translation stops at its bound before the
// text grows past it, and nothing is built.
TEST_F(HostileTest, ACharacterTableThatDoublesTheTextStopsAtTheBound) {
  QByteArray table = "FROM,TO\r\n";
  for (int i = 0; i < 30; ++i) table += "A,AA\r\n";
  test::WriteAll(JoinPath(program_, QStringLiteral("CharReplacement.txt")), table);
  const QString output = Path(QStringLiteral("doubled.wav"));
  const CliRun run =
      Run({QStringLiteral("text"), QStringLiteral("-o"), output, QStringLiteral("a")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(
      run.out.contains(QStringLiteral("Translation would make the text more than 10000 "
                                      "characters long")))
      << run.out.left(2000).toStdString();
  EXPECT_FALSE(QFileInfo::exists(output));
}

// The names in a folder as raw bytes.
std::set<std::string> RawNames(const QString& folder) {
  std::set<std::string> names;
  DIR* dir = ::opendir(QFile::encodeName(folder).constData());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) names.insert(entry->d_name);
  ::closedir(dir);
  return names;
}

TEST_F(HostileTest, ACsvNameHoldingANulByteIsRefused) {
  test::WriteAll(Path(QStringLiteral("nul.csv")),
                 QByteArray("FILE, TEXT\r\nabc", 15) + QByteArray(1, '\0') + "def.wav,Hi\r\n");
  const CliRun run =
      Run({QStringLiteral("csv"), QStringLiteral("--no-translate"), QStringLiteral("nul.csv")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(QString::fromUtf8(
                  test::ReadAll(JoinPath(program_, QStringLiteral("CSVPromptConstruction.log"))))
                  .contains(QStringLiteral("Invalid file name"), Qt::CaseInsensitive));
  for (const std::string& name : RawNames(scratch_.path()))
    EXPECT_NE(name.rfind("abc", 0), 0u) << "written: " << name;
}

TEST_F(HostileTest, AnOutputNameThatIsNotUtf8IsWrittenAsGivenOrRefused) {
  // The raw byte E9 reaches quillon-cli through a shell, as a user's would.
  QProcess shell;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QUILLON_HOME"), program_);
  env.insert(QStringLiteral("QUILLON_REGISTRY"), Path(QStringLiteral("registry.reg")));
  shell.setProcessEnvironment(env);
  shell.setWorkingDirectory(scratch_.path());
  shell.start(QStringLiteral("/bin/sh"),
              {QStringLiteral("-c"),
               QStringLiteral("exec \"$0\" text --no-translate -o \"$(printf 'lat\\351.wav')\" Hi"),
               QStringLiteral(QUILLON_CLI_PATH)});
  ASSERT_TRUE(shell.waitForFinished(60000));
  const QString out =
      QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError());
  const std::set<std::string> names = RawNames(scratch_.path());
  EXPECT_EQ(names.count("lat\xEF\xBF\xBD.wav"), 0u) << "the byte was replaced";
  if (shell.exitCode() == 0) {
    ASSERT_EQ(names.count("lat\xE9.wav"), 1u) << out.toStdString();
  } else {
    EXPECT_EQ(names.count("lat\xE9.wav"), 0u);
    EXPECT_TRUE(out.contains(QStringLiteral("not text")) || out.contains(QStringLiteral("UTF-8")))
        << out.toStdString();
  }
}

// UTF-16 with its byte-order mark is read; without one it cannot be told
// from binary data, and is refused in the log with the reason, the run going
// on without it and ending in failure.
TEST_F(HostileTest, AUtf16PromptFileIsReadWithItsMarkAndRefusedWithout) {
  test::WriteAll(Path(QStringLiteral("registry.reg")),
                 QByteArray("REGEDIT4\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\SystemParameters\\1.0]\r\n"
                            "\"TUI Languages Loaded\"=\"DEU\"\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0]\r\n"
                            "\"Root Path\"=\"") +
                     QDir::toNativeSeparators(Path(QStringLiteral("vm/")))
                         .replace('/', QStringLiteral("\\\\"))
                         .toUtf8() +
                     "\"\r\n");
  const QString folder = Path(QStringLiteral("vm/localize/prompts/DEU"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString ini = QStringLiteral("[GreetDEU001]\r\nText=Hallo\r\n");
  QByteArray utf16;
  for (QChar c : ini) utf16 += QByteArray(1, static_cast<char>(c.unicode())) + QByteArray(1, '\0');
  test::WriteAll(JoinPath(folder, QStringLiteral("prompt.ini")), QByteArray("\xFF\xFE", 2) + utf16);
  const QStringList args = {QStringLiteral("prompts"), QStringLiteral("--language"),
                            QStringLiteral("DEU"), QStringLiteral("--no-translate"),
                            QStringLiteral("--yes")};
  CliRun run = Run(args);
  EXPECT_EQ(run.exit_code, 0) << run.out.toStdString();
  EXPECT_EQ(test::DecodeWithMinimodem(JoinPath(folder, QStringLiteral("GreetDEU001.WAV"))),
            QStringLiteral("HALLO"));

  test::WriteAll(JoinPath(folder, QStringLiteral("prompt.ini")), utf16);
  run = Run(args);
  EXPECT_EQ(run.exit_code, 1) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("1 prompt file(s) could not be read")));
  const QString log = QString::fromUtf8(
      test::ReadAll(JoinPath(program_, QStringLiteral("OrvanePromptConstruction.log"))));
  EXPECT_TRUE(log.contains(QStringLiteral("UTF-16 without a byte-order mark")))
      << log.toStdString() << run.out.toStdString();
}

/// The permission bits of a file.
mode_t ModeOf(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

TEST_F(HostileTest, AReadOnlyOutputWhoseBuildFailsKeepsItsMode) {
  const QString output = Path(QStringLiteral("kept.wav"));
  test::WriteAll(output, "old recording");
  ASSERT_EQ(::chmod(QFile::encodeName(output).constData(), 0444), 0);
  test::InstallRecordingWavcat(program_, 1, QStringLiteral("broken"));
  const CliRun run = BuildText(QStringLiteral("FAIL"), output);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(ModeOf(output), 0444u);
  EXPECT_EQ(test::ReadAll(output), QByteArray("old recording"));
}

TEST_F(HostileTest, ARebuiltReadOnlyOutputGetsOwnerWriteAdded) {
  const QString output = Path(QStringLiteral("group.wav"));
  test::WriteAll(output, "old recording");
  ASSERT_EQ(::chmod(QFile::encodeName(output).constData(), 0440), 0);
  const CliRun run = BuildText(QStringLiteral("NEW"), output);
  ASSERT_EQ(run.exit_code, 0) << run.out.toStdString();
  EXPECT_EQ(ModeOf(output), 0640u);
  EXPECT_EQ(test::DecodeWithMinimodem(output), QStringLiteral("NEW"));
}

// A checked build is written beside the output under a hidden name and renamed over it: a
// new output still gets the mode of a new file (0666 less the umask), not a temporary
// file's 0600, and nothing hidden is left in the folder.
TEST_F(HostileTest, ANewCheckedOutputGetsANewFilesModeAndLeavesNothingHidden) {
  const QString folder = Path(QStringLiteral("fresh"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString output = JoinPath(folder, QStringLiteral("new.wav"));
  const mode_t mask = ::umask(022);
  const CliRun run = BuildText(QStringLiteral("FRESH"), output);
  ::umask(mask);
  ASSERT_EQ(run.exit_code, 0) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("Verified: "))) << run.out.toStdString();
  EXPECT_EQ(ModeOf(output), 0644u);
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("new.wav")});
  EXPECT_EQ(test::DecodeWithMinimodem(output), QStringLiteral("FRESH"));
}

// Programs are started with their arguments as a list, never as a line to
// split: a program folder and an output path that hold double quotes (and
// blanks) work like any other.
TEST_F(HostileTest, DoubleQuotesInTheProgramFolderAndTheOutputAreJustCharacters) {
  const QString quoted = Path(QStringLiteral("pro\"gram \"x\""));
  ASSERT_TRUE(QDir().mkpath(quoted));
  test::CopyBuiltProgramFolder(quoted);
  const QString output = Path(QStringLiteral("say \"hi\".wav"));
  const CliRun run = Run({QStringLiteral("text"), QStringLiteral("--no-translate"),
                          QStringLiteral("-o"), output, QStringLiteral("HI 2")},
                         quoted);
  EXPECT_EQ(run.exit_code, 0) << run.out.toStdString() << run.err.toStdString();
  EXPECT_EQ(test::DecodeWithMinimodem(output), QStringLiteral("HI 2"));
  const CliRun rebuilt =
      Run({QStringLiteral("alphabet"), QStringLiteral("--baud"), QStringLiteral("50")}, quoted);
  EXPECT_EQ(rebuilt.exit_code, 0) << rebuilt.out.toStdString();
}

TEST_F(HostileTest, AWavcatKilledMidRunLeavesThePreviousOutputAndFails) {
  const QString output = Path(QStringLiteral("long.wav"));
  test::WriteAll(output, "previous output");
  // wavcat as the build runs it; the run that writes the output is killed
  // (SIGKILL) as soon as the real joining program is running.
  const QString wavcat = JoinPath(program_, QStringLiteral("wavcat"));
  ASSERT_TRUE(QFile::rename(wavcat, wavcat + QStringLiteral(".real")));
  test::WriteAll(
      wavcat,
      (QStringLiteral("#!/bin/sh\n"
                      "for last; do :; done\n"
                      "case \"$last\" in *long.wav|*/.quillon-unverified-*.wav) ;; *) exec '") +
       wavcat + QStringLiteral(".real' \"$@\";; esac\n'") + wavcat +
       QStringLiteral(".real' \"$@\" &\n"
                      "pid=$!\n"
                      "while [ \"$(readlink /proc/$pid/exe)\" != '") +
       wavcat +
       QStringLiteral(".real' ]; do :; done\n"
                      "kill -KILL $pid\n"
                      "wait $pid\n"))
          .toUtf8());
  ASSERT_TRUE(
      QFile::setPermissions(wavcat, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  const CliRun run =
      BuildText(WordsText({QStringLiteral("KILLED"), QStringLiteral("MIDWAY")}, 3000), output);
  EXPECT_EQ(run.exit_code, 1) << run.out.left(500).toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("(error)"))) << run.out.left(500).toStdString();
  EXPECT_FALSE(run.out.contains(QStringLiteral("Done.")));
  EXPECT_EQ(test::ReadAll(output), QByteArray("previous output"));
}

}  // namespace
}  // namespace quillon
