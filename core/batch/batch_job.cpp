#include "core/batch/batch_job.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "platform/file_system.h"

namespace quillon {

bool StartBatchLog(const QString& path, BatchLog* log, QString* err) {
  bool busy = false;
  QString why_locked;
  if (!log->Lock(path, &busy, &why_locked)) {
    *err =
        busy
            ? QStringLiteral("Another batch of this kind is running and writing its log ") + path +
                  QStringLiteral(". Wait until it has finished, then try again. Nothing was built.")
            : QStringLiteral("The log file cannot be locked (") + why_locked +
                  QStringLiteral("): ") + path + QStringLiteral(". Nothing was built.");
    return false;
  }
  if (QFileInfo(path).isFile()) {
    QString why;
    if (!DeleteFile(path, false, &why)) {
      *err = QStringLiteral("The log file of the last run cannot be replaced (") + why +
             QStringLiteral("): ") + path +
             QStringLiteral(". Nothing was built; make the file writable or remove it.");
      log->Close();
      return false;
    }
  }
  QString why;
  if (!log->Open(path, &why)) {
    *err = QStringLiteral("The log file cannot be created (") + why + QStringLiteral("): ") + path +
           QStringLiteral(". Nothing was built.");
    log->Close();
    return false;
  }
  return true;
}

QString OutputKeys::KeyOf(const QString& path) {
  const QFileInfo info(path);
  const QString folder = info.absolutePath();
  auto it = folders_.find(folder);
  if (it == folders_.end()) {
    const QString resolved = QFileInfo(folder).canonicalFilePath();
    it = folders_.insert(folder, resolved.isEmpty() ? QDir::cleanPath(folder) : resolved);
  }
  return *it + QLatin1Char('/') + info.fileName().toCaseFolded();
}

QString NotBuiltLine(BuildResult::Status status) {
  switch (status) {
    case BuildResult::Status::Failed:
    case BuildResult::Status::Refused:
      return QStringLiteral("(error) Prompt not built");
    case BuildResult::Status::EmptyText:
      return QStringLiteral("(error) Prompt not built (empty text)");
    case BuildResult::Status::Built:
    case BuildResult::Status::Skipped:
      break;
  }
  return QString();
}

QString StoppedLine(const QString& reason, const JobTally& tally, const QString& unit) {
  return reason + QStringLiteral(" after ") + QString::number(tally.done) + QStringLiteral(" of ") +
         QString::number(tally.total) + QLatin1Char(' ') + unit + QStringLiteral("; ") +
         QString::number(tally.built) +
         (tally.built == 1 ? QStringLiteral(" prompt was built.")
                           : QStringLiteral(" prompts were built."));
}

QString ViewLogQuestion(const JobTally& tally, const QString& unit) {
  const QString view = QStringLiteral("  View log file now?");
  if (tally.aborted)
    return QStringLiteral("The run ended early, after ") + QString::number(tally.done) +
           QStringLiteral(" of ") + QString::number(tally.total) + QLatin1Char(' ') + unit +
           QStringLiteral("; the log says why.") + view;
  QStringList said;
  if (tally.stopped) {
    QString text = QStringLiteral("Cancelled after ") + QString::number(tally.done) +
                   QStringLiteral(" of ") + QString::number(tally.total) + QLatin1Char(' ') + unit;
    if (tally.not_good() > 0)
      text += QStringLiteral("; ") + QString::number(tally.not_good()) +
              (tally.not_good() == 1 ? QStringLiteral(" of them was not built")
                                     : QStringLiteral(" of them were not built"));
    said << text + QLatin1Char('.');
  } else if (tally.not_good() > 0) {
    said << QString::number(tally.not_good()) + QStringLiteral(" of ") +
                QString::number(tally.done) + QLatin1Char(' ') + unit +
                (tally.not_good() == 1 ? QStringLiteral(" was not built.")
                                       : QStringLiteral(" were not built."));
  }
  if (tally.unreadable_files > 0)
    said << QString::number(tally.unreadable_files) +
                (tally.unreadable_files == 1 ? QStringLiteral(" file could not be read.")
                                             : QStringLiteral(" files could not be read."));
  if (said.isEmpty()) return QStringLiteral("Done.") + view;
  return said.join(QStringLiteral("  ")) + view;
}

}  // namespace quillon
