#pragma once

#include <QString>

namespace quillon {

/// An advisory lock (flock) held on a folder or a file for as long as the
/// object lives. Builds hold the clip set's folder shared, so that many may
/// read the set at once; the alphabet rebuild holds it exclusively, so that
/// no build ever sees half an old and half a new set. The lock goes with the
/// process: a killed holder never leaves a stale lock behind.
class FileLock {
 public:
  enum class Mode { Shared, Exclusive };

  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  /// Takes the lock on `path` (a folder or an existing file, or a lock file
  /// that is created when missing). With `wait` false it returns false at
  /// once when another holder is in the way. False with `err` filled when
  /// the path cannot be opened or locked.
  bool Acquire(const QString& path, Mode mode, bool wait, QString* err);
  /// Lets go of the lock; nothing happens when none is held.
  void Release();
  bool held() const { return fd_ >= 0; }

  /// True after a failed Acquire when the reason was another holder.
  bool busy() const { return busy_; }

 private:
  int fd_ = -1;
  bool busy_ = false;
};

}  // namespace quillon
