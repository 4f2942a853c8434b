#include "core/verification/wav_check.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/synthesis/character_inventory.h"
#include "core/synthesis/clip_set_file.h"
#include "core/verification/verification_test_util.h"
#include "tests/support/program_run.h"

namespace quillon {
namespace {

/// The outcome of one quillon-cli run.
struct CliRun {
  int exit_code = -1;
  QString out;
};

CliRun RunCli(const QString& folder, const QStringList& args) {
  const test::ProgramRun cli = test::RunProgram(
      QStringLiteral(QUILLON_CLI_PATH), args,
      {QStringLiteral("QUILLON_HOME=") + folder,
       QStringLiteral("QUILLON_REGISTRY=") + QDir(folder).filePath("registry.reg")});
  EXPECT_TRUE(cli.finished);
  return {cli.exit_code, QString::fromUtf8(cli.out + cli.err)};
}

ClipSet ReadSet(const QString& folder) {
  ClipSet set;
  QString err;
  EXPECT_TRUE(ReadClipSet(QDir(folder).filePath(kClipSetFileName), &set, &err))
      << err.toStdString();
  return set;
}

// A set whose "t.wav" sends E: the poisoning a mistaken copy leaves behind.
void PoisonT(const QString& folder) {
  ASSERT_TRUE(QFile::remove(QDir(folder).filePath("t.wav")));
  ASSERT_TRUE(QFile::copy(QDir(folder).filePath("e.wav"), QDir(folder).filePath("t.wav")));
}

const QString kLongText =
    QStringLiteral("THE QUICK BROWN FOX 12345 JUMPS OVER THE LAZY DOG, (67) $89? ").repeated(40);

/// Prompts built by the real quillon-cli and wavcat from the set of one rate, read back
/// by the check in one piece and in two halves.
class ReceiverWavCheckTest : public ::testing::TestWithParam<BaudRate> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::MakeProgramFolder(dir_.path(), GetParam());
  }
  QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

  QTemporaryDir dir_;
};

TEST_P(ReceiverWavCheckTest, ShortAndLongPromptsReadBackAsSentAndTheLongOneIsCut) {
  ReceiverWavCheck check(ReadSet(dir_.path()), dir_.path());
  for (const QString& text : {QStringLiteral("OK"), kLongText}) {
    const QString sent = test::BuildAndGetSentText(dir_.path(), text, Path("prompt1.wav"));
    QString line;
    QString problem;
    EXPECT_TRUE(check.Check(Path("prompt1.wav"), sent, &line, &problem)) << problem.toStdString();
    EXPECT_TRUE(line.startsWith(QStringLiteral("Verified: the receiver read back the ")))
        << line.toStdString();
    EXPECT_EQ(check.last_cut(), text == kLongText);
  }
}

TEST_P(ReceiverWavCheckTest, APromptOfAPoisonedSetNamesTheFirstCharacterThatDiffers) {
  PoisonT(dir_.path());
  const CliRun run = RunCli(dir_.path(), {QStringLiteral("text"), QStringLiteral("--no-translate"),
                                          QStringLiteral("--no-verify"), QStringLiteral("-o"),
                                          Path("bad.wav"), QStringLiteral("AB TEA")});
  ASSERT_EQ(run.exit_code, 0) << run.out.toStdString();
  ReceiverWavCheck check(ReadSet(dir_.path()), dir_.path());
  QString line;
  QString problem;
  EXPECT_FALSE(check.Check(Path("bad.wav"), QStringLiteral("AB TEA"), &line, &problem));
  EXPECT_EQ(problem,
            QStringLiteral("Verification failed: character 4: sent \"T\", received \"E\""));
}

/// The clips the construction joins for a text of letters and spaces.
QStringList LettersClips(const QString& text) {
  QStringList clips{QString::fromLatin1(kLeadingSilenceClip), QString::fromLatin1(kLtrsClip)};
  for (char32_t c : text.toUcs4()) clips << LookupCharClip(c).clip;
  return clips;
}

// A prompt announced before it is joined is received from its clips; the file must then
// hold exactly those samples. Short and long (cut) prompts pass; a file with one sample
// changed, one of another length, or one of another text fails, saying how.
TEST_P(ReceiverWavCheckTest, AnAnnouncedPromptIsHeldToTheSamplesOfItsClips) {
  const QString long_text = QStringLiteral("HELLO WORLD ").repeated(30).trimmed();
  for (const QString& text : {QStringLiteral("OK"), long_text}) {
    ReceiverWavCheck check(ReadSet(dir_.path()), dir_.path());
    const QString sent = test::BuildAndGetSentText(dir_.path(), text, Path("prompt.wav"));
    ASSERT_EQ(sent, text);
    QString line;
    QString problem;
    check.Expect(LettersClips(text), sent);
    EXPECT_TRUE(check.Check(Path("prompt.wav"), sent, &line, &problem)) << problem.toStdString();
    EXPECT_TRUE(line.startsWith(QStringLiteral("Verified: "))) << line.toStdString();
    EXPECT_EQ(check.last_cut(), text == long_text);
    EXPECT_EQ(check.last_reception(), text);
  }

  ReceiverWavCheck check(ReadSet(dir_.path()), dir_.path());
  const QString sent = test::BuildAndGetSentText(dir_.path(), long_text, Path("prompt.wav"));
  QFile file(Path("prompt.wav"));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  QByteArray bytes = file.readAll();
  bytes[44 + 2 * 5000] = static_cast<char>(bytes[44 + 2 * 5000] ^ 0x40);
  ASSERT_TRUE(file.seek(0));
  ASSERT_EQ(file.write(bytes), bytes.size());
  file.close();
  QString line;
  QString problem;
  check.Expect(LettersClips(long_text), sent);
  EXPECT_FALSE(check.Check(Path("prompt.wav"), sent, &line, &problem));
  EXPECT_EQ(problem, QStringLiteral("Verification failed: the WAV file differs from the clips it "
                                    "was joined from at sample 5000"));

  test::BuildAndGetSentText(dir_.path(), QStringLiteral("OK"), Path("short.wav"));
  check.Expect(LettersClips(QStringLiteral("OK")) << QString::fromLatin1(kLtrsClip),
               QStringLiteral("OK"));
  EXPECT_FALSE(check.Check(Path("short.wav"), QStringLiteral("OK"), &line, &problem));
  EXPECT_TRUE(problem.contains(QStringLiteral(" samples, not the "))) << problem.toStdString();

  test::BuildAndGetSentText(dir_.path(), QStringLiteral("NO"), Path("other.wav"));
  check.Expect(LettersClips(QStringLiteral("OK")), QStringLiteral("OK"));
  EXPECT_FALSE(check.Check(Path("other.wav"), QStringLiteral("OK"), &line, &problem));
  EXPECT_TRUE(problem.contains(QStringLiteral("differs from the clips"))) << problem.toStdString();
}

// An announcement for another text is set aside: the file is received itself.
TEST_P(ReceiverWavCheckTest, AnAnnouncementForAnotherTextLeavesTheFileToBeReceived) {
  ReceiverWavCheck check(ReadSet(dir_.path()), dir_.path());
  test::BuildAndGetSentText(dir_.path(), QStringLiteral("NO"), Path("no.wav"));
  check.Expect(LettersClips(QStringLiteral("OK")), QStringLiteral("OK"));
  QString line;
  QString problem;
  EXPECT_TRUE(check.Check(Path("no.wav"), QStringLiteral("NO"), &line, &problem))
      << problem.toStdString();
  EXPECT_EQ(check.last_reception(), QStringLiteral("NO"));
}

INSTANTIATE_TEST_SUITE_P(Rates, ReceiverWavCheckTest,
                         ::testing::Values(BaudRate::Baud45, BaudRate::Baud50),
                         [](const auto& info) { return test::RateTag(info.param); });

/// quillon-cli with the check on, as people use it.
class VerifiedCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::MakeProgramFolder(dir_.path(), BaudRate::Baud45);
  }
  QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
  CliRun Text(const QStringList& options, const QString& text) {
    return RunCli(dir_.path(),
                  QStringList{QStringLiteral("text"), QStringLiteral("--no-translate")} + options +
                      QStringList{QStringLiteral("-o"), Path("out.wav"), text});
  }

  QTemporaryDir dir_;
};

TEST_F(VerifiedCliTest, TheVerifiedLineFollowsNewText) {
  const CliRun run = Text({}, QStringLiteral("Call 911"));
  ASSERT_EQ(run.exit_code, 0) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral(
      "\nNew Text=CALL 911\nVerified: the receiver read back the 8 characters sent\n\nDone.\n")))
      << run.out.toStdString();
}

TEST_F(VerifiedCliTest, APoisonedSetFailsTheBuildAndTheOldOutputStays) {
  QFile old(Path("out.wav"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("a good prompt");
  old.close();
  PoisonT(dir_.path());
  const CliRun run = Text({}, QStringLiteral("AB TEA"));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.out.contains(QStringLiteral(
      "\nNew Text=AB TEA\n(error):1004 (Verification failed: character 4: sent \"T\", received "
      "\"E\") in procedure cmdConstructWavFromString_Click of Form frmMain\n")))
      << run.out.toStdString();
  EXPECT_FALSE(run.out.contains(QStringLiteral("Done.")));
  EXPECT_TRUE(run.out.contains(QStringLiteral("The WAV file was not built.")));
  QFile kept(Path("out.wav"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), QByteArray("a good prompt"));
  // Nothing of the rejected build is left beside it.
  EXPECT_EQ(QDir(dir_.path())
                .entryList({QStringLiteral(".quillon-unverified-*")}, QDir::Files | QDir::Hidden),
            QStringList());

  const CliRun unchecked = Text({QStringLiteral("--no-verify")}, QStringLiteral("AB TEA"));
  EXPECT_EQ(unchecked.exit_code, 0) << unchecked.out.toStdString();
  EXPECT_FALSE(unchecked.out.contains(QStringLiteral("Verif")));
}

TEST_F(VerifiedCliTest, TheAlphabetCheckRefusesAPoisonedSet) {
  ASSERT_EQ(RunCli(dir_.path(), {QStringLiteral("alphabet"), QStringLiteral("--check")}).exit_code,
            0);
  PoisonT(dir_.path());
  const CliRun run = RunCli(dir_.path(), {QStringLiteral("alphabet"), QStringLiteral("--check")});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(
      run.out.contains(QStringLiteral(
          "t.wav: the receiver heard it wrong: it sends \"t.wav\" as 10000, received 10000")) ||
      run.out.contains(QStringLiteral("t.wav: the receiver heard it wrong")))
      << run.out.toStdString();
}

TEST_F(VerifiedCliTest, AMuLawSetIsVerified) {
  ASSERT_EQ(RunCli(dir_.path(), {QStringLiteral("alphabet"), QStringLiteral("--format"),
                                 QStringLiteral("mulaw")})
                .exit_code,
            0);
  const CliRun run = Text({}, QStringLiteral("MU LAW 1-2-3"));
  ASSERT_EQ(run.exit_code, 0) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("Clip set=45.45 baud, 8 kHz 8-bit mu-law\n")));
  EXPECT_TRUE(run.out.contains(
      QStringLiteral("\nVerified: the receiver read back the 12 characters sent\n")))
      << run.out.toStdString();
}

TEST(FindCutTest, ALengthThatDoesNotMatchTheTextIsNotCut) {
  const auto clip = [](const QString&) -> qint64 { return 1000; };
  const QString text = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  // Lead-in, LTRS and 26 letters: 28 clips of 1000 samples; a cut lands before a letter.
  const qint64 cut = FindCut(text, 28000, clip);
  EXPECT_GE(cut, 14000);
  EXPECT_EQ(cut % 1000, 0);
  EXPECT_EQ(FindCut(text, 28000 + 3 * 1000, clip) % 1000, 0);  // three trailing silences
  EXPECT_GT(FindCut(text, 28000 + 3 * 1000, clip), 0);
  EXPECT_EQ(FindCut(text, 28500, clip), 0);
  EXPECT_EQ(FindCut(text, 27000, clip), 0);
}

}  // namespace
}  // namespace quillon
