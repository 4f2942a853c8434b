#pragma once

#include <sys/stat.h>

#include <QString>

#include "platform/file_system.h"

namespace quillon {

/// A folder held open for writing files into it. Every check and every write
/// afterwards goes through the one descriptor (openat, renameat, fstatat with
/// links not followed), so what was checked is what is written: a folder on
/// the way that is swapped for a link after the checks changes nothing, and a
/// link at a name is seen as the link, never followed.
///
/// A program that must write into the folder itself (wavcat) is handed
/// StablePath, a path through this process's descriptor, which reaches the
/// same folder whatever happens to its name meanwhile.
class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder();
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  /// Opens the folder at `path` (a link on the way is followed now, once).
  /// False with `err` (and `errno_value`, when given) when it cannot be opened.
  bool Open(const QString& path, QString* err, int* errno_value = nullptr);
  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  const QString& path() const { return path_; }
  FileIdentity Identity() const;

  /// What is at `name` in the folder, not following a link.
  enum class Kind { Missing, Regular, Link, Folder, Other };
  Kind KindOf(const QString& name, struct stat* st = nullptr) const;

  /// The path by which another program reaches `name` in this very folder:
  /// "/proc/PID/fd/N/name". Where there is no /proc, the folder's own path.
  QString StablePath(const QString& name) const;

  /// Creates `name` empty and new (never through a link), with the mode a new
  /// file gets. False with `err` when it exists or cannot be created.
  bool CreateNew(const QString& name, QString* err) const;
  /// Renames `from` to `to` within the folder, replacing what is at `to`.
  bool Rename(const QString& from, const QString& to, QString* err) const;
  /// Removes the file `name` (not a folder); false when it could not.
  bool Remove(const QString& name) const;
  /// Gives `to` the permissions of `from` (owner-writable, as a file its owner
  /// rewrote), and its owner and group where this process may set them
  /// (the group alone when only that is allowed).
  void TakeOverAttributes(const QString& from, const QString& to) const;
  /// Gives the owner write permission on the file `name` when it lacks it:
  /// true when the mode was changed (its old mode then in `old_mode`); a
  /// failure leaves `err` filled.
  bool MakeOwnerWritable(const QString& name, mode_t* old_mode, QString* err) const;
  /// Sets the permission bits of the file `name`.
  void SetMode(const QString& name, mode_t mode) const;
  /// Brings `name` to the disk; false when it could not be flushed.
  bool Flush(const QString& name) const;

  /// Puts a copy of the regular file `source` (a path anywhere) at `name`,
  /// replacing what is there in one step: written to a new file beside it
  /// first, flushed, then renamed into place. `name` must hold a regular file
  /// or nothing: a link, a folder or a device there is refused, as is a
  /// source that is no regular file (a pipe would never end).
  bool CopyIn(const QString& source, const QString& name, QString* err) const;
  /// The same with `bytes` as the new contents.
  bool WriteIn(const QByteArray& bytes, const QString& name, QString* err) const;

 private:
  int fd_ = -1;
  QString path_;
};

}  // namespace quillon
