#include "tools/wavcat/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace quillon::wavcat {

namespace {

constexpr size_t kBufferSize = size_t{1} << 20;
constexpr char kTempPrefix[] = ".wavcat-";
constexpr char kTempSuffix[] = ".tmp";
constexpr size_t kTempRandomLength = 6;
// Pieces at least this long are copied by the kernel (copy_file_range); shorter ones, such as
// the clips of a TTY prompt, are gathered in the buffer and written together.
constexpr uint64_t kKernelCopyMin = uint64_t{1} << 18;
// Every this many bytes written, disk writeback of them is started, so that the final fsync
// finds most of the file already on its way.
constexpr uint64_t kWritebackStep = uint64_t{8} << 20;

// The temporary file a signal handler removes. Written only while no handler can run on it
// half-way: the flag is set after the path is complete and cleared before it changes.
char g_temp_path[4096];
volatile sig_atomic_t g_temp_live = 0;

extern "C" void RemoveTempAndDie(int sig) {
  if (g_temp_live) unlink(g_temp_path);
  signal(sig, SIG_DFL);
  raise(sig);
}

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

/// Makes the cleanup signals remove the temporary file (unless the caller ignores them) and
/// a file size limit fail the write (and so the run) instead of killing the process.
void InstallSignalHandlers() {
  for (int sig : kCleanupSignals) {
    struct sigaction action = {};
    if (sigaction(sig, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
    action = {};
    action.sa_handler = RemoveTempAndDie;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
  }
  signal(SIGXFSZ, SIG_IGN);
}

/// Blocks the cleanup signals while alive, so that a temporary file is never created
/// without the handler knowing its name.
class CleanupSignalsBlocked {
 public:
  CleanupSignalsBlocked() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kCleanupSignals) sigaddset(&set, sig);
    sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~CleanupSignalsBlocked() { sigprocmask(SIG_SETMASK, &old_, nullptr); }

 private:
  sigset_t old_;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ErrnoText(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

/// The mode of the file that replaces one of mode `old`: the same permissions (set-id and
/// sticky bits dropped), and writable by its owner, who has just rewritten it.
mode_t ReplacementMode(mode_t old) {
  return (old & 0777) | S_IWUSR;
}

std::string RandomLetters() {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[kTempRandomLength];
  if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    // No entropy yet (early boot): O_EXCL still keeps names apart; vary them by the clock.
    const auto seed = static_cast<unsigned long>(clock()) ^ static_cast<unsigned long>(getpid());
    for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(seed >> i);
  }
  std::string letters;
  for (unsigned char b : bytes) letters += kAlphabet[b % (sizeof kAlphabet - 1)];
  return letters;
}

/// Whether this run names its temporary file from the start (see OutputFile).
bool NamedTemporaryWanted() {
  const char* named = std::getenv("WAVCAT_NAMED_TEMPORARY");
  return (named && *named && std::strcmp(named, "0") != 0) || access("/proc/self/fd", X_OK) != 0;
}

/// Creates a new temporary file in `folder`; its path goes to `path`.
int CreateTemporary(const std::string& folder, std::string* path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *path = folder + "/" + TemporaryName(getpid(), RandomLetters());
    const int fd = open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::string TemporaryName(pid_t pid, const std::string& random) {
  return kTempPrefix + std::to_string(pid) + "-" + random + kTempSuffix;
}

pid_t TemporaryOwner(const std::string& name) {
  const size_t prefix = sizeof kTempPrefix - 1;
  const size_t suffix = sizeof kTempSuffix - 1;
  if (name.size() < prefix + 2 + kTempRandomLength + suffix ||
      name.compare(0, prefix, kTempPrefix) != 0 ||
      name.compare(name.size() - suffix, suffix, kTempSuffix) != 0) {
    return 0;
  }
  const size_t dash = name.size() - suffix - kTempRandomLength - 1;
  if (name[dash] != '-' || dash == prefix || dash - prefix > 9) return 0;
  for (size_t i = dash + 1; i < dash + 1 + kTempRandomLength; ++i) {
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return 0;
  }
  pid_t pid = 0;
  for (size_t i = prefix; i < dash; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    pid = pid * 10 + (name[i] - '0');
  }
  return pid;
}

void RemoveStaleTemporaries(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  const int dir_fd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    const pid_t owner = TemporaryOwner(entry->d_name);
    if (owner <= 0 || owner == getpid()) continue;
    // EPERM: the process lives, under another user. Only a process that is gone is stale.
    if (kill(owner, 0) == 0 || errno != ESRCH) continue;
    struct stat st;
    if (fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
      unlinkat(dir_fd, entry->d_name, 0);  // a file that cannot go stays; the run goes on
    }
  }
  closedir(dir);
}

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Create(const std::string& target, std::string* err) {
  Discard();
  target_ = target;
  folder_ = FolderOf(target);
  if (folder_.size() + 64 >= sizeof g_temp_path) {
    *err = "the output path is too long";
    return false;
  }
  struct stat st;
  replaces_ = stat(target.c_str(), &st) == 0 && st.st_size > 0;
  InstallSignalHandlers();
  if (!NamedTemporaryWanted()) {
    // A file without a name: a run killed by any signal leaves nothing behind, and no folder
    // has to be searched for what earlier runs left.
    fd_ = open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  }
  if (fd_ < 0) {
    // The file system cannot make one (or this run was asked not to): a named temporary,
    // after the named ones of runs that were killed.
    RemoveStaleTemporaries(folder_);
    const CleanupSignalsBlocked blocked;
    std::string name;
    fd_ = CreateTemporary(folder_, &name);
    if (fd_ < 0) {
      *err = ErrnoText("cannot create a temporary file in '" + folder_ + "'");
      return false;
    }
    NameTemporary(name);
  }
  buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
  buffered_ = 0;
  written_ = 0;
  writeback_start_ = 0;
  return true;
}

void OutputFile::NameTemporary(const std::string& name) {
  temp_ = name;
  std::memcpy(g_temp_path, temp_.c_str(), temp_.size() + 1);
  g_temp_live = 1;
}

bool OutputFile::LinkTemporary(std::string* err) {
  const std::string fd_path = "/proc/self/fd/" + std::to_string(fd_);
  const CleanupSignalsBlocked blocked;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = folder_ + "/" + TemporaryName(getpid(), RandomLetters());
    if (linkat(AT_FDCWD, fd_path.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      NameTemporary(name);
      return true;
    }
    if (errno != EEXIST) break;
  }
  *err = ErrnoText("cannot give the new file a name in '" + folder_ + "'");
  return false;
}

bool OutputFile::WriteAll(const char* data, size_t n, std::string* err) {
  while (n > 0) {
    const ssize_t done = write(fd_, data, n);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) {
      *err = ErrnoText("write error");
      return false;
    }
    data += done;
    n -= static_cast<size_t>(done);
    Written(static_cast<uint64_t>(done));
  }
  return true;
}

void OutputFile::Written(uint64_t n) {
  written_ += n;
  // Only a file that is flushed at the end gains from an early start of its writeback.
  if (!replaces_ || written_ - writeback_start_ < kWritebackStep) return;
  // Only a hint: an error here shows again at fsync.
  sync_file_range(fd_, static_cast<off_t>(writeback_start_),
                  static_cast<off_t>(written_ - writeback_start_), SYNC_FILE_RANGE_WRITE);
  writeback_start_ = written_;
}

bool OutputFile::Flush(std::string* err) {
  if (buffered_ == 0) return true;
  const size_t n = buffered_;
  buffered_ = 0;
  return WriteAll(buffer_.get(), n, err);
}

bool OutputFile::Write(const void* data, size_t n, std::string* err) {
  const char* bytes = static_cast<const char*>(data);
  while (n > 0) {
    if (buffered_ == kBufferSize && !Flush(err)) return false;
    const size_t take = std::min(n, kBufferSize - buffered_);
    std::memcpy(buffer_.get() + buffered_, bytes, take);
    buffered_ += take;
    bytes += take;
    n -= take;
  }
  return true;
}

bool OutputFile::CopyInKernel(int fd, uint64_t* offset, uint64_t* length) {
  while (kernel_copy_ok_ && *length > 0) {
    auto in_offset = static_cast<off_t>(*offset);
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(*length, uint64_t{1} << 30));
    const ssize_t done = copy_file_range(fd, &in_offset, fd_, nullptr, chunk, 0);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      // Not supported here, or a fault the buffered copy can tell apart: read or write.
      kernel_copy_ok_ = false;
      break;
    }
    *offset += static_cast<uint64_t>(done);
    *length -= static_cast<uint64_t>(done);
    Written(static_cast<uint64_t>(done));
  }
  return *length == 0;
}

bool OutputFile::CopyThroughBuffer(int fd, uint64_t offset, uint64_t length, bool* input_failed,
                                   std::string* err) {
  while (length > 0) {
    if (buffered_ == kBufferSize && !Flush(err)) return false;
    const size_t room = std::min<uint64_t>(length, kBufferSize - buffered_);
    const ssize_t got = pread(fd, buffer_.get() + buffered_, room, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      *input_failed = true;
      *err = got < 0 ? ErrnoText("read error") : "the file ended early (changed while joining?)";
      return false;
    }
    buffered_ += static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
    length -= static_cast<uint64_t>(got);
  }
  return true;
}

bool OutputFile::CopyFrom(int fd, uint64_t offset, uint64_t length, bool* input_failed,
                          std::string* err) {
  *input_failed = false;
  if (length >= kKernelCopyMin && kernel_copy_ok_) {
    if (!Flush(err)) return false;
    if (CopyInKernel(fd, &offset, &length)) return true;
  }
  return CopyThroughBuffer(fd, offset, length, input_failed, err);
}

bool OutputFile::Commit(std::string* err) {
  if (!Flush(err)) return false;
  // Looked at again now: the target may have come or gone since Create.
  struct stat old;
  const bool replaces = stat(target_.c_str(), &old) == 0;
  // A replaced file keeps its owner and group where this process may set them
  // (its group alone, when only that is allowed): a server that reads its
  // prompts through their group must still read the new one. Before the mode,
  // which a change of owner may clear.
  if (replaces && fchown(fd_, old.st_uid, old.st_gid) != 0) {
    [[maybe_unused]] const int group_only = fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
  }
  if (fchmod(fd_, replaces ? ReplacementMode(old.st_mode) : NewFileMode()) != 0) {
    *err = ErrnoText("cannot set the permissions of the new file");
    return false;
  }
  // An empty file has nothing a crash could lose: it is replaced without a flush.
  if (replaces && old.st_size > 0 && fsync(fd_) != 0) {
    *err = ErrnoText("cannot flush the new file to disk");
    return false;
  }
  // A file without a name gets one beside the target first: rename then replaces the target
  // in one step, as it does for a named temporary.
  if (temp_.empty() && !LinkTemporary(err)) return false;
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) {
    *err = ErrnoText("cannot close the new file");
    return false;
  }
  if (rename(temp_.c_str(), target_.c_str()) != 0) {
    *err = ErrnoText("cannot replace the output");
    return false;
  }
  g_temp_live = 0;
  temp_.clear();
  return true;
}

void OutputFile::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) {
    unlink(temp_.c_str());
    g_temp_live = 0;
    temp_.clear();
  }
}

}  // namespace quillon::wavcat
