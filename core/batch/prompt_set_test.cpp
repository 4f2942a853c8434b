#include "core/batch/prompt_set.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <vector>

#include "core/localisation/language_table.h"
#include "core/registry/registry_store.h"
#include "platform/file_system.h"
#include "tests/support/batch_test_util.h"

namespace quillon {
namespace {

using test::BatchTest;

// ---- The language list and the folders ---------------------------------

TEST(LanguageEntriesTest, OneEntryPerPieceBetweenCommas) {
  const std::vector<LanguageEntry> entries = LanguageEntries(QStringLiteral("ENU,ENX"));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].lcid, 1033);
  EXPECT_EQ(entries[0].name, LcidToLanguageName(1033));
  EXPECT_EQ(entries[1].lcid, 33801);
  EXPECT_EQ(entries[1].name, QStringLiteral("English (TTY/TDD)"));
}

TEST(LanguageEntriesTest, PiecesAreNotTrimmedAndUnknownOnesActAsUsEnglish) {
  const std::vector<LanguageEntry> entries = LanguageEntries(QStringLiteral("ENU, DEU,,FRA"));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1].lcid, 1033);
  EXPECT_EQ(entries[1].name, LcidToLanguageName(1033));
  EXPECT_EQ(entries[2].lcid, 1033);
  EXPECT_EQ(entries[3].lcid, 1036);
  EXPECT_TRUE(LanguageEntries(QString()).empty());
}

TEST(PromptFoldersTest, TheRootIsJoinedDirectly) {
  EXPECT_EQ(LanguagePromptFolder(QStringLiteral("/srv/vm/"), QStringLiteral("DEU")),
            QStringLiteral("/srv/vm/localize/prompts/DEU"));
  EXPECT_EQ(DefaultConfigurationFolder(QStringLiteral("/srv/vm/"), QStringLiteral("DEU")),
            QStringLiteral("/srv/vm/localize/DefaultConfiguration/DEU"));
  EXPECT_EQ(LanguagePromptFolder(QString(), QStringLiteral("ENU")),
            QStringLiteral("localize/prompts/ENU"));
}

TEST(PromptRegistryTest, ReadsTheVoicemailValuesFromAnExportedStore) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("server.reg"));
  test::WriteAll(path, test::VoicemailRegistryExport(QStringLiteral("ENU,DEU"),
                                                     QStringLiteral("D:/Voice Mail/")));
  RegistryStore store(path);
  RuntimeError error;
  EXPECT_EQ(ReadTuiLanguagesLoaded(store, &error), QStringLiteral("ENU,DEU"));
  EXPECT_EQ(ReadRootPath(store, &error), QStringLiteral("D:/Voice Mail/"));
  EXPECT_EQ(error.number, 0);

  RegistryStore empty(dir.filePath(QStringLiteral("none.reg")));
  EXPECT_EQ(ReadTuiLanguagesLoaded(empty, &error), QString());
  EXPECT_EQ(ReadRootPath(empty, &error), QString());
}

// ---- Runs --------------------------------------------------------------

class PromptSetTest : public BatchTest {
 protected:
  void SetUp() override {
    BatchTest::SetUp();
    root_ = Path(QStringLiteral("orvane/"));
    registry_path_ = Path(QStringLiteral("server.reg"));
    SetRegistry(QStringLiteral("ENU,DEU"), root_);
    store_ = std::make_unique<RegistryStore>(registry_path_);
    run_ = std::make_unique<PromptSetConstruction>(*builder_, ui_, *store_);
  }
  void SetRegistry(const QString& languages, const QString& root) {
    test::WriteAll(registry_path_, test::VoicemailRegistryExport(languages, root));
  }
  QString Lang(const QString& relative) const {
    return root_ + QStringLiteral("localize/prompts/DEU/") + relative;
  }
  QString DeuFolder() const { return root_ + QStringLiteral("localize/prompts/DEU"); }
  PromptSetConstruction::Outcome Run(const QString& folder, const QString& code) {
    return run_->Run(folder, code, monitor_);
  }
  // Replaces wavcat by one that fails every run joining `clip` and hands
  // all others to the real tool.
  void FailJoinsOf(const QString& clip) const {
    const QString wavcat = JoinPath(program_folder_, QStringLiteral("wavcat"));
    const QString real = JoinPath(program_folder_, QStringLiteral("real-wavcat"));
    ASSERT_TRUE(QFile::rename(wavcat, real));
    test::WriteAll(wavcat, (QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do [ \"$a\" = ") + clip +
                            QStringLiteral(" ] && { echo 'wavcat: cannot read ") + clip +
                            QStringLiteral("' >&2; exit 1; }; done\nexec '") + real +
                            QStringLiteral("' \"$@\"\n"))
                               .toUtf8());
    QFile::setPermissions(wavcat, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QStringList Crunched() const {
    return LogLines(run_->LogPath()).filter(QRegularExpression(QStringLiteral("^Crunching: ")));
  }

  QString root_;
  QString registry_path_;
  std::unique_ptr<RegistryStore> store_;
  std::unique_ptr<PromptSetConstruction> run_;
  test::RecordingMonitor monitor_;
};

// Two languages, nested folders, prompt files named in several cases, names
// with and without a prompt number, and the sections that cannot be built.
class PromptTreeTest : public PromptSetTest {
 protected:
  void SetUp() override {
    PromptSetTest::SetUp();
    const QString deu = QStringLiteral("orvane/localize/prompts/DEU/");
    WriteText(deu + QStringLiteral("prompt.ini"),
              QStringLiteral("; greetings\r\n"
                             "[GreetDEU001]\r\nText=Guten Tag\r\n"
                             "[Welcome]\r\nText=Welcome home\r\n"
                             "[Empty]\r\nText=\r\n"
                             "[AB001]\r\nText=short name\r\n"
                             "[\r\nText=no name\r\n"
                             "[Last]\r\n"));
    WriteText(deu + QStringLiteral("sub_a/Prompt.ini"),
              QStringLiteral("[MenuDEU010]\nText=Press 1\n"));
    WriteText(deu + QStringLiteral("sub_a/deeper/PROMPT.INI"),
              QStringLiteral("[DeepDEU020]\nText=Deep 2\n"));
    WriteText(deu + QStringLiteral("Sub_b/prompt.INI"),
              QStringLiteral("[OtherDEU030]\nText=Other 3\n"));
    WriteText(QStringLiteral("orvane/localize/DefaultConfiguration/DEU/prompt.ini"),
              QStringLiteral("[DefaultDEU040]\nText=Default 4\n"));
    WriteText(QStringLiteral("orvane/localize/prompts/ENU/prompt.ini"),
              QStringLiteral("[GreetENU001]\nText=Hello\n"));
    for (const char* name :
         {"GreetDEU001.wav", "welcome.wav", "sub_a/MenuDEU010.WAV", "sub_a/deeper/DeepDEU020.wav",
          "Sub_b/OtherDEU030.wav", "GREETENX001.wav"})
      WriteRecording(deu + QString::fromLatin1(name), QByteArray("recording ") + name);
    WriteRecording(QStringLiteral("orvane/localize/DefaultConfiguration/DEU/DefaultDEU040.wav"),
                   "recording default");
    WriteRecording(QStringLiteral("orvane/localize/prompts/ENU/GreetENU001.wav"), "recording enu");
  }

  // The names in `folder` that match `name` without regard to case.
  static QStringList Matching(const QString& folder, const QString& name) {
    QStringList found;
    for (const QString& entry : QDir(folder).entryList(QDir::Files))
      if (entry.compare(name, Qt::CaseInsensitive) == 0) found << entry;
    return found;
  }
};

TEST_F(PromptTreeTest, EnxRunWalksDepthFirstCountsAcrossFilesAndLeavesRecordingsAlone) {
  run_->force_enx = true;
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);

  const QString deu = Lang(QString());
  EXPECT_EQ(
      Crunched(),
      (QStringList{QStringLiteral("Crunching: ") + deu + QStringLiteral("sub_a/deeper/PROMPT.INI"),
                   QStringLiteral("Crunching: ") + deu + QStringLiteral("sub_a/Prompt.ini"),
                   QStringLiteral("Crunching: ") + deu + QStringLiteral("Sub_b/prompt.INI"),
                   QStringLiteral("Crunching: ") + deu + QStringLiteral("prompt.ini"),
                   QStringLiteral("Crunching: ") + root_ +
                       QStringLiteral("localize/DefaultConfiguration/DEU/prompt.ini")}));
  EXPECT_EQ(monitor_.counts, (std::vector<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(monitor_.totals, std::vector<qint64>{10});
  EXPECT_EQ(monitor_.finished, 1);

  // The language's recordings are untouched; the ENX prompts sit beside them.
  EXPECT_EQ(test::ReadAll(deu + QStringLiteral("GreetDEU001.wav")),
            QByteArray("recording GreetDEU001.wav"));
  EXPECT_EQ(test::ReadAll(deu + QStringLiteral("sub_a/MenuDEU010.WAV")),
            QByteArray("recording sub_a/MenuDEU010.WAV"));
  EXPECT_EQ(test::ReadAll(deu + QStringLiteral("sub_a/deeper/DeepDEU020.wav")),
            QByteArray("recording sub_a/deeper/DeepDEU020.wav"));
  // An ENX file of another run, named in another case, is met and replaced.
  EXPECT_EQ(Matching(deu, QStringLiteral("GreetENX001.wav")), QStringList{"GREETENX001.wav"});
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("GREETENX001.wav")),
            QStringLiteral("GUTEN TAG"));
  EXPECT_EQ(Matching(deu + QStringLiteral("sub_a"), QStringLiteral("MenuENX010.wav")).size(), 1);
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("sub_a/MenuENX010.wav")),
            QStringLiteral("PRESS 1"));
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("sub_a/deeper/DeepENX020.wav")),
            QStringLiteral("DEEP 2"));
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("Sub_b/OtherENX030.wav")),
            QStringLiteral("OTHER 3"));
  EXPECT_EQ(test::DecodeWithMinimodem(
                root_ + QStringLiteral("localize/DefaultConfiguration/DEU/DefaultENX040.wav")),
            QStringLiteral("DEFAULT 4"));
  // A name without a prompt number is written under its own name: the
  // recording "welcome.wav" is replaced in place.
  EXPECT_EQ(Matching(deu, QStringLiteral("welcome.wav")), QStringList{"welcome.wav"});
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("welcome.wav")),
            QStringLiteral("WELCOME HOME"));

  // The sections that cannot be built are logged and leave nothing behind.
  const QStringList log = LogLines(run_->LogPath());
  EXPECT_TRUE(log.contains(QStringLiteral("    (error) Prompt not built (empty text): ") + deu +
                           QStringLiteral("Empty.WAV")));
  EXPECT_TRUE(log.contains(
      QStringLiteral("    (error) Prompt name too short to take the ENX code: AB001")));
  EXPECT_TRUE(log.contains(QStringLiteral("    (error) Section header names no prompt: [")));
  EXPECT_TRUE(
      log.contains(QStringLiteral("    (error) No text line after section header: [Last]")));
  EXPECT_EQ(ui_.messages.count(QStringLiteral(
                "You must first enter some text to convert into TTY/TDD WAV format.")),
            1);
  EXPECT_TRUE(Matching(deu, QStringLiteral("Empty.wav")).isEmpty());
  EXPECT_TRUE(QDir(deu).entryList({QStringLiteral("AB*")}, QDir::Files).isEmpty());
  EXPECT_TRUE(QDir(deu).entryList({QStringLiteral("Last*")}, QDir::Files).isEmpty());

  // The other language is not touched.
  EXPECT_EQ(QDir(root_ + QStringLiteral("localize/prompts/ENU")).entryList(QDir::Files),
            (QStringList{"GreetENU001.wav", "prompt.ini"}));
}

TEST_F(PromptTreeTest, WithoutEnxThePromptsReplaceTheRecordingsUnderTheirOwnNames) {
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);
  const QString deu = Lang(QString());
  EXPECT_EQ(Matching(deu, QStringLiteral("GreetDEU001.wav")), QStringList{"GreetDEU001.wav"});
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("GreetDEU001.wav")),
            QStringLiteral("GUTEN TAG"));
  EXPECT_EQ(Matching(deu + QStringLiteral("sub_a"), QStringLiteral("MenuDEU010.wav")),
            QStringList{"MenuDEU010.WAV"});
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("sub_a/MenuDEU010.WAV")),
            QStringLiteral("PRESS 1"));
  // AB001 is short but needs no ENX name here.
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("AB001.WAV")),
            QStringLiteral("SHORT NAME"));
  EXPECT_TRUE(Matching(deu + QStringLiteral("sub_a"), QStringLiteral("MenuENX010.wav")).isEmpty());
  EXPECT_EQ(test::ReadAll(deu + QStringLiteral("GREETENX001.wav")),
            QByteArray("recording GREETENX001.wav"));
}

TEST_F(PromptTreeTest, AFailedConstructionLeavesTheRecordingAsItWasAndTheWalkGoesOn) {
  // wavcat refuses every prompt that needs the clip of "G".
  FailJoinsOf(QStringLiteral("g.wav"));
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);
  EXPECT_EQ(run_->not_built(), 4);  // Guten Tag, the empty text, "[" and [Last]
  const QString deu = Lang(QString());
  EXPECT_EQ(test::ReadAll(deu + QStringLiteral("GreetDEU001.wav")),
            QByteArray("recording GreetDEU001.wav"));
  const QStringList log = LogLines(run_->LogPath());
  // The log names the file as it is on disk.
  EXPECT_TRUE(log.contains(QStringLiteral("    (error) Prompt not built: ") + deu +
                           QStringLiteral("GreetDEU001.wav")));
  EXPECT_FALSE(log.filter(QStringLiteral("    (error):")).isEmpty());
  EXPECT_EQ(test::DecodeWithMinimodem(deu + QStringLiteral("welcome.wav")),
            QStringLiteral("WELCOME HOME"));
}

TEST_F(PromptTreeTest, AMissingRootPathFallsBackToFoldersBelowTheWorkingFolder) {
  SetRegistry(QStringLiteral("DEU"), QString());
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(root_));
  RuntimeError error;
  const QString folder = LanguagePromptFolder(ReadRootPath(*store_, &error), QStringLiteral("DEU"));
  const auto outcome = Run(folder, QStringLiteral("DEU"));
  QDir::setCurrent(before);
  ASSERT_EQ(folder, QStringLiteral("localize/prompts/DEU"));
  ASSERT_EQ(outcome, PromptSetConstruction::Outcome::Done);
  const QStringList crunched = Crunched();
  ASSERT_EQ(crunched.size(), 5);
  EXPECT_EQ(crunched.first(),
            QStringLiteral("Crunching: localize/prompts/DEU/sub_a/deeper/PROMPT.INI"));
  EXPECT_EQ(crunched.last(),
            QStringLiteral("Crunching: localize/DefaultConfiguration/DEU/prompt.ini"));
  EXPECT_EQ(test::DecodeWithMinimodem(Lang(QStringLiteral("Sub_b/OtherDEU030.wav"))),
            QStringLiteral("OTHER 3"));
}

TEST_F(PromptTreeTest, AFolderLinkedBackIntoTheTreeIsWalkedOnce) {
  ASSERT_TRUE(QFile::link(DeuFolder(), Lang(QStringLiteral("sub_a/loop"))));
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);
  EXPECT_EQ(Crunched().size(), 5);
  EXPECT_EQ(monitor_.counts.size(), 10u);
}

// A tree deeper than the walk goes (3,000 folders took minutes once) is
// walked to its bound, says where it stopped, and is no success.
TEST_F(PromptSetTest, TheWalkStopsAtItsDepthAndSaysWhere) {
  QString deep = QStringLiteral("orvane/localize/prompts/DEU");
  QString at_bound;
  for (int depth = 1; depth <= 200; ++depth) {
    deep += QStringLiteral("/d");
    if (depth == 64) at_bound = Path(deep);
    if (depth == 3)
      WriteText(deep + QStringLiteral("/prompt.ini"), QStringLiteral("[ShallowDEU001]\nText=up\n"));
  }
  WriteText(deep + QStringLiteral("/prompt.ini"), QStringLiteral("[DeepDEU001]\nText=down\n"));
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);
  EXPECT_EQ(Crunched(),
            QStringList{QStringLiteral("Crunching: ") + Lang(QStringLiteral("d/d/d/prompt.ini"))});
  EXPECT_TRUE(LogLines(run_->LogPath())
                  .contains(QStringLiteral("(error) The folders below ") + at_bound +
                            QStringLiteral(" lie more than 64 levels deep and were not walked")))
      << LogLines(run_->LogPath()).join('\n').toStdString();
  EXPECT_TRUE(QFileInfo::exists(Lang(QStringLiteral("d/d/d/ShallowDEU001.WAV"))));
  EXPECT_FALSE(run_->tally().all_good());
}

TEST_F(PromptSetTest, APromptFileThatCannotBeReadIsLoggedAndTheWalkGoesOn) {
  const QString deu = QStringLiteral("orvane/localize/prompts/DEU/");
  WriteText(deu + QStringLiteral("b/prompt.ini"), QStringLiteral("[OkDEU001]\nText=ok\n"));
  ASSERT_TRUE(QDir().mkpath(Lang(QStringLiteral("a"))));
  // Reading this file fails with an I/O error, even for the superuser.
  ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), Lang(QStringLiteral("a/prompt.ini"))));
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);
  const QStringList log = LogLines(run_->LogPath());
  ASSERT_GE(log.size(), 3);
  EXPECT_EQ(log.at(0), QStringLiteral("Crunching: ") + Lang(QStringLiteral("a/prompt.ini")));
  EXPECT_TRUE(log.at(1).startsWith(QStringLiteral("    (error) Prompt file cannot be read (")));
  EXPECT_EQ(log.at(2), QStringLiteral("Crunching: ") + Lang(QStringLiteral("b/prompt.ini")));
  EXPECT_EQ(test::DecodeWithMinimodem(Lang(QStringLiteral("b/OkDEU001.WAV"))),
            QStringLiteral("OK"));
  // A file whose prompts are unknown is a failure, not "Done.".
  EXPECT_FALSE(run_->tally().all_good());
  EXPECT_EQ(ViewLogQuestion(run_->tally(), QStringLiteral("prompts")),
            QStringLiteral("1 file could not be read.  View log file now?"));
}

// Planned before the first prompt: a prompt aimed at a file that an earlier
// prompt of the run names (the same section twice, or two languages' prompts
// under one ENX name) is not built, and the earlier prompt stays.
TEST_F(PromptSetTest, PromptsAimedAtAnEarlierPromptsOutputAreNotBuilt) {
  const QString ini = Lang(QStringLiteral("prompt.ini"));
  WriteText(QStringLiteral("orvane/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[GreetDEU001]\nText=Hallo\n[GreetFRA001]\nText=Salut\n"
                           "[ByeDEU002]\nText=Tschuess\n[ByeDEU002]\nText=Ciao\n"));
  for (const char* name : {"GreetDEU001.wav", "GreetFRA001.wav", "ByeDEU002.wav"})
    WriteRecording(QStringLiteral("orvane/localize/prompts/DEU/") + QString::fromLatin1(name),
                   QByteArray("recording ") + name);
  run_->force_enx = true;
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);
  EXPECT_EQ(monitor_.totals, std::vector<qint64>{4});
  EXPECT_EQ(run_->not_built(), 2);
  const QStringList log = LogLines(run_->LogPath());
  EXPECT_TRUE(log.contains(QStringLiteral("    (error) Not built: [GreetDEU001] in ") + ini +
                           QStringLiteral(" names the same file, whose prompt this one would "
                                          "replace: ") +
                           Lang(QStringLiteral("GreetENX001.wav"))))
      << log.join('\n').toStdString();
  EXPECT_TRUE(log.contains(QStringLiteral("    (error) Not built: [ByeDEU002] in ") + ini +
                           QStringLiteral(" names the same file, whose prompt this one would "
                                          "replace: ") +
                           Lang(QStringLiteral("ByeENX002.wav"))));
  EXPECT_EQ(test::DecodeWithMinimodem(Lang(QStringLiteral("GreetENX001.wav"))),
            QStringLiteral("HALLO"));
  EXPECT_EQ(test::DecodeWithMinimodem(Lang(QStringLiteral("ByeENX002.wav"))),
            QStringLiteral("TSCHUESS"));
  EXPECT_EQ(test::ReadAll(Lang(QStringLiteral("GreetFRA001.wav"))),
            QByteArray("recording GreetFRA001.wav"));
  EXPECT_EQ(ViewLogQuestion(run_->tally(), QStringLiteral("prompts")),
            QStringLiteral("2 of 4 prompts were not built.  View log file now?"));
}

TEST_F(PromptSetTest, AStoppedRunEndsAfterThePromptInProgressAndSaysWhere) {
  WriteText(QStringLiteral("orvane/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[OneDEU001]\nText=one\n[TwoDEU002]\nText=two\n"));
  WriteText(QStringLiteral("orvane/localize/prompts/DEU/sub/prompt.ini"),
            QStringLiteral("[SubDEU003]\nText=sub\n"));
  monitor_.stop_after = 1;
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Cancelled);
  EXPECT_EQ(monitor_.totals, std::vector<qint64>{3});
  const QStringList log = LogLines(run_->LogPath());
  ASSERT_GE(log.size(), 2);
  EXPECT_EQ(log.mid(log.size() - 2),
            (QStringList{QStringLiteral("Cancelled after 1 of 3 prompts; 1 prompt was built."),
                         QStringLiteral("1 prompts processed, 1 of them were verified by the "
                                        "receiver.")}));
  EXPECT_EQ(test::DecodeWithMinimodem(Lang(QStringLiteral("sub/SubDEU003.WAV"))),
            QStringLiteral("SUB"));
  EXPECT_TRUE(QDir(DeuFolder())
                  .entryList(QDir::Files | QDir::Hidden)
                  .filter(QStringLiteral(".wav"), Qt::CaseInsensitive)
                  .isEmpty());
  EXPECT_EQ(monitor_.finished, 1);
}

TEST_F(PromptSetTest, ASpoiledClipSetRefusesTheRunBeforeAnythingChanges) {
  WriteText(QStringLiteral("orvane/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[HiDEU001]\nText=hi\n"));
  WriteRecording(QStringLiteral("orvane/localize/prompts/DEU/HiDEU001.wav"), "recording");
  test::WriteAll(JoinPath(program_folder_, QStringLiteral("h.wav")), "RIFF");
  EXPECT_EQ(Run(DeuFolder(), QStringLiteral("DEU")),
            PromptSetConstruction::Outcome::ClipSetRefused);
  ASSERT_EQ(ui_.messages.size(), 1);
  EXPECT_TRUE(ui_.messages.first().contains(QStringLiteral("h.wav cannot be used")))
      << ui_.messages.first().toStdString();
  EXPECT_FALSE(QFileInfo::exists(run_->LogPath()));
  EXPECT_EQ(test::ReadAll(Lang(QStringLiteral("HiDEU001.wav"))), QByteArray("recording"));
  EXPECT_EQ(monitor_.started(), 0);
}

// With the ENX name a prompt whose number has a sign or a blank still goes
// beside the recording: the numeric test is the voicemail system's.
TEST_F(PromptSetTest, EnxTakesNumbersAsTheNumericTestDoes) {
  WriteText(QStringLiteral("orvane/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[PromptDEU-01]\nText=Minus one\n[PromptDEU 12]\nText=Twelve\n"));
  WriteRecording(QStringLiteral("orvane/localize/prompts/DEU/PromptDEU-01.wav"), "recording -01");
  WriteRecording(QStringLiteral("orvane/localize/prompts/DEU/PromptDEU 12.wav"), "recording 12");
  run_->force_enx = true;
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);
  EXPECT_EQ(run_->not_built(), 0);
  EXPECT_EQ(test::ReadAll(Lang(QStringLiteral("PromptDEU-01.wav"))), QByteArray("recording -01"));
  EXPECT_EQ(test::ReadAll(Lang(QStringLiteral("PromptDEU 12.wav"))), QByteArray("recording 12"));
  EXPECT_EQ(test::DecodeWithMinimodem(Lang(QStringLiteral("PromptENX-01.wav"))),
            QStringLiteral("MINUS ONE"));
  EXPECT_EQ(test::DecodeWithMinimodem(Lang(QStringLiteral("PromptENX 12.wav"))),
            QStringLiteral("TWELVE"));
}

TEST_F(PromptSetTest, AFailedEnxConstructionTakesBackItsCopyOfTheRecording) {
  WriteText(QStringLiteral("orvane/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[NewDEU001]\nText=new\n[OldDEU002]\nText=old\n"));
  WriteRecording(QStringLiteral("orvane/localize/prompts/DEU/NewDEU001.wav"), "recording new");
  WriteRecording(QStringLiteral("orvane/localize/prompts/DEU/OldDEU002.wav"), "recording old");
  // The TTY prompt of an earlier run, named in another case.
  WriteRecording(QStringLiteral("orvane/localize/prompts/DEU/OLDENX002.WAV"), "earlier tty prompt");
  test::InstallRecordingWavcat(program_folder_, 1, QStringLiteral("wavcat: disk full"));
  run_->force_enx = true;
  ASSERT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);
  EXPECT_EQ(run_->not_built(), 2);

  const QString deu = Lang(QString());
  EXPECT_EQ(QDir(deu).entryList({QStringLiteral("*ENX*")}, QDir::Files),
            QStringList{QStringLiteral("OLDENX002.WAV")});
  EXPECT_EQ(test::ReadAll(deu + QStringLiteral("OLDENX002.WAV")), QByteArray("earlier tty prompt"));
  EXPECT_EQ(test::ReadAll(deu + QStringLiteral("NewDEU001.wav")), QByteArray("recording new"));
  const QStringList log = LogLines(run_->LogPath());
  EXPECT_TRUE(log.contains(QStringLiteral("    (error) Prompt not built: ") + deu +
                           QStringLiteral("NewENX001.wav")));
  EXPECT_TRUE(log.contains(
      QStringLiteral("    (error) The copy of the recording under the ENX name was removed: ") +
      deu + QStringLiteral("NewENX001.wav")));
  EXPECT_TRUE(log.contains(QStringLiteral("    (error) The earlier ENX prompt was put back: ") +
                           deu + QStringLiteral("OLDENX002.WAV")));
}

TEST_F(PromptSetTest, AMissingLanguageFolderStopsBeforeAnythingChanges) {
  EXPECT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::FolderMissing);
  EXPECT_EQ(ui_.messages, QStringList{QStringLiteral("Prompts for language directory not found!")});
  EXPECT_FALSE(QFileInfo::exists(run_->LogPath()));
  EXPECT_EQ(monitor_.started(), 0);
}

TEST_F(PromptSetTest, TheDictionaryWarningCanStopTheRunOrLetItGoOn) {
  WriteText(QStringLiteral("orvane/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[HiDEU001]\nText=hi\n"));
  run_->translate = false;
  ui_.answers = {UserInterface::Answer::No, UserInterface::Answer::Yes};
  EXPECT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Declined);
  EXPECT_EQ(ui_.titles, QStringList{QStringLiteral("WARNING!")});
  EXPECT_FALSE(QFileInfo::exists(run_->LogPath()));
  EXPECT_FALSE(QFileInfo::exists(Lang(QStringLiteral("HiDEU001.WAV"))));

  EXPECT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::Done);
  EXPECT_EQ(test::DecodeWithMinimodem(Lang(QStringLiteral("HiDEU001.WAV"))), QStringLiteral("HI"));
}

TEST_F(PromptSetTest, AReadOnlyOldLogRefusesTheRunAndLosesNothing) {
  WriteText(QStringLiteral("orvane/localize/prompts/DEU/prompt.ini"),
            QStringLiteral("[HiDEU001]\nText=hi\n"));
  test::WriteAll(run_->LogPath(), "last run\r\n");
  ASSERT_TRUE(QFile::setPermissions(run_->LogPath(), QFile::ReadOwner));
  EXPECT_EQ(Run(DeuFolder(), QStringLiteral("DEU")), PromptSetConstruction::Outcome::LogRefused);
  ASSERT_EQ(ui_.messages.size(), 1);
  EXPECT_TRUE(ui_.messages.first().startsWith(QStringLiteral("Error in cmdCreatePrompts:")));
  EXPECT_EQ(test::ReadAll(run_->LogPath()), QByteArray("last run\r\n"));
  EXPECT_FALSE(QFileInfo::exists(Lang(QStringLiteral("HiDEU001.WAV"))));
  EXPECT_EQ(monitor_.started(), 0);
}

}  // namespace
}  // namespace quillon
