#include "platform/held_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <functional>

#include <cerrno>
#include "platform/temporaries.h"

namespace quillon {
namespace {

QByteArray Name(const QString& name) {
  return QFile::encodeName(name);
}

// Writes all of `n` bytes; false on an error.
bool WriteAll(int fd, const char* data, size_t n) {
  while (n > 0) {
    const ssize_t done = write(fd, data, n);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return false;
    data += done;
    n -= static_cast<size_t>(done);
  }
  return true;
}

}  // namespace

HeldFolder::~HeldFolder() {
  if (fd_ >= 0) close(fd_);
}

bool HeldFolder::Open(const QString& path, QString* err, int* errno_value) {
  if (fd_ >= 0) close(fd_);
  path_ = path;
  fd_ = open(QFile::encodeName(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd_ >= 0) return true;
  if (errno_value) *errno_value = errno;
  *err = ErrnoText(errno);
  return false;
}

FileIdentity HeldFolder::Identity() const {
  FileIdentity identity;
  struct stat st;
  if (fd_ < 0 || fstat(fd_, &st) != 0) return identity;
  identity.device = static_cast<quint64>(st.st_dev);
  identity.inode = static_cast<quint64>(st.st_ino);
  identity.valid = true;
  return identity;
}

HeldFolder::Kind HeldFolder::KindOf(const QString& name, struct stat* st) const {
  struct stat own;
  struct stat* info = st ? st : &own;
  if (fstatat(fd_, Name(name).constData(), info, AT_SYMLINK_NOFOLLOW) != 0) return Kind::Missing;
  if (S_ISREG(info->st_mode)) return Kind::Regular;
  if (S_ISLNK(info->st_mode)) return Kind::Link;
  if (S_ISDIR(info->st_mode)) return Kind::Folder;
  return Kind::Other;
}

QString HeldFolder::StablePath(const QString& name) const {
  static const bool have_proc = access("/proc/self/fd", X_OK) == 0;
  if (!have_proc || fd_ < 0) return JoinPath(path_, name);
  return QStringLiteral("/proc/%1/fd/%2/").arg(getpid()).arg(fd_) + name;
}

bool HeldFolder::CreateNew(const QString& name, QString* err) const {
  const int fd = openat(fd_, Name(name).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    *err = ErrnoText(errno);
    return false;
  }
  close(fd);
  return true;
}

bool HeldFolder::Rename(const QString& from, const QString& to, QString* err) const {
  if (renameat(fd_, Name(from).constData(), fd_, Name(to).constData()) == 0) return true;
  *err = ErrnoText(errno);
  return false;
}

bool HeldFolder::Remove(const QString& name) const {
  return unlinkat(fd_, Name(name).constData(), 0) == 0;
}

void HeldFolder::TakeOverAttributes(const QString& from, const QString& to) const {
  struct stat old;
  if (fstatat(fd_, Name(from).constData(), &old, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(old.st_mode))
    return;
  const int fd = openat(fd_, Name(to).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  // The owner first: a change of owner may clear permission bits.
  if (fchown(fd, old.st_uid, old.st_gid) != 0) {
    [[maybe_unused]] const int group_only = fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  }
  fchmod(fd, (old.st_mode & 0777) | S_IWUSR);
  close(fd);
}

bool HeldFolder::MakeOwnerWritable(const QString& name, mode_t* old_mode, QString* err) const {
  struct stat st;
  if (fstatat(fd_, Name(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
      (st.st_mode & S_IWUSR) != 0)
    return false;
  const int fd = openat(fd_, Name(name).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 || fchmod(fd, (st.st_mode & 07777) | S_IWUSR) != 0) {
    *err = ErrnoText(errno);
    if (fd >= 0) close(fd);
    return false;
  }
  close(fd);
  *old_mode = st.st_mode & 07777;
  return true;
}

void HeldFolder::SetMode(const QString& name, mode_t mode) const {
  const int fd = openat(fd_, Name(name).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  fchmod(fd, mode);
  close(fd);
}

bool HeldFolder::Flush(const QString& name) const {
  const int fd = openat(fd_, Name(name).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = fsync(fd) == 0;
  close(fd);
  return flushed;
}

// A new file beside `name`, filled by `fill`, flushed and renamed over `name`.
// What is at `name` must be a regular file or nothing.
static bool ReplaceThrough(const HeldFolder& folder, const QString& name,
                           const std::function<bool(int fd, QString* err)>& fill, QString* err) {
  const HeldFolder::Kind kind = folder.KindOf(name);
  if (kind != HeldFolder::Kind::Regular && kind != HeldFolder::Kind::Missing) {
    *err = kind == HeldFolder::Kind::Link ? QStringLiteral("it is a symbolic link")
           : kind == HeldFolder::Kind::Folder
               ? QStringLiteral("it is a folder")
               : QStringLiteral("it is a device, a pipe or a socket");
    return false;
  }
  const QString temporary = TemporaryName(QStringLiteral(".quillon-copy-"));
  if (!folder.CreateNew(temporary, err)) return false;
  const int fd =
      openat(folder.Descriptor(), Name(temporary).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  bool ok = fd >= 0 && fill(fd, err);
  if (fd >= 0 && ok && fsync(fd) != 0) {
    *err = ErrnoText(errno);
    ok = false;
  }
  if (fd >= 0) close(fd);
  if (ok && kind == HeldFolder::Kind::Regular) folder.TakeOverAttributes(name, temporary);
  if (ok && folder.Rename(temporary, name, err)) return true;
  if (err->isEmpty()) *err = ErrnoText(errno);
  folder.Remove(temporary);
  return false;
}

bool HeldFolder::CopyIn(const QString& source, const QString& name, QString* err) const {
  const int in =
      open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (in < 0) {
    *err = ErrnoText(errno);
    return false;
  }
  struct stat st;
  if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    *err = QStringLiteral("the file to copy is not a regular file");
    close(in);
    return false;
  }
  const bool copied = ReplaceThrough(
      *this, name,
      [in](int out, QString* why) {
        char buffer[65536];
        for (;;) {
          const ssize_t n = read(in, buffer, sizeof buffer);
          if (n < 0 && errno == EINTR) continue;
          if (n == 0) return true;
          if (n < 0 || !WriteAll(out, buffer, static_cast<size_t>(n))) {
            *why = ErrnoText(errno);
            return false;
          }
        }
      },
      err);
  close(in);
  return copied;
}

bool HeldFolder::WriteIn(const QByteArray& bytes, const QString& name, QString* err) const {
  return ReplaceThrough(
      *this, name,
      [&bytes](int out, QString* why) {
        if (WriteAll(out, bytes.constData(), static_cast<size_t>(bytes.size()))) return true;
        *why = ErrnoText(errno);
        return false;
      },
      err);
}

}  // namespace quillon
