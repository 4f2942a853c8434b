#include "core/session/batch_log.h"

#include <QDir>
#include <QFileInfo>

namespace quillon {

bool BatchLog::Lock(const QString& path, bool* busy, QString* err) {
  const QFileInfo info(path);
  const QString lock_path =
      QDir(info.absolutePath())
          .filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".lock"));
  const bool locked = lock_.Acquire(lock_path, FileLock::Mode::Exclusive, false, err);
  *busy = !locked && lock_.busy();
  return locked;
}

bool BatchLog::Open(const QString& path, QString* err) {
  if (file_.isOpen()) file_.close();
  file_.setFileName(path);
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    *err = file_.errorString();
    return false;
  }
  return true;
}

bool BatchLog::WriteLine(const QString& line) {
  if (!file_.isOpen()) return false;
  const QByteArray bytes = line.toUtf8() + "\r\n";
  return file_.write(bytes) == bytes.size();
}

bool BatchLog::Flush() {
  return file_.isOpen() && file_.flush();
}

void BatchLog::Close() {
  if (file_.isOpen()) file_.close();
  lock_.Release();
}

}  // namespace quillon
