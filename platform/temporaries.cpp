#include "platform/temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <memory>
#include "platform/file_system.h"

namespace quillon {
namespace {

constexpr int kRandomLetters = 6;

bool IsAlive(qint64 pid) {
  // EPERM: the process lives, under another user.
  return pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}

}  // namespace

QString TemporaryName(const QString& prefix, const QString& suffix) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  QString random;
  for (int i = 0; i < kRandomLetters; ++i)
    random += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int{sizeof kLetters} - 1)]);
  return prefix + QString::number(getpid()) + QLatin1Char('-') + random + suffix;
}

qint64 TemporaryOwner(const QString& name, const QString& prefix) {
  if (!name.startsWith(prefix)) return 0;
  const qsizetype dash = name.indexOf(QLatin1Char('-'), prefix.size());
  if (dash <= prefix.size() || name.size() < dash + 1 + kRandomLetters) return 0;
  bool ok = false;
  const qint64 pid = name.mid(prefix.size(), dash - prefix.size()).toLongLong(&ok);
  return ok && pid > 0 ? pid : 0;
}

void RemoveStaleTemporaries(const QString& folder, const QString& prefix) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(QFile::encodeName(folder).constData()), closedir);
  if (!dir) return;
  const QByteArray start = QFile::encodeName(prefix);
  while (const dirent* entry = readdir(dir.get())) {
    if (std::strncmp(entry->d_name, start.constData(), static_cast<size_t>(start.size())) != 0)
      continue;
    const QString name = QFile::decodeName(entry->d_name);
    const qint64 owner = TemporaryOwner(name, prefix);
    if (owner <= 0 || owner == getpid() || IsAlive(owner)) continue;
    struct stat st;
    if (fstatat(dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode)) {
      unlinkat(dirfd(dir.get()), entry->d_name, 0);
    } else if (S_ISDIR(st.st_mode) && st.st_uid == geteuid()) {
      QDir(JoinPath(folder, name)).removeRecursively();
    }
  }
}

}  // namespace quillon
