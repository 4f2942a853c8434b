#include "core/synthesis/text_to_wav.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/session/batch_log.h"
#include "core/session/wav_builder.h"
#include "platform/file_system.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

using test::RecordedRuns;
using test::RecordingPane;

/// A program folder holding the built clip set and the recording stand-in
/// for wavcat, and a builder that drives constructions in it, reporting into
/// a recorded pane.
class ConstructionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.path();
    output_ = QDir(folder_).filePath(QStringLiteral("out.wav"));
    test::InstallBuiltClipSet(folder_);
    test::InstallRecordingWavcat(folder_);
    UseTranslation(nullptr, false);
  }

  // A fresh builder whose translation step is `translation`.
  void UseTranslation(TranslationStage* translation, bool on) {
    builder_ = std::make_unique<WavBuilder>(folder_, translation);
    translate_ = on;
    // The recording stand-in writes no audio for a receiver to hear.
    builder_->SetVerify(false);
  }

  BuildResult Build(const QString& text) {
    return builder_->BuildOne({text, output_, translate_}, pane_);
  }

  // The arguments of the only run, less the output path at their end.
  QStringList ClipsOfOnlyRun() {
    const auto runs = RecordedRuns(folder_);
    EXPECT_EQ(runs.size(), 1u);
    if (runs.empty()) return {};
    QStringList args = runs.front();
    EXPECT_EQ(args.takeLast(), output_);
    return args;
  }

  QTemporaryDir dir_;
  QString folder_;
  QString output_;
  RecordingPane pane_;
  std::unique_ptr<WavBuilder> builder_;
  bool translate_ = false;
};

const QString kClipSetLine = QStringLiteral("Clip set=45.45 baud, 8 kHz 16-bit PCM");

struct ShiftCase {
  const char* name;
  const char16_t* text;
  std::vector<const char*> clips;
  std::vector<const char*> report_lines;  // lines between "Original String=" and "New Text="
};

class ShiftLogicTest : public ConstructionTest, public ::testing::WithParamInterface<ShiftCase> {};

TEST_P(ShiftLogicTest, SendsTheExpectedClipsInOrder) {
  const ShiftCase& c = GetParam();
  const BuildResult result = Build(QString::fromUtf16(c.text));
  ASSERT_TRUE(result.built()) << result.errors.join('\n').toStdString();

  const QStringList args = ClipsOfOnlyRun();
  QStringList expected;
  for (const char* clip : c.clips) expected << QString::fromUtf8(clip);
  EXPECT_EQ(args, expected);

  QStringList between;
  for (const char* line : c.report_lines) between << QString::fromUtf8(line);
  ASSERT_GE(pane_.lines.size(), 5);
  EXPECT_EQ(pane_.lines.at(2), kClipSetLine);
  EXPECT_EQ(pane_.lines.mid(3, pane_.lines.size() - 5), between);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShiftLogicTest,
    ::testing::Values(
        ShiftCase{"LettersBlankDigits",
                  u"ab 12",
                  {"smallsilence.wav", "LTRS.wav", "a.wav", "b.wav", "space.wav", "FIGS.WAV",
                   "1.wav", "2.wav", "LTRS.WAV"},
                  {}},
        ShiftCase{"DigitBlankLetterNeedsNoClosingShift",
                  u"1 A",
                  {"smallsilence.wav", "FIGS.WAV", "1.wav", "LTRS.wav", "space.wav", "a.wav"},
                  {}},
        ShiftCase{"TildeForgetsTheShift",
                  u"A~B",
                  {"smallsilence.wav", "LTRS.wav", "a.wav", "BlankChar.wav", "LTRS.wav", "b.wav"},
                  {}},
        ShiftCase{"TextEndingInTildeGetsClosingShift",
                  u"A~",
                  {"smallsilence.wav", "LTRS.wav", "a.wav", "BlankChar.wav", "LTRS.WAV"},
                  {}},
        ShiftCase{"RefusedCharacterStillShifts",
                  u"A*B",
                  {"smallsilence.wav", "LTRS.wav", "a.wav", "FIGS.WAV", "LTRS.wav", "b.wav"},
                  {"    '*' character not supported by Boudot protocol!  Skipped."}},
        ShiftCase{"SingleDigit", u"5", {"smallsilence.wav", "FIGS.WAV", "5.wav", "LTRS.WAV"}, {}},
        ShiftCase{
            "SilenceMarkerGoesToTheEnd",
            u"HELLO <Silence> WORLD",
            {"smallsilence.wav", "LTRS.wav", "h.wav", "e.wav", "l.wav", "l.wav", "o.wav",
             "space.wav", "space.wav", "w.wav", "o.wav", "r.wav", "l.wav", "d.wav", "silence.wav"},
            {}},
        ShiftCase{"CrLfBecomesABlank",
                  u"AB\r\nCD",
                  {"smallsilence.wav", "LTRS.wav", "a.wav", "b.wav", "space.wav", "c.wav", "d.wav"},
                  {}},
        ShiftCase{"LoneLineFeedIsUnknown",
                  u"A\nB",
                  {"smallsilence.wav", "LTRS.wav", "a.wav", "FIGS.WAV", "LTRS.wav", "b.wav"},
                  {"(error) unknown character encountered:\n"}},
        ShiftCase{"AccentedLetterReportedInUpperCase",
                  u"\u00e9a",
                  {"smallsilence.wav", "FIGS.WAV", "LTRS.wav", "a.wav"},
                  {"(error) unknown character encountered:\u00c9"}},
        // The capital of "ß" is two letters: it stays one unknown character.
        ShiftCase{"SharpSIsOneUnknownCharacter",
                  u"Stra\u00dfe",
                  {"smallsilence.wav", "LTRS.wav", "s.wav", "t.wav", "r.wav", "a.wav", "FIGS.WAV",
                   "LTRS.wav", "e.wav"},
                  {"(error) unknown character encountered:\u00df"}},
        ShiftCase{
            "FiguresStayShifted",
            u"3-4 (5)?",
            {"smallsilence.wav", "FIGS.WAV", "3.wav", "dash.wav", "4.wav", "LTRS.wav", "space.wav",
             "FIGS.WAV", "leftparen.wav", "5.wav", "rightparen.wav", "question.wav", "LTRS.WAV"},
            {}},
        ShiftCase{"EmojiIsOneUnknownCharacter",
                  u"A\U0001F600",
                  {"smallsilence.wav", "LTRS.wav", "a.wav", "FIGS.WAV", "LTRS.WAV"},
                  {"(error) unknown character encountered:\U0001F600"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The build reports through its sink only; the pane is the front end's to
// clear, and the closing message is the front end's to show.
TEST_F(ConstructionTest, ReportsPathTextAndResultThroughItsSink) {
  pane_.lines = QStringList{QStringLiteral("earlier line")};
  const BuildResult result = Build(QStringLiteral("Hi 5"));
  ASSERT_TRUE(result.built());
  EXPECT_EQ(pane_.lines,
            (QStringList{QStringLiteral("earlier line"), QStringLiteral("File path=") + output_,
                         QStringLiteral("Original String=HI 5"), kClipSetLine,
                         QStringLiteral("New Text=HI 5"), QString()}));
  EXPECT_EQ(pane_.clears, 0);
  EXPECT_EQ(result.written, output_);
  EXPECT_EQ(ClosingMessage(result), QStringLiteral("Done."));
}

TEST_F(ConstructionTest, EmptyTextTouchesNothing) {
  pane_.lines = QStringList{QStringLiteral("earlier line")};
  const BuildResult result = Build(QString());
  EXPECT_EQ(result.status, BuildResult::Status::EmptyText);
  EXPECT_EQ(ClosingMessage(result),
            QStringLiteral("You must first enter some text to convert into TTY/TDD WAV format."));
  EXPECT_EQ(pane_.lines, QStringList{QStringLiteral("earlier line")});
  EXPECT_TRUE(RecordedRuns(folder_).empty());
  EXPECT_FALSE(QFile::exists(output_));
}

// A text that sends no character (only unknown or refused ones) is no
// prompt: its characters are reported, nothing is joined, and the build
// fails with a line that says why.
TEST_F(ConstructionTest, ATextWithNothingToSendBuildsNothing) {
  const QString nothing = QStringLiteral(
      "(error) Nothing to send: no character of the text is one a TTY can send, so no WAV file "
      "was written");
  for (const QString& text :
       {QStringLiteral("\U0001F600"), QStringLiteral("*@<silence>"), QString(900, QChar(0x00E9))}) {
    pane_.lines.clear();
    const BuildResult result = Build(text);
    EXPECT_EQ(result.status, BuildResult::Status::Failed);
    EXPECT_EQ(result.errors, QStringList{nothing});
    EXPECT_TRUE(pane_.lines.contains(nothing)) << pane_.lines.join('\n').toStdString();
    EXPECT_TRUE(ClosingMessage(result).startsWith(QStringLiteral("The WAV file was not built.")));
  }
  EXPECT_TRUE(pane_.lines.contains(QStringLiteral("(error) unknown character encountered:\u00c9")));
  EXPECT_TRUE(RecordedRuns(folder_).empty());
  EXPECT_FALSE(QFile::exists(output_));
}

TEST_F(ConstructionTest, BlanksAreNotAnEmptyText) {
  ASSERT_TRUE(Build(QStringLiteral("  ")).built());
  EXPECT_EQ(ClipsOfOnlyRun(),
            (QStringList{QStringLiteral("smallsilence.wav"), QStringLiteral("LTRS.wav"),
                         QStringLiteral("space.wav"), QStringLiteral("space.wav")}));
}

// --- Long texts are cut into chunk files after every 801 characters. ---

// A chunk file named on a command line: MultiWAVChunkN.wav in a folder of
// the build's own under the temporary folder.
bool IsChunk(const QString& arg, const QString& temp, int n) {
  const QFileInfo info(arg);
  return info.fileName() == QStringLiteral("MultiWAVChunk%1.wav").arg(n) &&
         QFileInfo(info.absolutePath()).fileName().startsWith(QStringLiteral("quillon-build-")) &&
         QFileInfo(info.absolutePath()).absolutePath() == temp;
}

class ChunkTest : public ConstructionTest {
 protected:
  QString Temp() const { return QDir(folder_).filePath(QStringLiteral("tmp")); }
  QStringList BuildFolders() const {
    return QDir(Temp()).entryList({QStringLiteral("quillon-build-*")}, QDir::Dirs);
  }
  void SetUp() override {
    ConstructionTest::SetUp();
    ASSERT_TRUE(QDir().mkpath(Temp()));
    temp_ = std::make_unique<test::ScopedEnvironment>("TMPDIR", QFile::encodeName(Temp()));
  }
  void TearDown() override { temp_.reset(); }
  std::unique_ptr<test::ScopedEnvironment> temp_;
};

TEST_F(ChunkTest, EachChunkHoldsOnlyItsOwnStretchAndTheLastRunJoinsThemAll) {
  struct Case {
    int length;
    int chunks;
  };
  for (const Case c : {Case{800, 0}, Case{801, 0}, Case{802, 1}, Case{1602, 1}, Case{1603, 2}}) {
    QFile::remove(QDir(folder_).filePath(QStringLiteral("wavcat.log")));
    ASSERT_TRUE(Build(QString(c.length, QLatin1Char('A'))).built());
    const auto runs = RecordedRuns(folder_);
    ASSERT_EQ(runs.size(), static_cast<size_t>(c.chunks + 1)) << c.length;
    for (int k = 1; k <= c.chunks; ++k) {
      // Run k writes chunk k and reads no other chunk.
      EXPECT_TRUE(IsChunk(runs[k - 1].last(), Temp(), k)) << runs[k - 1].last().toStdString();
      EXPECT_EQ(runs[k - 1].filter(QStringLiteral("MultiWAVChunk")).size(), 1);
      EXPECT_EQ(runs[k - 1].count(QStringLiteral("a.wav")), 801);
      // The last run starts with every chunk, in order.
      EXPECT_EQ(runs.back()[k - 1], runs[k - 1].last());
    }
    EXPECT_EQ(runs.back().count(QStringLiteral("a.wav")), c.length - 801 * c.chunks);
    EXPECT_EQ(runs.back().last(), output_);
    EXPECT_TRUE(BuildFolders().isEmpty()) << "the chunk files go once the output is built";
  }
}

TEST_F(ChunkTest, ShiftStateRunsOnAcrossAChunkCut) {
  ASSERT_TRUE(Build(QString(801, QLatin1Char('A')) + QStringLiteral("B1")).built());
  const auto runs = RecordedRuns(folder_);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].mid(1),
            (QStringList{QStringLiteral("b.wav"), QStringLiteral("FIGS.WAV"),
                         QStringLiteral("1.wav"), QStringLiteral("LTRS.WAV"), output_}));
}

TEST_F(ChunkTest, AFailedRunKeepsTheChunkFolderAndSaysWhere) {
  test::InstallRecordingWavcat(folder_, 3, QStringLiteral("wavcat: disk full"));
  EXPECT_EQ(Build(QString(2000, QLatin1Char('A'))).status, BuildResult::Status::Failed);
  const QStringList kept = BuildFolders();
  ASSERT_EQ(kept.size(), 1);
  EXPECT_TRUE(pane_.lines.contains(QStringLiteral("Chunk files kept in ") +
                                   QDir(Temp()).filePath(kept.first())));
}

// A long text is built in full, chunk by chunk; one whose WAV would pass an
// hour (about 20,400 letters at 45.45 baud) is refused before any run.
TEST_F(ConstructionTest, LongTextsAreBuiltInFullUpToAnHourOfAudio) {
  const int length = 20000;
  ASSERT_TRUE(Build(QString(length, QLatin1Char('E'))).built());
  const auto runs = RecordedRuns(folder_);
  ASSERT_EQ(runs.size(), static_cast<size_t>(length / 801 + 1));
  qsizetype letters = 0;
  for (const QStringList& run : runs) letters += run.count(QStringLiteral("e.wav"));
  EXPECT_EQ(letters, length);

  QFile::remove(QDir(folder_).filePath(QStringLiteral("wavcat.log")));
  const BuildResult result = Build(QString(21000, QLatin1Char('E')));
  EXPECT_EQ(result.status, BuildResult::Status::Failed);
  ASSERT_EQ(result.errors.size(), 1);
  EXPECT_TRUE(result.errors.first().startsWith(QStringLiteral(
      "(error):1003 (The WAV of this text would be about 62 minutes long, over the limit of 60 "
      "minutes")))
      << result.errors.first().toStdString();
  EXPECT_TRUE(RecordedRuns(folder_).empty());
}

// --- Batch use, translation and failures. ---

TEST_F(ConstructionTest, AJobsBuildsReportIntoItsLog) {
  const QString log_path = QDir(folder_).filePath(QStringLiteral("batch.log"));
  BatchLog log;
  QString err;
  ASSERT_TRUE(log.Open(log_path, &err));
  const std::unique_ptr<BuildSession> session = builder_->Open(WavBuilder::Scope::Job, &err);
  ASSERT_NE(session, nullptr) << err.toStdString();
  BatchLogReport report(log);
  ASSERT_TRUE(session->Build({QStringLiteral("A*"), output_, false}, report).built());
  log.Close();

  const QString expected =
      QStringLiteral("    File path=") + output_ +
      QStringLiteral(
          "\r\n    Original String=A*\r\n"
          "    Clip set=45.45 baud, 8 kHz 16-bit PCM\r\n"
          "        '*' character not supported by Boudot protocol!  Skipped.\r\n"
          "    New Text=A*\r\n    \r\n");
  EXPECT_EQ(QString::fromUtf8(test::ReadAll(log_path)), expected);
}

/// A translation step with a fixed answer.
class FixedTranslation : public TranslationStage {
 public:
  explicit FixedTranslation(Result result) : result_(std::move(result)) {}
  Result Translate(const QString& text, qsizetype) override {
    seen = text;
    return result_;
  }
  QString seen;

 private:
  Result result_;
};

TEST_F(ConstructionTest, TranslationRewritesTheTextBeforeMarkersAreCounted) {
  FixedTranslation translation({false, false, QStringLiteral("OK<SILENCE>")});
  UseTranslation(&translation, true);
  ASSERT_TRUE(Build(QStringLiteral("a\r\nb")).built());
  EXPECT_EQ(translation.seen, QStringLiteral("A B"));
  EXPECT_EQ(ClipsOfOnlyRun(),
            (QStringList{QStringLiteral("smallsilence.wav"), QStringLiteral("LTRS.wav"),
                         QStringLiteral("o.wav"), QStringLiteral("k.wav"),
                         QStringLiteral("silence.wav")}));
  EXPECT_EQ(pane_.lines.at(3), QStringLiteral("New Text=OK"));
}

TEST_F(ConstructionTest, TranslationSwitchOffLeavesTheTableUnused) {
  FixedTranslation translation({true, false, QString()});
  UseTranslation(&translation, false);
  ASSERT_TRUE(Build(QStringLiteral("A")).built());
  EXPECT_TRUE(translation.seen.isEmpty());
}

TEST_F(ConstructionTest, SkippedTextBuildsNothingAndSaysSo) {
  FixedTranslation translation({true, false, QString()});
  UseTranslation(&translation, true);
  // A file of an earlier construction at the output path is not this text's.
  test::WriteAll(output_, "RIFF of an earlier text");
  const BuildResult result = Build(QStringLiteral("secret"));
  EXPECT_EQ(result.status, BuildResult::Status::Skipped);
  EXPECT_TRUE(RecordedRuns(folder_).empty());
  EXPECT_EQ(
      pane_.lines,
      (QStringList{QStringLiteral("File path=") + output_, QStringLiteral("Original String=SECRET"),
                   kClipSetLine, QStringLiteral("File skipped per dictionary translation rules"),
                   QString()}));
  EXPECT_EQ(test::ReadAll(output_), QByteArray("RIFF of an earlier text"));
  EXPECT_EQ(ClosingMessage(result),
            QStringLiteral(
                "The text was skipped per dictionary translation rules; no WAV file was written."));
}

// --- The clip set is checked before anything is built from it. ---

TEST_F(ConstructionTest, ASpoiledClipSetIsRefusedBeforeAnyRun) {
  ASSERT_TRUE(QFile::remove(QDir(folder_).filePath(QStringLiteral("q.wav"))));
  pane_.lines = QStringList{QStringLiteral("earlier line")};
  const BuildResult result = Build(QStringLiteral("quick"));
  EXPECT_EQ(result.status, BuildResult::Status::Refused);
  EXPECT_TRUE(RecordedRuns(folder_).empty());
  EXPECT_FALSE(QFile::exists(output_));
  EXPECT_TRUE(ClosingMessage(result).startsWith(
      QStringLiteral("The clip set in ") + folder_ +
      QStringLiteral(" cannot be used, so nothing was built:\nq.wav is missing")))
      << ClosingMessage(result).toStdString();
  EXPECT_EQ(pane_.lines, QStringList{QStringLiteral("earlier line")});
}

TEST_F(ConstructionTest, AJobIsRefusedBeforeItsFirstBuild) {
  test::WriteAll(QDir(folder_).filePath(QStringLiteral("clipset.ini")), "rate=45.45\n");
  QString refusal;
  EXPECT_EQ(builder_->Open(WavBuilder::Scope::Job, &refusal), nullptr);
  EXPECT_TRUE(refusal.contains(
      QStringLiteral("The clip set is not described: clipset.ini does not say its format")))
      << refusal.toStdString();
}

TEST_F(ConstructionTest, MissingWavcatIsReportedAsAFailure) {
  QFile::remove(QDir(folder_).filePath(QStringLiteral("wavcat")));
  const BuildResult result = [&] {
    test::ScopedEnvironment path("PATH", "/nonexistent");
    return Build(QStringLiteral("A"));
  }();
  EXPECT_EQ(result.status, BuildResult::Status::Failed);
  const QString line = QStringLiteral(
      "(error):53 (File not found: wavcat) in procedure cmdConstructWavFromString_Click of Form "
      "frmMain");
  EXPECT_EQ(result.errors, QStringList{line});
  EXPECT_TRUE(pane_.lines.contains(line));
  EXPECT_EQ(ClosingMessage(result), QStringLiteral("The WAV file was not built.\n\n") + line);
}

TEST_F(ConstructionTest, FailingWavcatStopsTheChainAndSaysWhy) {
  test::InstallRecordingWavcat(folder_, 3, QStringLiteral("wavcat: a.wav: not a RIFF/WAVE file"));
  const BuildResult result = Build(QString(2000, QLatin1Char('A')));
  EXPECT_EQ(result.status, BuildResult::Status::Failed);
  EXPECT_EQ(RecordedRuns(folder_).size(), 1u);  // later chunks would only fail again
  ASSERT_EQ(result.errors.size(), 1);
  EXPECT_EQ(result.errors.first(),
            QStringLiteral(
                "(error):1002 (wavcat failed with exit status 3: wavcat: a.wav: not a "
                "RIFF/WAVE file) in procedure cmdConstructWavFromString_Click of Form frmMain"));
}

TEST_F(ConstructionTest, RunThatLeavesNoOutputIsAFailure) {
  test::WriteAll(QDir(folder_).filePath(QStringLiteral("wavcat")), "#!/bin/sh\nexit 0\n");
  const BuildResult result = Build(QStringLiteral("A"));
  EXPECT_EQ(result.status, BuildResult::Status::Failed);
  ASSERT_EQ(result.errors.size(), 1);
  EXPECT_TRUE(result.errors.first().contains(QStringLiteral("wrote no output file")));
  EXPECT_NE(ClosingMessage(result), QStringLiteral("Done."));
}

TEST_F(ConstructionTest, OutputInAMissingFolderIsRefusedBeforeAnyRun) {
  output_ = QDir(folder_).filePath(QStringLiteral("no/such/folder/out.wav"));
  const BuildResult result = Build(QStringLiteral("A"));
  EXPECT_EQ(result.status, BuildResult::Status::Failed);
  EXPECT_TRUE(RecordedRuns(folder_).empty());
}

TEST_F(ConstructionTest, ReadOnlyOutputIsReplacedAndWritableAfterwards) {
  test::WriteAll(output_, "old");
  QFile::setPermissions(output_, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  ASSERT_TRUE(IsReadOnly(output_));
  ASSERT_TRUE(Build(QStringLiteral("A")).built());
  EXPECT_FALSE(IsReadOnly(output_));
  EXPECT_EQ(test::ReadAll(output_), QByteArray("RIFF"));
}

TEST_F(ConstructionTest, HostileOutputPathsAreJustNames) {
  const QStringList names = {
      QStringLiteral("a $(touch pwned1) b.wav"), QStringLiteral("x;touch pwned2;.wav"),
      QStringLiteral("`touch pwned3`.wav"), QStringLiteral("it's & <this> | that.wav")};
  for (const QString& name : names) {
    output_ = QDir(folder_).filePath(name);
    ASSERT_TRUE(Build(QStringLiteral("A")).built()) << name.toStdString();
    EXPECT_EQ(test::ReadAll(output_), QByteArray("RIFF")) << name.toStdString();
  }
  for (const char* pwned : {"pwned1", "pwned2", "pwned3"}) {
    EXPECT_FALSE(QFile::exists(QDir(folder_).filePath(QString::fromLatin1(pwned))));
    EXPECT_FALSE(QFile::exists(QDir::current().filePath(QString::fromLatin1(pwned))));
  }
}

TEST_F(ConstructionTest, AnOutputNameWithDoubleQuotesReachesTheToolAsItStands) {
  output_ = QDir(folder_).filePath(QStringLiteral("say \"hi\".wav"));
  ASSERT_TRUE(Build(QStringLiteral("A")).built());
  EXPECT_EQ(ClipsOfOnlyRun().size(), 3);  // the output argument is checked there
  EXPECT_EQ(test::ReadAll(output_), QByteArray("RIFF"));
}

}  // namespace
}  // namespace quillon
