#include "tests/support/test_support.h"

#include "tests/support/program_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace quillon::test {

void RecordingUi::ShowMessage(const QString& text, const QString& title) {
  messages.append(text);
  titles.append(title);
}

UserInterface::Answer RecordingUi::Ask(const QString& text, const QString& title) {
  messages.append(text);
  titles.append(title);
  if (answers.empty()) return Answer::No;
  const Answer answer = answers.front();
  answers.erase(answers.begin());
  return answer;
}

void RecordingUi::SetBusy(bool busy) {
  busy_changes.push_back(busy);
}

QString BuiltProgramFolder() {
  return QStringLiteral(QUILLON_TEST_BIN_DIR);
}

void InstallRecordingWavcat(const QString& folder, int exit_status, const QString& message) {
  QString script = QStringLiteral(
      "#!/bin/sh\n"
      "log=\"$(dirname \"$0\")/wavcat.log\"\n"
      // Quillon names the output's folder through its own descriptor (/proc/PID/fd/N):
      // the log records the folder it stands for.
      "for a in \"$@\"; do case \"$a\" in /proc/*/fd/*) a=\"$(readlink -f \"$(dirname "
      "\"$a\")\")/$(basename \"$a\")\";; esac\n"
      "  printf '%s\\n' \"$a\" >> \"$log\"; done\n"
      "printf '%s\\n' '--END--' >> \"$log\"\n");
  if (exit_status != 0) {
    script += QStringLiteral("echo '") + message + QStringLiteral("' >&2\nexit ") +
              QString::number(exit_status) + QLatin1Char('\n');
  } else {
    script += QStringLiteral("for last; do :; done\nprintf 'RIFF' > \"$last\"\n");
  }
  const QString path = QDir(folder).filePath(QStringLiteral("wavcat"));
  WriteAll(path, script.toUtf8());
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void InstallRecordingRealWavcat(const QString& folder) {
  const QString real = QDir(BuiltProgramFolder()).filePath(QStringLiteral("wavcat"));
  const QString script =
      QStringLiteral(
          "#!/bin/sh\n"
          "log=\"$(dirname \"$0\")/wavcat.log\"\n"
          // Quillon names the output's folder through its own descriptor (/proc/PID/fd/N):
          // the log records the folder it stands for.
          "for a in \"$@\"; do case \"$a\" in /proc/*/fd/*) a=\"$(readlink -f \"$(dirname "
          "\"$a\")\")/$(basename \"$a\")\";; esac\n"
          "  printf '%s\\n' \"$a\" >> \"$log\"; done\n"
          "printf '%s\\n' '--END--' >> \"$log\"\n"
          "exec '") +
      real + QStringLiteral("' \"$@\"\n");
  const QString path = QDir(folder).filePath(QStringLiteral("wavcat"));
  WriteAll(path, script.toUtf8());
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void InstallBuiltClipSet(const QString& folder) {
  const QDir built(BuiltProgramFolder());
  const QStringList names =
      built.entryList({QStringLiteral("*.wav"), QStringLiteral("clipset.ini")}, QDir::Files);
  ASSERT_TRUE(names.contains(QStringLiteral("clipset.ini"))) << "the build wrote no clip set";
  for (const QString& name : names)
    WriteAll(QDir(folder).filePath(name), ReadAll(built.filePath(name)));
}

std::vector<QStringList> RecordedRuns(const QString& folder) {
  std::vector<QStringList> runs;
  QStringList current;
  const QString text =
      QString::fromUtf8(ReadAll(QDir(folder).filePath(QStringLiteral("wavcat.log"))));
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    if (line == QStringLiteral("--END--")) {
      runs.push_back(current);
      current.clear();
    } else if (!line.isEmpty() || !current.isEmpty()) {
      current.append(line);
    }
  }
  return runs;
}

void CopyBuiltProgramFolder(const QString& folder) {
  QDirIterator it(BuiltProgramFolder(), QDir::Files);
  while (it.hasNext()) {
    const QFileInfo info(it.next());
    const bool wanted = info.suffix().compare(QStringLiteral("wav"), Qt::CaseInsensitive) == 0 ||
                        info.suffix() == QStringLiteral("txt") ||
                        info.fileName() == QStringLiteral("wavcat") ||
                        info.fileName() == QStringLiteral("clipset.ini") ||
                        info.fileName() == QStringLiteral("quillon-clipgen");
    if (!wanted) continue;
    const QString target = QDir(folder).filePath(info.fileName());
    QFile::remove(target);
    ASSERT_TRUE(QFile::copy(info.filePath(), target)) << info.filePath().toStdString();
  }
}

QString DecodeWithMinimodem(const QString& wav_path, const QString& rate) {
  QStringList args;
  if (rate == QStringLiteral("45.45")) {
    args << QStringLiteral("--rx") << QStringLiteral("tdd");
  } else {
    args << QStringLiteral("--rx") << rate << QStringLiteral("--baudot")
         << QStringLiteral("--stopbits") << QStringLiteral("2.0") << QStringLiteral("-M")
         << QStringLiteral("1400") << QStringLiteral("-S") << QStringLiteral("1800");
  }
  args << QStringLiteral("-q") << QStringLiteral("-f") << wav_path;
  const ProgramRun minimodem = RunProgram(QStringLiteral("minimodem"), args);
  if (!minimodem.finished) return QStringLiteral("<minimodem did not finish>");
  return QString::fromUtf8(minimodem.out).trimmed();
}

}  // namespace quillon::test
