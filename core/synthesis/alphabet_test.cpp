#include "core/synthesis/alphabet.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "core/synthesis/clip_set_check.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

/// A program folder holding the built clip set (45.45 baud, 16-bit PCM),
/// the generated tics of every rate, the clip generator, and wavcat as the
/// real tool behind a recorder of its command lines.
class AlphabetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    test::InstallBuiltClipSet(dir_.path());
    test::InstallRecordingRealWavcat(dir_.path());
    const QString clipgen = dir_.filePath(QStringLiteral("quillon-clipgen"));
    ASSERT_TRUE(QFile::copy(
        QDir(test::BuiltProgramFolder()).filePath(QStringLiteral("quillon-clipgen")), clipgen));
  }
  QString Path(std::string_view name) const { return dir_.filePath(Latin1(name)); }
  QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
  QString Path(const QString& name) const { return dir_.filePath(name); }

  // Every file of the program folder and its bytes.
  std::map<QString, QByteArray> Snapshot() const {
    std::map<QString, QByteArray> files;
    QDirIterator it(dir_.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      if (!path.endsWith(QStringLiteral("wavcat.log"))) files[path] = test::ReadAll(path);
    }
    return files;
  }

  AlphabetResult Run(const AlphabetRequest& request) {
    return construction_.Run(request, dir_.path(), ui_);
  }

  QTemporaryDir dir_;
  test::RecordingUi ui_;
  AlphabetConstruction construction_;
};

TEST_F(AlphabetTest, BuildsEveryFrameFromEightTicsInOrder) {
  const AlphabetResult result = Run({});
  EXPECT_TRUE(result.ok()) << result.failures.join('\n').toStdString();
  EXPECT_EQ(result.runs, 29);
  EXPECT_EQ(ui_.messages, QStringList{QStringLiteral("Done.")});

  const auto runs = test::RecordedRuns(dir_.path());
  ASSERT_EQ(runs.size(), 29u);
  EXPECT_EQ(runs[0].join(' '),
            QStringLiteral("spacetic.wav marktic.wav marktic.wav spacetic.wav spacetic.wav "
                           "spacetic.wav marktic.wav marktic.wav a.wav"));
  for (size_t i = 0; i < runs.size(); ++i) {
    const AlphabetRow& row = kAlphabet[i];
    ASSERT_EQ(runs[i].size(), 9);
    EXPECT_EQ(runs[i].last(), Latin1(row.clip));
    EXPECT_EQ(runs[i].first(), QStringLiteral("spacetic.wav"));  // start bit
    EXPECT_EQ(runs[i][6], QStringLiteral("marktic.wav"));        // two stop bits
    EXPECT_EQ(runs[i][7], QStringLiteral("marktic.wav"));
  }
  EXPECT_EQ(runs[27].last(), QStringLiteral("LTRS.wav"));
  EXPECT_EQ(runs[27].mid(1, 5).count(QStringLiteral("marktic.wav")), 5);
  EXPECT_EQ(construction_.command_line(),
            QStringLiteral("wavcat spacetic.wav marktic.wav marktic.wav spacetic.wav marktic.wav "
                           "marktic.wav marktic.wav marktic.wav FIGS.wav"));
  // Nothing of the staging is left behind.
  EXPECT_TRUE(QDir(dir_.path())
                  .entryList({QStringLiteral(".alphabet-*")}, QDir::AllEntries | QDir::Hidden)
                  .isEmpty());
}

class AlphabetRateTest : public AlphabetTest, public ::testing::WithParamInterface<BaudRateInfo> {};

TEST_P(AlphabetRateTest, BuildsTheRatesFramesAndDescribesThem) {
  const BaudRateInfo& info = GetParam();
  const AlphabetResult result = Run({info.rate, std::nullopt, {}});
  ASSERT_TRUE(result.ok()) << result.failures.join('\n').toStdString();
  EXPECT_TRUE(result.replaced);
  EXPECT_EQ(test::ReadAll(Path("spacetic.wav")), test::ReadAll(Path(info.space_tic)));
  EXPECT_EQ(test::ReadAll(Path("marktic.wav")), test::ReadAll(Path(info.mark_tic)));

  const ClipSetCheck check = CheckClipSet(dir_.path());
  ASSERT_TRUE(check.usable()) << check.Summary().toStdString();
  EXPECT_EQ(check.set->Describe(), Latin1(info.name) + QStringLiteral(" baud, 8 kHz 16-bit PCM"));
  EXPECT_EQ(result.set.Describe(), check.set->Describe());
  // One frame is eight tics of this rate, joined byte for byte after the header.
  const QByteArray space = test::ReadAll(Path(info.space_tic)).mid(44);
  const QByteArray mark = test::ReadAll(Path(info.mark_tic)).mid(44);
  EXPECT_EQ(test::ReadAll(Path("t.wav")).mid(44),
            space + space + space + space + space + mark + mark + mark);
  int copies = 0;
  for (const AlphabetRow& row : kAlphabet) {
    if (row.figure_copy.empty()) continue;
    ++copies;
    EXPECT_EQ(test::ReadAll(Path(row.figure_copy)), test::ReadAll(Path(row.clip)))
        << row.figure_copy;
  }
  EXPECT_EQ(copies, 25);
}

INSTANTIATE_TEST_SUITE_P(
    AllRates, AlphabetRateTest, ::testing::ValuesIn(kBaudRates), [](const auto& info) {
      QString name = Latin1(info.param.name);
      return (QStringLiteral("Baud") + name.remove(QLatin1Char('.'))).toStdString();
    });

TEST_F(AlphabetTest, AFailingWavcatLeavesThePreviousSetAndShowsOneMessage) {
  ASSERT_TRUE(Run({BaudRate::Baud50, std::nullopt, {}}).ok());
  ui_.messages.clear();
  test::InstallRecordingWavcat(dir_.path(), 1, QStringLiteral("wavcat: disk full"));
  const auto before = Snapshot();

  const AlphabetResult result = Run({BaudRate::Baud45, std::nullopt, {}});
  EXPECT_FALSE(result.ok());
  EXPECT_FALSE(result.replaced);
  EXPECT_EQ(result.failures.size(), 29);
  ASSERT_EQ(ui_.messages.size(), 1);
  const QString& message = ui_.messages.first();
  EXPECT_TRUE(message.startsWith(QStringLiteral("The alphabet was not built.")));
  EXPECT_TRUE(message.contains(QStringLiteral(
      "(error):1002 (a.wav: wavcat failed with exit status 1: wavcat: disk full) in procedure "
      "cmdCreateAlphabet_Click of Form frmConstructAlphabet")))
      << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("... and 21 more")));
  EXPECT_TRUE(message.endsWith(QStringLiteral(
      "The clip set in the program folder was left as it was: 50 baud, 8 kHz 16-bit PCM.")));
  EXPECT_FALSE(message.contains(QStringLiteral("Done.")));
  // Not one clip changed: no figure was copied from a letter this run did not build.
  const auto after = Snapshot();
  EXPECT_EQ(after.size(), before.size());
  for (const auto& [path, bytes] : before) EXPECT_EQ(after.at(path), bytes) << path.toStdString();
  EXPECT_TRUE(CheckClipSet(dir_.path()).usable());
}

TEST_F(AlphabetTest, AMissingWavcatStopsAtTheFirstRun) {
  QFile::remove(Path("wavcat"));
  const AlphabetResult result = [&] {
    test::ScopedEnvironment path("PATH", "/nonexistent");
    return Run({});
  }();
  EXPECT_EQ(result.runs, 1);
  EXPECT_EQ(result.failures,
            QStringList{QStringLiteral("(error):53 (a.wav: File not found: wavcat) in procedure "
                                       "cmdCreateAlphabet_Click of Form frmConstructAlphabet")});
  ASSERT_EQ(ui_.messages.size(), 1);
  EXPECT_TRUE(ui_.messages.first().contains(QStringLiteral("left as it was: 45.45 baud")));
}

TEST_F(AlphabetTest, MissingTicSourcesStopTheBuildBeforeAnyRun) {
  const auto before = Snapshot();
  QFile::remove(Path("spacetic110baud.wav"));
  const AlphabetResult result = Run({BaudRate::Baud110, std::nullopt, {}});
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.runs, 0);
  ASSERT_EQ(result.failures.size(), 1);
  EXPECT_TRUE(result.failures.first().startsWith(QStringLiteral("(error):53 (File not found: ")));
  EXPECT_TRUE(result.failures.first().contains(QStringLiteral("spacetic110baud.wav")));
  // The working tics of the last build are not joined in place of the missing ones.
  EXPECT_EQ(test::ReadAll(Path("spacetic.wav")), before.at(Path("spacetic.wav")));
  EXPECT_EQ(ui_.messages.size(), 1);
}

TEST_F(AlphabetTest, AProgramFolderThatCannotBeWrittenGivesOneMessage) {
  const QString missing = dir_.filePath(QStringLiteral("no/such/folder"));
  const AlphabetResult result = construction_.Run({}, missing, ui_);
  ASSERT_EQ(result.failures.size(), 1);
  EXPECT_TRUE(result.failures.first().contains(
      QStringLiteral("Cannot write to the program folder ") + missing));
  ASSERT_EQ(ui_.messages.size(), 1);
  EXPECT_TRUE(ui_.messages.first().endsWith(
      QStringLiteral("nothing can be built until Create Alphabet succeeds.")))
      << ui_.messages.first().toStdString();
  EXPECT_EQ(ui_.busy_changes, (std::vector<bool>{true, false}));
}

TEST_F(AlphabetTest, ASetThatFailsItsCheckIsNotPutInPlace) {
  const auto before = Snapshot();
  const ClipDecodeStep refuse_k = [](const ClipSet&, const ClipUnderCheck& clip, QString* problem) {
    if (clip.name != QStringLiteral("k.wav")) return true;
    *problem = QStringLiteral("k.wav is heard as C");
    return false;
  };
  const AlphabetResult result = Run({BaudRate::Baud75, std::nullopt, refuse_k});
  EXPECT_EQ(result.runs, 29);
  EXPECT_FALSE(result.replaced);
  ASSERT_EQ(result.failures.size(), 1);
  EXPECT_TRUE(result.failures.first().contains(
      QStringLiteral("The new clip set failed its check: k.wav is heard as C")));
  const auto after = Snapshot();
  for (const auto& [path, bytes] : before) EXPECT_EQ(after.at(path), bytes) << path.toStdString();
  EXPECT_TRUE(ui_.messages.first().contains(QStringLiteral("left as it was: 45.45 baud")));
}

struct FormatCase {
  SampleFormat format;
  int format_tag;
  const char* description;
};

class AlphabetFormatTest : public AlphabetTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(AlphabetFormatTest, RebuildsTheWholeSetInTheFormat) {
  const FormatCase& c = GetParam();
  const AlphabetResult result = Run({BaudRate::Baud50, c.format, {}});
  ASSERT_TRUE(result.ok()) << result.failures.join('\n').toStdString();
  const ClipSetCheck check = CheckClipSet(dir_.path());
  ASSERT_TRUE(check.usable()) << check.Summary().toStdString();
  EXPECT_EQ(check.set->Describe(), QString::fromUtf8(c.description));
  // The tics of every rate, the blank and the silences are in the new format too.
  for (const char* clip : {"marktic110baud.wav", "BlankChar.wav", "smallsilence.wav", "a.wav"}) {
    WavLayout layout;
    QString err;
    ASSERT_TRUE(ReadWavLayout(Path(QString::fromLatin1(clip)), &layout, &err)) << clip;
    EXPECT_EQ(layout.format_tag, c.format_tag) << clip;
  }
  // Back to the default: plain 44-byte PCM headers again.
  ASSERT_TRUE(Run({BaudRate::Baud45, SampleFormat::Pcm16, {}}).ok());
  WavLayout layout;
  QString err;
  ASSERT_TRUE(ReadWavLayout(Path("a.wav"), &layout, &err));
  EXPECT_EQ(layout.data_offset, 44);
  EXPECT_EQ(CheckClipSet(dir_.path()).set->Describe(),
            QStringLiteral("45.45 baud, 8 kHz 16-bit PCM"));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AlphabetFormatTest,
    ::testing::Values(FormatCase{SampleFormat::MuLaw, 7, "50 baud, 8 kHz 8-bit mu-law"},
                      FormatCase{SampleFormat::ALaw, 6, "50 baud, 8 kHz 8-bit A-law"}));

TEST_F(AlphabetTest, AFailingClipGeneratorChangesNothing) {
  const auto before = Snapshot();
  test::WriteAll(Path("quillon-clipgen"),
                 "#!/bin/sh\necho 'quillon-clipgen: disk full' >&2\nexit 1\n");
  const AlphabetResult result = Run({BaudRate::Baud45, SampleFormat::MuLaw, {}});
  EXPECT_EQ(result.runs, 0);
  ASSERT_EQ(result.failures.size(), 1);
  EXPECT_TRUE(result.failures.first().contains(QStringLiteral("quillon-clipgen: disk full")));
  const auto after = Snapshot();
  for (const auto& [path, bytes] : before) {
    if (path.endsWith(QStringLiteral("quillon-clipgen"))) continue;
    EXPECT_EQ(after.at(path), bytes) << path.toStdString();
  }
}

TEST(AlphabetTableTest, CodesAreDistinctFiveBitPatterns) {
  QStringList seen;
  for (const AlphabetRow& row : kAlphabet) {
    const QString code = Latin1(row.code);
    EXPECT_EQ(code.size(), 5);
    EXPECT_FALSE(seen.contains(code)) << row.clip;
    seen << code;
    EXPECT_EQ(TicSequence(row).size(), 8u);
  }
  EXPECT_FALSE(seen.contains(QStringLiteral("00000")));  // the blank is prepared, not built
}

TEST(AlphabetTableTest, RateNames) {
  EXPECT_EQ(BaudRateFromName("45.45"), BaudRate::Baud45);
  EXPECT_EQ(BaudRateFromName("45"), BaudRate::Baud45);
  EXPECT_EQ(BaudRateFromName("110"), BaudRate::Baud110);
  EXPECT_FALSE(BaudRateFromName("300").has_value());
}

}  // namespace

// Shown by the rate's name in test output.
void PrintTo(const BaudRateInfo& info, std::ostream* os) {
  *os << info.name << " baud";
}

}  // namespace quillon
