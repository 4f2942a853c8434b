#pragma once

#include <QFile>
#include <QString>

#include "platform/file_lock.h"

namespace quillon {

/// A batch log: a text file in UTF-8 with CR LF line ends, created empty
/// when opened. Lines are written through a buffer that the batch flushes
/// after each prompt (Flush), so a log read during a run holds every prompt
/// but the one being built, and a closed log holds every line.
///
/// One batch at a time writes a log: Lock takes an exclusive lock on a
/// hidden lock file beside it, held until Close, so a second batch of the
/// same kind is refused instead of writing into (or deleting) the first
/// one's log.
class BatchLog {
 public:
  /// Takes the log at `path` for this run; false with `err` when another
  /// run holds it (`busy` true) or the lock cannot be taken.
  bool Lock(const QString& path, bool* busy, QString* err);
  /// Opens (creating or truncating) the log; false with `err` on failure.
  bool Open(const QString& path, QString* err);
  /// Hands the lines written so far to the file system; false when it
  /// refused them.
  bool Flush();
  /// Writes one line and its CR LF; false when the write failed.
  bool WriteLine(const QString& line);
  void Close();
  bool IsOpen() const { return file_.isOpen(); }
  QString Path() const { return file_.fileName(); }

 private:
  QFile file_;
  FileLock lock_;
};

}  // namespace quillon
