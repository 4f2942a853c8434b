#include "core/session/batch_log.h"

namespace quillon {

bool BatchLog::Open(const QString& path, QString* err) {
  Close();
  file_.setFileName(path);
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
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

void BatchLog::Close() {
  if (file_.isOpen()) file_.close();
}

}  // namespace quillon
