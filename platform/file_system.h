#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace quillon {

/// The program folder: where Quillon keeps its clips, tables, logs and help
/// page. `QUILLON_HOME` names it when set; otherwise it is the folder of the
/// running executable.
QString ProgramFolder();

/// The user's home folder: HOME when it names one (an absolute path other than
/// "/"), else the home folder the user database gives; empty when neither
/// does. Never the root folder by default, so nothing of the user's is ever
/// written there.
QString HomeFolder();

/// The folder for scratch files: TMPDIR as it is set (whether or not it can
/// be used: a caller that cannot use it names it), else /tmp. Unlike
/// QDir::tempPath, a TMPDIR that does not exist is not turned into the
/// working folder.
QString ScratchFolder();

/// The folder for the user's configuration files: XDG_CONFIG_HOME when it is
/// an absolute path, else ".config" in HomeFolder(); empty when there is no
/// home folder.
QString ConfigFolder();

/// Joins a folder and a name with exactly one slash between them.
QString JoinPath(const QString& folder, const QString& name);

/// Finds `path` on a case-sensitive file system the way a case-insensitive
/// one would: the path itself when it exists, otherwise the one entry of its
/// folder whose name matches without regard to case. When there is none (or
/// more than one) the path is returned unchanged.
QString ResolveCaseInsensitive(const QString& path);

/// ResolveCaseInsensitive for many files of a few folders: each folder is
/// read once, when a name is first looked up in it, and the files this
/// process makes there are added with Add. Changes that others make to the
/// folders meanwhile are not seen, so one lives only as long as a batch: a
/// batch of thousands of new prompts in one folder would otherwise read the
/// whole folder again for each one.
class FolderNames {
 public:
  QString Resolve(const QString& path);
  /// Notes that `path` now exists.
  void Add(const QString& path);

 private:
  // Names by their case-folded form, by folder.
  QHash<QString, QHash<QString, QStringList>> folders_;
  QHash<QString, QStringList>& Folder(const QString& folder);
};

/// True when a file (not a folder) exists at `path`.
bool FileExists(const QString& path);

/// True when a folder exists at `path`.
bool FolderExists(const QString& path);

/// True when the file exists and its owner may not write it: the read-only
/// attribute of this platform.
bool IsReadOnly(const QString& path);

/// Gives the owner write permission back; other permission bits stay.
bool ClearReadOnly(const QString& path, QString* err);

/// Copies `from` over `to` (replacing it) through a temporary file beside
/// `to`, so that `to` is never left half-written.
bool CopyFileReplacing(const QString& from, const QString& to, QString* err);

/// Renames `from` to `to` in one step, replacing a file at `to`; both must
/// lie on one file system.
bool RenameReplacing(const QString& from, const QString& to, QString* err);

/// Deletes a file; `force` first gives the owner write permission back.
bool DeleteFile(const QString& path, bool force, QString* err);

/// Room on the file system that holds `folder`: the bytes an unprivileged
/// process may still write there, and which file system that is (its device).
struct VolumeRoom {
  bool known = false;  ///< false when the folder cannot be looked at
  qint64 available_bytes = 0;
  quint64 device = 0;
};
VolumeRoom RoomIn(const QString& folder);

/// A short description of an errno value, for messages.
QString ErrnoText(int error_number);

/// Reads the regular file at `path` whole, when it holds at most `max_bytes`.
/// Anything else is refused before a byte of it is read, with `err` saying
/// why: a device, a pipe, a socket or a folder (a link is followed to what it
/// names, and a pipe's writer is not waited for), or a file larger than the
/// bound. Bounds keep a mistaken path from filling the memory.
bool ReadRegularFile(const QString& path, qint64 max_bytes, QByteArray* bytes, QString* err);

/// Why `path` is no regular file that may be opened for reading ("it is a
/// pipe", ...), or an empty string when it is one or does not exist.
QString NotRegularFileProblem(const QString& path);

/// "16 MB", "64 KB": a size bound for messages.
QString DescribeBytes(qint64 bytes);

/// Which file a path names, whatever the name: its device and inode. Two
/// names of one file (a link, a second hard link, "." and "..") have the same
/// identity; a path that names nothing has none.
struct FileIdentity {
  quint64 device = 0;
  quint64 inode = 0;
  bool valid = false;
  bool operator==(const FileIdentity& other) const {
    return valid && other.valid && device == other.device && inode == other.inode;
  }
};
FileIdentity IdentityOf(const QString& path);

}  // namespace quillon
