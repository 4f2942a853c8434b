// Installs the build into a scratch prefix, as an administrator would, and
// checks that the installed program folder is complete and works from there.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

#include "tests/support/program_run.h"
#include "tests/support/test_support.h"

namespace quillon {
namespace {

// The clips "Create Alphabet" writes, and the ones installed beside them.
const QStringList kCharacterClips = {
    "a",          "b",         "c",           "d",     "e",     "f",    "g",           "h",
    "i",          "j",         "k",           "l",     "m",     "n",    "o",           "p",
    "q",          "r",         "s",           "t",     "u",     "v",    "w",           "x",
    "y",          "z",         "space",       "LTRS",  "FIGS",  "dash", "question",    "colon",
    "dollar",     "3",         "exclamation", "and",   "pound", "8",    "singlequote", "leftparen",
    "rightparen", "period",    "comma",       "9",     "0",     "1",    "4",           "5",
    "7",          "semicolon", "2",           "slash", "6",     "quote"};
const QStringList kInstalledClips = {"marktic45baud",  "spacetic45baud",  "marktic50baud",
                                     "spacetic50baud", "marktic75baud",   "spacetic75baud",
                                     "marktic110baud", "spacetic110baud", "BlankChar",
                                     "smallsilence",   "silence"};

struct InstalledRun {
  int exit_code = -1;
  QString output;
};

// Runs a program with `QUILLON_HOME` unset and the registry in `scratch`,
// so that nothing of the user's own set-up takes part.
InstalledRun RunProgram(const QString& program, const QStringList& args, const QString& scratch,
                        const QString& working_dir) {
  test::ProgramOptions options;
  options.environment = {
      QStringLiteral("QUILLON_HOME"),
      QStringLiteral("QUILLON_REGISTRY=") + scratch + QStringLiteral("/registry.reg"),
      QStringLiteral("XDG_CONFIG_HOME=") + scratch, QStringLiteral("TMPDIR=") + scratch};
  options.working_dir = working_dir;
  options.merge_outputs = true;
  options.timeout_ms = 300000;
  const test::ProgramRun process = test::RunProgram(program, args, options);
  InstalledRun run;
  if (!process.finished) {
    run.output = process.started ? QStringLiteral("did not finish: killed at the time limit")
                                 : QStringLiteral("did not finish: could not start");
    return run;
  }
  run.exit_code = process.exit_code;
  run.output = QString::fromLocal8Bit(process.out);
  return run;
}

// The width and height a PNG file's header gives.
QSize PngSize(const QString& path) {
  const QByteArray bytes = test::ReadAll(path);
  if (bytes.size() < 24 || !bytes.startsWith("\x89PNG\r\n\x1a\n")) return {};
  const auto word = [&](int at) {
    return (uchar(bytes[at]) << 24) | (uchar(bytes[at + 1]) << 16) | (uchar(bytes[at + 2]) << 8) |
           uchar(bytes[at + 3]);
  };
  return QSize(int(word(16)), int(word(20)));
}

class Installed : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new QTemporaryDir;
    prefix_ = scratch_->filePath(QStringLiteral("my prefix"));
    const InstalledRun install =
        RunProgram(QStringLiteral(QUILLON_CMAKE_COMMAND),
                   {QStringLiteral("--install"), QStringLiteral(QUILLON_BUILD_DIR),
                    QStringLiteral("--prefix"), prefix_},
                   scratch_->path(), scratch_->path());
    install_ok_ = install.exit_code == 0;
    install_output_ = install.output;
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(install_ok_) << "cmake --install failed (is the whole build done?):\n"
                             << install_output_.toStdString();
  }

  static QString Prefix(const QString& relative) { return prefix_ + QLatin1Char('/') + relative; }
  static QString ProgramFolder() { return Prefix(QStringLiteral(QUILLON_INSTALL_SUBDIR)); }
  static QString InProgramFolder(const QString& name) {
    return ProgramFolder() + QLatin1Char('/') + name;
  }

  static QTemporaryDir* scratch_;
  static QString prefix_;
  static bool install_ok_;
  static QString install_output_;
};

QTemporaryDir* Installed::scratch_ = nullptr;
QString Installed::prefix_;
bool Installed::install_ok_ = false;
QString Installed::install_output_;

TEST_F(Installed, ProgramFolderHoldsProgramsClipsTablesAndHelpPage) {
  QStringList programs = {QStringLiteral("quillon-cli"), QStringLiteral("wavcat")};
  if (QUILLON_EXPECT_GUI) programs << QStringLiteral("quillon");
  for (const QString& program : programs) {
    const QFileInfo info(InProgramFolder(program));
    EXPECT_TRUE(info.isFile() && info.isExecutable()) << program.toStdString();
  }
  for (const QString& clip : kCharacterClips + kInstalledClips) {
    EXPECT_GT(QFileInfo(InProgramFolder(clip + QStringLiteral(".wav"))).size(), 44)
        << clip.toStdString();
  }
  for (const char* table : {"dictionary.txt", "CharReplacement.txt"}) {
    EXPECT_TRUE(QFileInfo(InProgramFolder(QString::fromLatin1(table))).isFile()) << table;
  }
  const QString page =
      QString::fromUtf8(test::ReadAll(InProgramFolder(QStringLiteral("quillon.htm"))));
  EXPECT_TRUE(page.contains(QStringLiteral("FILE, TEXT")));
  for (const char* picture : {"main_window.png", "about_window.png", "help_window.png"}) {
    EXPECT_TRUE(page.contains(QStringLiteral("help/") + QLatin1String(picture))) << picture;
    EXPECT_TRUE(
        PngSize(InProgramFolder(QStringLiteral("help/") + QLatin1String(picture))).isValid())
        << picture;
  }
}

TEST_F(Installed, BinFolderLinksIntoTheProgramFolder) {
  QStringList programs = {QStringLiteral("quillon-cli")};
  if (QUILLON_EXPECT_GUI) programs << QStringLiteral("quillon");
  for (const QString& program : programs) {
    const QFileInfo link(Prefix(QStringLiteral("bin/") + program));
    ASSERT_TRUE(link.isSymLink()) << program.toStdString();
    EXPECT_TRUE(QFileInfo(link.symLinkTarget()).isExecutable());
    EXPECT_EQ(QFileInfo(link.canonicalFilePath()),
              QFileInfo(QFileInfo(InProgramFolder(program)).canonicalFilePath()));
    EXPECT_FALSE(QFile::symLinkTarget(link.filePath()).isEmpty());
  }
  // The link is relative: a moved prefix keeps working.
  QFile raw(Prefix(QStringLiteral("bin/quillon-cli")));
  char buffer[4096] = {};
  const ssize_t length =
      ::readlink(QFile::encodeName(raw.fileName()).constData(), buffer, sizeof(buffer) - 1);
  ASSERT_GT(length, 0);
  EXPECT_FALSE(QByteArray(buffer, int(length)).startsWith('/')) << buffer;
}

TEST_F(Installed, DesktopEntryStartsTheInstalledProgramAndHasAnIcon) {
  const QString entry = QString::fromUtf8(
      test::ReadAll(Prefix(QStringLiteral("share/applications/quillon.desktop"))));
  ASSERT_FALSE(entry.isEmpty());
  const QStringList lines = entry.split(QLatin1Char('\n'));
  EXPECT_EQ(lines.first(), QStringLiteral("[Desktop Entry]"));
  EXPECT_TRUE(lines.contains(QStringLiteral("Type=Application")));
  EXPECT_TRUE(lines.contains(QStringLiteral("Name=Quillon")));
  EXPECT_TRUE(lines.contains(QStringLiteral("Icon=quillon")));
  // The prefix has a blank in it, so the path must be quoted.
  EXPECT_TRUE(lines.contains(QStringLiteral("Exec=\"") +
                             InProgramFolder(QStringLiteral("quillon")) + QLatin1Char('"')))
      << entry.toStdString();
  const QString icons = Prefix(QStringLiteral("share/icons/hicolor/"));
  EXPECT_TRUE(test::ReadAll(icons + QStringLiteral("scalable/apps/quillon.svg")).contains("<svg"));
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    EXPECT_EQ(PngSize(icons + QStringLiteral("%1x%1/apps/quillon.png").arg(size)),
              QSize(size, size));

  const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
  if (!validator.isEmpty()) {
    const InstalledRun run =
        RunProgram(validator, {Prefix(QStringLiteral("share/applications/quillon.desktop"))},
                   scratch_->path(), scratch_->path());
    EXPECT_EQ(run.exit_code, 0) << run.output.toStdString();
  }
}

// Started through the link in bin/, with QUILLON_HOME unset, the installed
// quillon-cli finds its program folder, writes its working files there and
// builds a WAV that minimodem reads back.
TEST_F(Installed, InstalledCommandLineBuildsAWav) {
  const QString output = scratch_->filePath(QStringLiteral("out folder/hello.wav"));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(output).path()));
  const InstalledRun run =
      RunProgram(Prefix(QStringLiteral("bin/quillon-cli")),
                 {QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
                  output, QStringLiteral("HELLO WORLD 123")},
                 scratch_->path(), scratch_->path());
  ASSERT_EQ(run.exit_code, 0) << run.output.toStdString();
  EXPECT_EQ(test::DecodeWithMinimodem(output), QStringLiteral("HELLO WORLD 123"));
}

// The installed clip set comes with its description and passes its check.
TEST_F(Installed, InstalledClipSetIsDescribedAndPassesItsCheck) {
  EXPECT_TRUE(QFileInfo(InProgramFolder(QStringLiteral("clipset.ini"))).isFile());
  const InstalledRun run = RunProgram(Prefix(QStringLiteral("bin/quillon-cli")),
                                      {QStringLiteral("alphabet"), QStringLiteral("--check")},
                                      scratch_->path(), scratch_->path());
  ASSERT_EQ(run.exit_code, 0) << run.output.toStdString();
  EXPECT_TRUE(run.output.startsWith(QStringLiteral("Clip set: 45.45 baud, 8 kHz 16-bit PCM\n")))
      << run.output.toStdString();
}

// A long text goes through chunk files of its own, never in the installed
// program folder (which another user may share), and leaves none behind.
TEST_F(Installed, LongTextsLeaveNoChunkFilesBehind) {
  const QString output = scratch_->filePath(QStringLiteral("long.wav"));
  const InstalledRun run =
      RunProgram(Prefix(QStringLiteral("bin/quillon-cli")),
                 {QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
                  output, QString(1700, QLatin1Char('E'))},
                 scratch_->path(), scratch_->path());
  ASSERT_EQ(run.exit_code, 0) << run.output.toStdString();
  EXPECT_FALSE(QFileInfo::exists(InProgramFolder(QStringLiteral("MultiWAVChunk1.wav"))));
  EXPECT_TRUE(
      QDir(scratch_->path()).entryList({QStringLiteral("quillon-build-*")}, QDir::Dirs).isEmpty());
  // 1,700 frames of 8 tics of 176 samples, after the lead-in.
  EXPECT_GT(QFileInfo(output).size(), 1700LL * 8 * 176 * 2);
}

}  // namespace
}  // namespace quillon
