#include "tests/support/batch_test_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillon::test {
namespace {

// The real wavcat and the real clip set with its description, without the rest of the build's
// program folder (test programs included), which only makes each copy slow.
void CopyWavcatAndClips(const QString& folder) {
  const QDir built(BuiltProgramFolder());
  QStringList names =
      built.entryList({QStringLiteral("*.wav"), QStringLiteral("clipset.ini")}, QDir::Files);
  names << QStringLiteral("wavcat");
  for (const QString& name : names) {
    // Written plainly: QFile::copy syncs every file to disk, which makes a
    // fresh program folder per test slow.
    const QString target = QDir(folder).filePath(name);
    WriteAll(target, ReadAll(built.filePath(name)));
    QFile::setPermissions(target, QFile::permissions(built.filePath(name)));
  }
}

}  // namespace

QByteArray VoicemailRegistryExport(const QString& languages, const QString& root_path) {
  QString text = QStringLiteral("REGEDIT4\r\n\r\n");
  if (!languages.isNull()) {
    text += QStringLiteral(
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\SystemParameters\\1.0]\r\n"
                "\"TUI Languages Loaded\"=\"") +
            languages + QStringLiteral("\"\r\n\r\n");
  }
  if (!root_path.isNull()) {
    QString escaped = root_path;
    escaped.replace(QLatin1Char('/'), QStringLiteral("\\\\"));
    text += QStringLiteral(
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvala\\Hubrix\\1.0]\r\n"
                "\"Root Path\"=\"") +
            escaped + QStringLiteral("\"\r\n");
  }
  return text.toUtf8();
}

void BatchTest::SetUp() {
  ASSERT_TRUE(scratch_.isValid());
  program_folder_ = scratch_.filePath(QStringLiteral("program"));
  ASSERT_TRUE(QDir().mkpath(program_folder_));
  CopyWavcatAndClips(program_folder_);
  builder_ = std::make_unique<WavBuilder>(program_folder_);
}

QString BatchTest::Path(const QString& relative) const {
  return scratch_.filePath(relative);
}

void BatchTest::WriteText(const QString& relative, const QString& text) const {
  WriteRecording(relative, text.toUtf8());
}

void BatchTest::WriteRecording(const QString& relative, const QByteArray& bytes) const {
  const QString path = Path(relative);
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
  WriteAll(path, bytes);
}

QStringList BatchTest::LogLines(const QString& path) {
  QStringList lines = QString::fromUtf8(ReadAll(path)).split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

}  // namespace quillon::test
