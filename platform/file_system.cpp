#include "platform/file_system.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace quillon {

QString ProgramFolder() {
  const QByteArray home = qgetenv("QUILLON_HOME");
  if (!home.isEmpty()) return QDir::cleanPath(QDir(QFile::decodeName(home)).absolutePath());
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return QDir::currentPath();
  return QFileInfo(QFile::decodeName(QByteArray(buffer, static_cast<int>(n)))).absolutePath();
}

QString JoinPath(const QString& folder, const QString& name) {
  if (folder.isEmpty()) return name;
  if (folder.endsWith(QLatin1Char('/'))) return folder + name;
  return folder + QLatin1Char('/') + name;
}

QString ResolveCaseInsensitive(const QString& path) {
  return FolderNames().Resolve(path);
}

QHash<QString, QStringList>& FolderNames::Folder(const QString& folder) {
  const auto known = folders_.find(folder);
  if (known != folders_.end()) return *known;
  QHash<QString, QStringList> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(QFile::encodeName(folder).constData()), closedir);
  while (dir) {
    const dirent* entry = readdir(dir.get());
    if (!entry) break;
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    const QString decoded = QFile::decodeName(entry->d_name);
    names[decoded.toCaseFolded()].append(decoded);
  }
  return *folders_.emplace(folder, std::move(names));
}

QString FolderNames::Resolve(const QString& path) {
  struct stat st;
  if (path.isEmpty() || stat(QFile::encodeName(path).constData(), &st) == 0) return path;
  const QFileInfo info(path);
  const QStringList& found = Folder(info.absolutePath()).value(info.fileName().toCaseFolded());
  if (found.size() != 1) return path;  // none, or ambiguous: leave it to the caller
  const QString parent =
      path.contains(QLatin1Char('/')) ? path.left(path.lastIndexOf('/') + 1) : QString();
  return parent + found.first();
}

void FolderNames::Add(const QString& path) {
  const QFileInfo info(path);
  QStringList& names = Folder(info.absolutePath())[info.fileName().toCaseFolded()];
  if (!names.contains(info.fileName())) names.append(info.fileName());
}

VolumeRoom RoomIn(const QString& folder) {
  VolumeRoom room;
  const QByteArray name = QFile::encodeName(folder);
  struct stat st;
  struct statvfs vfs;
  if (name.isEmpty() || stat(name.constData(), &st) != 0 || statvfs(name.constData(), &vfs) != 0)
    return room;
  room.known = true;
  room.available_bytes = static_cast<qint64>(vfs.f_bavail) * static_cast<qint64>(vfs.f_frsize);
  room.device = static_cast<quint64>(st.st_dev);
  return room;
}

bool FileExists(const QString& path) {
  struct stat st;
  return !path.isEmpty() && stat(QFile::encodeName(path).constData(), &st) == 0 &&
         S_ISREG(st.st_mode);
}

bool FolderExists(const QString& path) {
  struct stat st;
  return !path.isEmpty() && stat(QFile::encodeName(path).constData(), &st) == 0 &&
         S_ISDIR(st.st_mode);
}

bool IsReadOnly(const QString& path) {
  struct stat st;
  return stat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

bool ClearReadOnly(const QString& path, QString* err) {
  const QByteArray name = QFile::encodeName(path);
  struct stat st;
  if (stat(name.constData(), &st) != 0 || chmod(name.constData(), st.st_mode | S_IWUSR) != 0) {
    *err = ErrnoText(errno);
    return false;
  }
  return true;
}

bool CopyFileReplacing(const QString& from, const QString& to, QString* err) {
  QFile source(from);
  if (!source.open(QIODevice::ReadOnly)) {
    *err = source.errorString();
    return false;
  }
  QSaveFile target(to);
  target.setDirectWriteFallback(false);
  if (!target.open(QIODevice::WriteOnly)) {
    *err = target.errorString();
    return false;
  }
  while (!source.atEnd()) {
    const QByteArray block = source.read(1 << 20);
    if (block.isEmpty() && source.error() != QFileDevice::NoError) {
      *err = source.errorString();
      target.cancelWriting();
      return false;
    }
    if (target.write(block) != block.size()) {
      *err = target.errorString();
      target.cancelWriting();
      return false;
    }
  }
  if (!target.commit()) {
    *err = target.errorString();
    return false;
  }
  return true;
}

bool RenameReplacing(const QString& from, const QString& to, QString* err) {
  if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
    *err = ErrnoText(errno);
    return false;
  }
  return true;
}

bool DeleteFile(const QString& path, bool force, QString* err) {
  if (force) {
    QString ignored;
    ClearReadOnly(path, &ignored);
  } else if (IsReadOnly(path)) {
    // A read-only file is protected from an unforced delete, as users of
    // the voicemail server's file system expect.
    *err = ErrnoText(EACCES);
    return false;
  }
  if (unlink(QFile::encodeName(path).constData()) != 0) {
    *err = ErrnoText(errno);
    return false;
  }
  return true;
}

QString ErrnoText(int error_number) {
  return QString::fromLocal8Bit(std::strerror(error_number));
}

}  // namespace quillon
