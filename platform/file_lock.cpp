#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "platform/file_system.h"

namespace quillon {

bool FileLock::Acquire(const QString& path, Mode mode, bool wait, QString* err) {
  Release();
  busy_ = false;
  const QByteArray name = QFile::encodeName(path);
  // A folder opens read-only; a file read-only too, created when missing.
  int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT)
    fd = ::open(name.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    *err =
        QStringLiteral("cannot open ") + path + QStringLiteral(" to lock it: ") + ErrnoText(errno);
    return false;
  }
  const int operation = (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | (wait ? 0 : LOCK_NB);
  int result;
  do {
    result = ::flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    busy_ = errno == EWOULDBLOCK;
    *err = QStringLiteral("cannot lock ") + path + QStringLiteral(": ") + ErrnoText(errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void FileLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the descriptor lets go of the lock
  fd_ = -1;
}

}  // namespace quillon
