#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
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

QString HomeFolder() {
  const QString home = qEnvironmentVariable("HOME");
  if (QDir::isAbsolutePath(home) && QDir::cleanPath(home) != QStringLiteral("/"))
    return QDir::cleanPath(home);
  const passwd* user = getpwuid(geteuid());
  if (user && user->pw_dir) {
    const QString entry = QFile::decodeName(user->pw_dir);
    if (QDir::isAbsolutePath(entry) && QDir::cleanPath(entry) != QStringLiteral("/"))
      return QDir::cleanPath(entry);
  }
  return QString();
}

QString ScratchFolder() {
  const QString tmp = qEnvironmentVariable("TMPDIR");
  return tmp.isEmpty() ? QStringLiteral("/tmp") : QDir::cleanPath(tmp);
}

QString ConfigFolder() {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (QDir::isAbsolutePath(config)) return config;
  const QString home = HomeFolder();
  return home.isEmpty() ? QString() : home + QStringLiteral("/.config");
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

QString NotRegularFileProblem(const QString& path) {
  struct stat st;
  if (path.isEmpty() || stat(QFile::encodeName(path).constData(), &st) != 0) return QString();
  if (S_ISREG(st.st_mode)) return QString();
  if (S_ISDIR(st.st_mode)) return QStringLiteral("it is a folder, not a file");
  if (S_ISFIFO(st.st_mode)) return QStringLiteral("it is a pipe, not a regular file");
  if (S_ISSOCK(st.st_mode)) return QStringLiteral("it is a socket, not a regular file");
  return QStringLiteral("it is a device, not a regular file");
}

QString DescribeBytes(qint64 bytes) {
  if (bytes >= (qint64{1} << 20) && bytes % (qint64{1} << 20) == 0)
    return QString::number(bytes >> 20) + QStringLiteral(" MB");
  if (bytes >= 1024 && bytes % 1024 == 0)
    return QString::number(bytes >> 10) + QStringLiteral(" KB");
  return QString::number(bytes) + QStringLiteral(" bytes");
}

bool ReadRegularFile(const QString& path, qint64 max_bytes, QByteArray* bytes, QString* err) {
  // O_NONBLOCK: opening a pipe must not wait for a writer; the check below
  // then refuses it.
  const int fd =
      open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    *err = ErrnoText(errno);
    return false;
  }
  const std::unique_ptr<int, void (*)(int*)> closer(new int(fd), [](int* f) {
    close(*f);
    delete f;
  });
  struct stat st;
  if (fstat(fd, &st) != 0) {
    *err = ErrnoText(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    *err = S_ISDIR(st.st_mode)    ? QStringLiteral("it is a folder, not a file")
           : S_ISFIFO(st.st_mode) ? QStringLiteral("it is a pipe, not a regular file")
           : S_ISSOCK(st.st_mode) ? QStringLiteral("it is a socket, not a regular file")
                                  : QStringLiteral("it is a device, not a regular file");
    return false;
  }
  const auto too_large = [&] {
    *err = QStringLiteral("it is larger than ") + DescribeBytes(max_bytes) +
           QStringLiteral(", more than a file of its kind can hold");
    return false;
  };
  if (st.st_size > max_bytes) return too_large();
  bytes->resize(static_cast<qsizetype>(st.st_size));
  qint64 got = 0;
  // The file may grow while it is read: one byte past the bound is enough to
  // know it is too large.
  for (;;) {
    if (got == bytes->size()) {
      if (got > max_bytes) return too_large();
      bytes->resize(static_cast<qsizetype>(std::min<qint64>(got + 65536, max_bytes + 1)));
    }
    const ssize_t n = read(fd, bytes->data() + got, static_cast<size_t>(bytes->size() - got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *err = ErrnoText(errno);
      return false;
    }
    if (n == 0) break;
    got += n;
  }
  if (got > max_bytes) return too_large();
  bytes->resize(static_cast<qsizetype>(got));
  return true;
}

FileIdentity IdentityOf(const QString& path) {
  FileIdentity identity;
  struct stat st;
  if (path.isEmpty() || stat(QFile::encodeName(path).constData(), &st) != 0) return identity;
  identity.device = static_cast<quint64>(st.st_dev);
  identity.inode = static_cast<quint64>(st.st_ino);
  identity.valid = true;
  return identity;
}

QString ErrnoText(int error_number) {
  return QString::fromLocal8Bit(std::strerror(error_number));
}

}  // namespace quillon
