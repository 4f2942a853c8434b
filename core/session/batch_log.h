#pragma once

#include <QFile>
#include <QString>

namespace quillon {

/// A batch log: a text file in UTF-8 with CR LF line ends, created empty
/// when opened. Each line reaches the disk as it is written, so a log read
/// during or after a run holds every line written so far.
class BatchLog {
 public:
  /// Opens (creating or truncating) the log; false with `err` on failure.
  bool Open(const QString& path, QString* err);
  /// Writes one line and its CR LF; false when the write failed.
  bool WriteLine(const QString& line);
  void Close();
  bool IsOpen() const { return file_.isOpen(); }
  QString Path() const { return file_.fileName(); }

 private:
  QFile file_;
};

}  // namespace quillon
