// quillon-cli against a second round of harm: inputs that are no files or
// that never end, outputs that are links, devices or folders, a folder
// swapped under a batch, the files Quillon itself reads, an alphabet rebuilt
// during a batch, kills at the wrong moment, and the group a server reads its
// prompts through. Real processes, files, links, pipes and signals.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <atomic>
#include <thread>

#include "platform/file_system.h"
#include "tests/support/cli_fixture.h"

namespace quillon {
namespace {

using test::CliRun;

class HarmTest : public test::CliFixture {
 protected:
  // Replaces wavcat by one that sleeps `seconds` before each run, so that a
  // signal or a kill lands while a run is under way.
  void SlowDownWavcat(const char* seconds) const {
    const QString wavcat = JoinPath(program_, QStringLiteral("wavcat"));
    ASSERT_TRUE(QFile::rename(wavcat, wavcat + QStringLiteral(".real")));
    test::WriteAll(wavcat, (QStringLiteral("#!/bin/sh\nsleep ") + QLatin1String(seconds) +
                            QStringLiteral("\nexec '") + wavcat + QStringLiteral(".real' \"$@\"\n"))
                               .toUtf8());
    QFile::setPermissions(wavcat, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  // Every file of the program folder by name, with a hash of its bytes.
  QMap<QString, QByteArray> ProgramFiles() const {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(program_).entryList(QDir::Files | QDir::Hidden))
      files[name] = QCryptographicHash::hash(test::ReadAll(JoinPath(program_, name)),
                                             QCryptographicHash::Sha1);
    return files;
  }
  void WriteRegistry(const QString& languages, const QString& root) const {
    QString escaped = root;
    escaped.replace(QLatin1Char('/'), QStringLiteral("\\\\"));
    test::WriteAll(Path(QStringLiteral("registry.reg")),
                   (QStringLiteral("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\"
                                   "SystemParameters\\1.0]\r\n\"TUI Languages Loaded\"=\"") +
                    languages +
                    QStringLiteral("\"\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0]"
                                   "\r\n\"Root Path\"=\"") +
                    escaped + QStringLiteral("\"\r\n"))
                       .toUtf8());
  }
};

// ---- 1. Inputs that are no regular files ----------------------------------

/// A CSV file or a prompt file that is something else: it is refused at once,
/// never read without end.
struct InputCase {
  const char* name;
  bool fifo;         // a pipe with no writer; otherwise a link to /dev/zero
  bool prompt_file;  // the prompt file of a prompt set; otherwise the CSV file
  const char* says;  // a part of the refusal
};

class NonRegularInputTest : public HarmTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(NonRegularInputTest, IsRefusedBeforeItIsRead) {
  const InputCase& c = GetParam();
  const QString folder = Path(QStringLiteral("vm/localize/prompts/DEU"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString input = c.prompt_file ? JoinPath(folder, QStringLiteral("prompt.ini"))
                                      : Path(QStringLiteral("list.csv"));
  if (c.fifo) {
    ASSERT_EQ(mkfifo(QFile::encodeName(input).constData(), 0600), 0);
  } else {
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), input));
  }
  WriteRegistry(QStringLiteral("DEU"), Path(QStringLiteral("vm/")));
  QElapsedTimer clock;
  clock.start();
  const CliRun run = c.prompt_file ? Run({QStringLiteral("prompts"), QStringLiteral("--language"),
                                          QStringLiteral("DEU"), QStringLiteral("--yes")})
                                   : Run({QStringLiteral("csv"), input});
  EXPECT_EQ(run.exit_code, 1) << run.out.toStdString() << run.err.toStdString();
  const QString said = run.out + run.err +
                       QString::fromUtf8(test::ReadAll(
                           JoinPath(program_, QStringLiteral("OrvanePromptConstruction.log"))));
  EXPECT_TRUE(said.contains(QLatin1String(c.says))) << said.toStdString();
  EXPECT_LT(clock.elapsed(), 60000) << "the input was read as if it had an end";
}

INSTANTIATE_TEST_SUITE_P(Inputs, NonRegularInputTest,
                         ::testing::Values(InputCase{"CsvPipe", true, false, "it is a pipe"},
                                           InputCase{"CsvDevice", false, false, "it is a device"},
                                           InputCase{"PromptFilePipe", true, true, "it is a pipe"},
                                           InputCase{"PromptFileDevice", false, true,
                                                     "it is a device"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- 2. Outputs that are no files -----------------------------------------

/// What is at the output path before the build, and whether the build reads
/// its WAV back.
struct OutputCase {
  const char* name;
  const char* kind;  // "link", "dangling", "fifo", "folder", "device"
  bool verify;
  const char* says;
};

class NonFileOutputTest : public HarmTest, public ::testing::WithParamInterface<OutputCase> {};

// Whether or not the build reads its WAV back, one rule: a link, a pipe, a
// device or a folder at the output is refused, and left as it was; the file a
// link points to is never written.
TEST_P(NonFileOutputTest, IsRefusedAndLeftAsItWas) {
  const OutputCase& c = GetParam();
  const QString kind = QLatin1String(c.kind);
  if (kind == QStringLiteral("device") && geteuid() != 0)
    GTEST_SKIP() << "only the superuser can make a device node";
  const QString output = Path(QStringLiteral("out.wav"));
  const QString target = Path(QStringLiteral("elsewhere/kept.wav"));
  ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("elsewhere"))));
  test::WriteAll(target, "the user's own prompt");
  const QByteArray name = QFile::encodeName(output);
  bool made = false;
  if (kind == QStringLiteral("link")) made = QFile::link(target, output);
  if (kind == QStringLiteral("dangling"))
    made = QFile::link(Path(QStringLiteral("elsewhere/none.wav")), output);
  if (kind == QStringLiteral("fifo")) made = mkfifo(name.constData(), 0600) == 0;
  if (kind == QStringLiteral("folder")) made = QDir().mkpath(output);
  if (kind == QStringLiteral("device"))  // as /dev/null
    made = mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  ASSERT_TRUE(made) << c.kind;
  struct stat before;
  ASSERT_EQ(lstat(name.constData(), &before), 0);

  QStringList args = {QStringLiteral("text"), QStringLiteral("--no-translate")};
  if (!c.verify) args << QStringLiteral("--no-verify");
  args << QStringLiteral("-o") << output << QStringLiteral("Hello");
  const CliRun run = Run(args);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.out.contains(QLatin1String(c.says))) << run.out.toStdString();
  struct stat after;
  ASSERT_EQ(lstat(name.constData(), &after), 0);
  EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT) << "the output changed its kind";
  EXPECT_EQ(test::ReadAll(target), QByteArray("the user's own prompt"));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("elsewhere/none.wav"))));
  EXPECT_TRUE(QDir(Path(QString()))
                  .entryList({QStringLiteral(".quillon*")}, QDir::Hidden | QDir::Files)
                  .isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, NonFileOutputTest,
    ::testing::Values(
        OutputCase{"LinkChecked", "link", true, "is a symbolic link"},
        OutputCase{"LinkUnchecked", "link", false, "is a symbolic link"},
        OutputCase{"DanglingLinkChecked", "dangling", true, "is a symbolic link"},
        OutputCase{"DanglingLinkUnchecked", "dangling", false, "is a symbolic link"},
        OutputCase{"PipeChecked", "fifo", true, "is a device, a pipe or a socket"},
        OutputCase{"PipeUnchecked", "fifo", false, "is a device, a pipe or a socket"},
        OutputCase{"FolderChecked", "folder", true, "names a folder, not a file"},
        OutputCase{"DeviceChecked", "device", true, "is a device, a pipe or a socket"},
        OutputCase{"DeviceUnchecked", "device", false, "is a device, a pipe or a socket"}),
    [](const auto& info) { return std::string(info.param.name); });

// An output path that names a folder fails at once, before any joining.
TEST_F(HarmTest, AnOutputPathThatNamesAFolderFailsBeforeAnyRun) {
  test::InstallRecordingWavcat(program_);
  for (const QString& output :
       {QStringLiteral("/"), Path(QStringLiteral("sub/")), Path(QStringLiteral("sub/.."))}) {
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("sub"))));
    const CliRun run = Run({QStringLiteral("text"), QStringLiteral("--no-verify"),
                            QStringLiteral("-o"), output, QString(5000, QLatin1Char('A'))});
    EXPECT_EQ(run.exit_code, 1) << output.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("names a folder, not a file")))
        << run.out.toStdString();
  }
  EXPECT_TRUE(test::RecordedRuns(program_).empty()) << "wavcat ran for an output it cannot write";
}

// The ENX copy of a recording never goes through a link planted at the ENX
// name: the file the link points to, outside every folder of the run, stays.
TEST_F(HarmTest, TheEnxCopyNeverWritesThroughALink) {
  const QString folder = Path(QStringLiteral("vm/localize/prompts/DEU"));
  ASSERT_TRUE(QDir().mkpath(folder));
  test::WriteAll(JoinPath(folder, QStringLiteral("prompt.ini")), "[GreetDEU001]\r\nText=Hallo\r\n");
  test::WriteAll(JoinPath(folder, QStringLiteral("GreetDEU001.wav")), "recording");
  const QString outside = Path(QStringLiteral("outside.wav"));
  test::WriteAll(outside, "not the run's to touch");
  ASSERT_TRUE(QFile::link(outside, JoinPath(folder, QStringLiteral("GreetENX001.wav"))));
  WriteRegistry(QStringLiteral("DEU"), Path(QStringLiteral("vm/")));
  const CliRun run = Run({QStringLiteral("prompts"), QStringLiteral("--language"),
                          QStringLiteral("DEU"), QStringLiteral("--force-enx"),
                          QStringLiteral("--no-translate"), QStringLiteral("--yes")});
  EXPECT_EQ(run.exit_code, 1) << run.out.toStdString();
  EXPECT_EQ(test::ReadAll(outside), QByteArray("not the run's to touch"));
  EXPECT_EQ(test::ReadAll(JoinPath(folder, QStringLiteral("GreetDEU001.wav"))),
            QByteArray("recording"));
  EXPECT_TRUE(QFileInfo(JoinPath(folder, QStringLiteral("GreetENX001.wav"))).isSymLink());
}

// ---- 3. A folder swapped for a link while a batch writes into it ----------

// A thread swaps the batch's output folder with a link to the program folder
// as fast as it can. Each row is written into the folder its build opened,
// and a row that opened the program folder is refused: no clip of the set is
// ever replaced, and nothing is left in the program folder.
TEST_F(HarmTest, AFolderSwappedForALinkNeverLetsARowReplaceAClip) {
  ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
  ASSERT_TRUE(QFile::link(program_, Path(QStringLiteral("decoy"))));
  QByteArray csv = "FILE, TEXT\r\n";
  // Rows named as the clips of the set, each once.
  QStringList clips = QDir(program_).entryList({QStringLiteral("*.wav")}, QDir::Files);
  clips.removeAll(QStringLiteral("wavcat"));
  for (int i = 0; i < clips.size(); ++i)
    csv += (Path(QStringLiteral("out/")) + clips.at(i) + QStringLiteral(",Ta ") +
            QString::number(i) + QStringLiteral("\r\n"))
               .toUtf8();
  test::WriteAll(Path(QStringLiteral("list.csv")), csv);
  const QMap<QString, QByteArray> before = ProgramFiles();
  std::atomic<bool> done{false};
  std::thread swapper([&] {
    const QByteArray a = QFile::encodeName(Path(QStringLiteral("out")));
    const QByteArray b = QFile::encodeName(Path(QStringLiteral("decoy")));
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 60000)
      renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE);
  });
  const CliRun run = Run({QStringLiteral("csv"), QStringLiteral("--no-translate"),
                          QStringLiteral("--no-verify"), Path(QStringLiteral("list.csv"))});
  done = true;
  swapper.join();
  EXPECT_NE(run.exit_code, -1);
  QMap<QString, QByteArray> after = ProgramFiles();
  after.remove(QStringLiteral("CSVPromptConstruction.log"));
  for (const QString& lock :
       {QStringLiteral(".quillon-batch.lock"), QStringLiteral(".CSVPromptConstruction.log.lock")}) {
    after.remove(lock);
  }
  QMap<QString, QByteArray> expected = before;
  expected.remove(QStringLiteral(".quillon-batch.lock"));
  expected.remove(QStringLiteral(".CSVPromptConstruction.log.lock"));
  QStringList changed;
  for (auto it = after.cbegin(); it != after.cend(); ++it)
    if (expected.value(it.key()) != it.value()) changed << it.key();
  for (auto it = expected.cbegin(); it != expected.cend(); ++it)
    if (!after.contains(it.key())) changed << it.key();
  EXPECT_TRUE(changed.isEmpty()) << "changed in the program folder: "
                                 << changed.join(' ').toStdString() << "\n"
                                 << run.out.toStdString();
}

// ---- 4. The files Quillon reads ----------------------------------------------

TEST_F(HarmTest, RowsNamingTheFilesQuillonReadsAreRefused) {
  // The dictionary lives outside the program folder, where the registry says.
  const QString tables = Path(QStringLiteral("tables"));
  ASSERT_TRUE(QDir().mkpath(tables));
  const QString dictionary = JoinPath(tables, QStringLiteral("dictionary.txt"));
  const QString characters = JoinPath(tables, QStringLiteral("CharReplacement.txt"));
  test::WriteAll(dictionary, "FROM,TO\r\nDR,DOCTOR\r\n");
  test::WriteAll(characters, "FROM,TO\r\n&, AND \r\n");
  const QString registry = Path(QStringLiteral("registry.reg"));
  test::WriteAll(registry, ("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Kitwell\\"
                            "Administration Tools\\Quillon]\r\n\"Dictionary Path\"=\"" +
                            dictionary + "\"\r\n")
                               .toUtf8());
  const QByteArray dictionary_bytes = test::ReadAll(dictionary);
  const QByteArray character_bytes = test::ReadAll(characters);
  QByteArray csv = "FILE, TEXT\r\n";
  // A second name of the registry file, a hard link, is the same file.
  const QString second_name = Path(QStringLiteral("second-name.reg"));
  ASSERT_EQ(
      link(QFile::encodeName(registry).constData(), QFile::encodeName(second_name).constData()), 0);
  for (const QString& file : {registry, dictionary, characters, second_name})
    csv += (file + QStringLiteral(",Gotcha\r\n")).toUtf8();
  test::WriteAll(Path(QStringLiteral("list.csv")), csv);
  const CliRun run = Run({QStringLiteral("csv"), Path(QStringLiteral("list.csv"))});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.out.contains(QStringLiteral("Done. 4 rows processed, 0 of them were good.")))
      << run.out.toStdString();
  EXPECT_EQ(test::ReadAll(dictionary), dictionary_bytes);
  EXPECT_EQ(test::ReadAll(characters), character_bytes);
  const QString log = QString::fromUtf8(
      test::ReadAll(JoinPath(program_, QStringLiteral("CSVPromptConstruction.log"))));
  EXPECT_EQ(log.count(QStringLiteral("is one of this run's own files")), 4) << log.toStdString();
  // The registry still reads: the next run finds its dictionary there.
  EXPECT_TRUE(test::ReadAll(registry).contains("Dictionary Path"));
}

// ---- 5. An alphabet rebuild during a batch ----------------------------------

// A batch holds the clip set from its first prompt to its last: a rebuild
// asked for meanwhile is refused plainly, and every row comes out of one set.
TEST_F(HarmTest, AnAlphabetRebuildDuringABatchIsRefusedAndEveryRowUsesOneSet) {
  SlowDownWavcat("0.05");
  ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
  QByteArray csv = "FILE, TEXT\r\n";
  for (int i = 0; i < 40; ++i)
    csv += (Path(QStringLiteral("out/p%1.wav,Prompt %1").arg(i)) + QStringLiteral("\r\n")).toUtf8();
  test::WriteAll(Path(QStringLiteral("list.csv")), csv);
  auto batch = Start(
      {QStringLiteral("csv"), QStringLiteral("--no-translate"), Path(QStringLiteral("list.csv"))});
  ASSERT_TRUE(batch->waitForStarted());
  for (int i = 0; i < 2000 && !QFileInfo::exists(Path(QStringLiteral("out/p1.wav"))); ++i)
    QThread::msleep(5);
  ASSERT_EQ(batch->state(), QProcess::Running) << "the batch ended too soon to overlap";
  const CliRun rebuild =
      Run({QStringLiteral("alphabet"), QStringLiteral("--baud"), QStringLiteral("110")});
  const CliRun rows = Finish(*batch);
  EXPECT_EQ(rebuild.exit_code, 1);
  EXPECT_TRUE(rebuild.out.contains(QStringLiteral("A batch is building prompts from the clip set")))
      << rebuild.out.toStdString();
  EXPECT_EQ(rows.exit_code, 0) << rows.out.toStdString();
  const QString log = QString::fromUtf8(
      test::ReadAll(JoinPath(program_, QStringLiteral("CSVPromptConstruction.log"))));
  EXPECT_EQ(log.count(QStringLiteral("Clip set=45.45 baud")), 40);
  EXPECT_EQ(log.count(QStringLiteral("Verified: ")), 40);
  EXPECT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--check")}).exit_code, 0);
}

// ---- 6. A kill at the wrong moment --------------------------------------------

// kill -9 at several instants of an alphabet build: the old set stays usable,
// and the next run removes what the build left.
TEST_F(HarmTest, AKilledAlphabetBuildLeavesTheOldSetAndNothingElse) {
  SlowDownWavcat("0.02");
  for (const int runs_before_kill : {0, 5, 20}) {
    auto build =
        Start({QStringLiteral("alphabet"), QStringLiteral("--baud"), QStringLiteral("110")});
    ASSERT_TRUE(build->waitForStarted());
    // Wait until the build has a staging folder and has joined this many clips.
    QElapsedTimer clock;
    clock.start();
    for (;;) {
      const QStringList stages =
          QDir(program_).entryList({QStringLiteral(".alphabet-*")}, QDir::Dirs | QDir::Hidden);
      const int joined =
          stages.isEmpty()
              ? -1
              : static_cast<int>(
                    QDir(JoinPath(program_, stages.first())).entryList(QDir::Files).size()) -
                    2;
      if (joined >= runs_before_kill || clock.elapsed() > 60000 ||
          build->state() != QProcess::Running)
        break;
      QThread::msleep(2);
    }
    ASSERT_EQ(build->state(), QProcess::Running) << "the build ended before the kill";
    ::kill(static_cast<pid_t>(build->processId()), SIGKILL);
    build->waitForFinished();
    const CliRun check = Run({QStringLiteral("alphabet"), QStringLiteral("--check")});
    EXPECT_EQ(check.exit_code, 0) << check.out.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral("45.45 baud"))) << check.out.toStdString();
    EXPECT_TRUE(
        QDir(program_)
            .entryList({QStringLiteral(".alphabet-*")}, QDir::Dirs | QDir::Files | QDir::Hidden)
            .isEmpty());
  }
}

// A kill in the middle of the switch to a new set: the journal names the
// staged set, half of it is in place. The next run completes the switch and
// builds from the whole new set.
TEST_F(HarmTest, AnInterruptedSwitchIsCompletedByTheNextRun) {
  // A whole 110-baud set, built in a folder of its own.
  const QString other = Path(QStringLiteral("other"));
  ASSERT_TRUE(QDir().mkpath(other));
  test::CopyBuiltProgramFolder(other);
  ASSERT_EQ(
      Run({QStringLiteral("alphabet"), QStringLiteral("--baud"), QStringLiteral("110")}, other)
          .exit_code,
      0);
  // Staged in the program folder, half of its clips already moved in.
  const QString stage_name = QStringLiteral(".alphabet-Xk3tQz");
  const QString stage = JoinPath(program_, stage_name);
  ASSERT_TRUE(QDir().mkpath(stage));
  QStringList names = QDir(other).entryList({QStringLiteral("*.wav")}, QDir::Files);
  names << QStringLiteral("clipset.ini");
  for (int i = 0; i < names.size(); ++i) {
    const QString to = i % 2 == 0 && names.at(i) != QStringLiteral("clipset.ini")
                           ? JoinPath(program_, names.at(i))
                           : JoinPath(stage, names.at(i));
    QFile::remove(to);
    ASSERT_TRUE(QFile::copy(JoinPath(other, names.at(i)), to)) << names.at(i).toStdString();
  }
  test::WriteAll(JoinPath(program_, QStringLiteral(".alphabet-switch")), stage_name.toUtf8());
  const CliRun run = BuildText(QStringLiteral("FAST"), Path(QStringLiteral("fast.wav")));
  EXPECT_EQ(run.exit_code, 0) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("Clip set=110 baud"))) << run.out.toStdString();
  EXPECT_FALSE(QFileInfo::exists(stage));
  EXPECT_FALSE(QFileInfo::exists(JoinPath(program_, QStringLiteral(".alphabet-switch"))));
  EXPECT_EQ(test::DecodeWithMinimodem(Path(QStringLiteral("fast.wav")), QStringLiteral("110")),
            QStringLiteral("FAST"));
}

// A build killed while it joins a long text leaves its chunk folder; one
// killed between wavcat's last run and the check leaves the unchecked file
// (named for the killed process). The next build that finds them removes
// them, and leaves those of living processes alone.
TEST_F(HarmTest, WhatAKilledBuildLeftIsRemovedByTheNextRun) {
  const QString tmp = Path(QStringLiteral("tmp"));
  ASSERT_TRUE(QDir().mkpath(tmp));
  QProcessEnvironment env = Environment();
  env.insert(QStringLiteral("TMPDIR"), tmp);
  SlowDownWavcat("0.3");
  const QString text = QString(2000, QLatin1Char('A'));
  auto build = StartWith({QStringLiteral("text"), QStringLiteral("--no-translate"),
                          QStringLiteral("-o"), Path(QStringLiteral("long.wav")), text},
                         env);
  ASSERT_TRUE(build->waitForStarted());
  const pid_t killed = static_cast<pid_t>(build->processId());
  QElapsedTimer clock;
  clock.start();
  while (QDir(tmp).entryList({QStringLiteral("quillon-build-*")}, QDir::Dirs).isEmpty() &&
         clock.elapsed() < 60000 && build->state() == QProcess::Running)
    QThread::msleep(2);
  ::kill(killed, SIGKILL);
  build->waitForFinished();
  ASSERT_FALSE(QDir(tmp).entryList({QStringLiteral("quillon-build-*")}, QDir::Dirs).isEmpty());
  const QString left = Path(QStringLiteral(".quillon-unverified-%1-Ab3dEf.wav").arg(killed));
  test::WriteAll(left, "RIFF of a build that never got checked");
  const QString alive = Path(QStringLiteral(".quillon-unverified-%1-Zz9yXw.wav").arg(getpid()));
  test::WriteAll(alive, "a live build's");

  const QString wavcat = JoinPath(program_, QStringLiteral("wavcat"));
  QFile::remove(wavcat);
  ASSERT_TRUE(QFile::rename(wavcat + QStringLiteral(".real"), wavcat));
  auto next = StartWith({QStringLiteral("text"), QStringLiteral("--no-translate"),
                         QStringLiteral("-o"), Path(QStringLiteral("next.wav")), text},
                        env);
  const CliRun run = Finish(*next);
  EXPECT_EQ(run.exit_code, 0) << run.out.toStdString();
  EXPECT_FALSE(QFileInfo::exists(left));
  EXPECT_TRUE(QFileInfo::exists(alive)) << "a living process's file was removed";
  EXPECT_TRUE(
      QDir(tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

// ---- 7. Ownership ---------------------------------------------------------------

// A rebuilt prompt keeps the group a voicemail server reads it through, with
// or without the check.
TEST_F(HarmTest, ARebuiltPromptKeepsItsGroup) {
  gid_t group = 0;
  if (geteuid() == 0) {
    group = 29;  // any group will do for the superuser
  } else {
    gid_t groups[64];
    const int n = getgroups(64, groups);
    for (int i = 0; i < n && group == 0; ++i)
      if (groups[i] != getegid()) group = groups[i];
    if (group == 0) GTEST_SKIP() << "the test user belongs to no second group";
  }
  for (const bool verify : {true, false}) {
    const QString output =
        Path(verify ? QStringLiteral("checked.wav") : QStringLiteral("unchecked.wav"));
    test::WriteAll(output, "old prompt");
    ASSERT_EQ(chown(QFile::encodeName(output).constData(), static_cast<uid_t>(-1), group), 0);
    ASSERT_EQ(chmod(QFile::encodeName(output).constData(), 0640), 0);
    QStringList args = {QStringLiteral("text"), QStringLiteral("--no-translate")};
    if (!verify) args << QStringLiteral("--no-verify");
    args << QStringLiteral("-o") << output << QStringLiteral("Hello");
    const CliRun run = Run(args);
    ASSERT_EQ(run.exit_code, 0) << run.out.toStdString();
    struct stat st;
    ASSERT_EQ(stat(QFile::encodeName(output).constData(), &st), 0);
    EXPECT_EQ(st.st_gid, group) << (verify ? "checked" : "unchecked");
    EXPECT_EQ(st.st_mode & 0777, 0640u) << (verify ? "checked" : "unchecked");
    EXPECT_EQ(test::DecodeWithMinimodem(output), QStringLiteral("HELLO"));
  }
}

// ---- 8. A description that cannot be true ---------------------------------------

TEST_F(HarmTest, ADescriptionWithImpossibleTonesIsRefused) {
  const QString description = JoinPath(program_, QStringLiteral("clipset.ini"));
  const QByteArray good = test::ReadAll(description);
  for (const QByteArray& change :
       {QByteArray("mark_hz=1e308\n"), QByteArray("mark_hz=1800\nspace_hz=1800\n"),
        QByteArray("sample_rate=1\n")}) {
    QByteArray bad = good;
    for (const QByteArray& line : change.split('\n')) {
      if (line.isEmpty()) continue;
      const QByteArray key = line.left(line.indexOf('=') + 1);
      const qsizetype at = bad.indexOf("\n" + key);
      ASSERT_GE(at, 0) << key.toStdString();
      const qsizetype end = bad.indexOf('\n', at + 1);
      bad.replace(at + 1, end - at - 1, line);
    }
    test::WriteAll(description, bad);
    const CliRun run = BuildText(QStringLiteral("Hi"), Path(QStringLiteral("hi.wav")));
    EXPECT_EQ(run.exit_code, 1) << change.toStdString() << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("cannot be true"))) << run.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("hi.wav"))));
    EXPECT_EQ(Run({QStringLiteral("alphabet"), QStringLiteral("--check")}).exit_code, 1);
  }
}

// ---- 10. A folder for chunk files that cannot be used ------------------------------

TEST_F(HarmTest, AnUnusableTmpdirIsNamedInTheReport) {
  QProcessEnvironment env = Environment();
  env.insert(QStringLiteral("TMPDIR"), Path(QStringLiteral("no/such/folder")));
  auto build =
      StartWith({QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
                 Path(QStringLiteral("long.wav")), QString(2000, QLatin1Char('B'))},
                env);
  const CliRun run = Finish(*build);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.out.contains(QStringLiteral("Cannot create a folder for the chunk files in ") +
                               Path(QStringLiteral("no/such/folder"))))
      << run.out.toStdString();
  EXPECT_FALSE(run.out.contains(QStringLiteral("Chunk files kept in \n")));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("long.wav"))));
}

}  // namespace
}  // namespace quillon
