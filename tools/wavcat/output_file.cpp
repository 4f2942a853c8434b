#include "tools/wavcat/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace quillon::wavcat {

namespace {

constexpr size_t kBufferSize = size_t{1} << 20;
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

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // the rename has happened; a folder that cannot be synced changes nothing
  close(fd);
}

}  // namespace

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Create(const std::string& target, std::string* err) {
  Discard();
  target_ = target;
  std::string name = FolderOf(target) + "/.wavcat-XXXXXX.tmp";
  if (name.size() >= sizeof g_temp_path) {
    *err = "the output path is too long";
    return false;
  }
  InstallSignalHandlers();
  const CleanupSignalsBlocked blocked;
  fd_ = mkostemps(name.data(), 4, O_CLOEXEC);
  if (fd_ < 0) {
    *err = ErrnoText("cannot create a temporary file in '" + FolderOf(target) + "'");
    return false;
  }
  temp_ = name;
  std::memcpy(g_temp_path, temp_.c_str(), temp_.size() + 1);
  g_temp_live = 1;
  buffer_.resize(kBufferSize);
  buffered_ = 0;
  written_ = 0;
  writeback_start_ = 0;
  return true;
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
  if (written_ - writeback_start_ < kWritebackStep) return;
  // Only a hint: an error here shows again at fsync.
  sync_file_range(fd_, static_cast<off_t>(writeback_start_),
                  static_cast<off_t>(written_ - writeback_start_), SYNC_FILE_RANGE_WRITE);
  writeback_start_ = written_;
}

bool OutputFile::Flush(std::string* err) {
  if (buffered_ == 0) return true;
  const size_t n = buffered_;
  buffered_ = 0;
  return WriteAll(buffer_.data(), n, err);
}

bool OutputFile::Write(const void* data, size_t n, std::string* err) {
  const char* bytes = static_cast<const char*>(data);
  while (n > 0) {
    if (buffered_ == buffer_.size() && !Flush(err)) return false;
    const size_t take = std::min(n, buffer_.size() - buffered_);
    std::memcpy(buffer_.data() + buffered_, bytes, take);
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
    if (buffered_ == buffer_.size() && !Flush(err)) return false;
    const size_t room = std::min<uint64_t>(length, buffer_.size() - buffered_);
    const ssize_t got = pread(fd, buffer_.data() + buffered_, room, static_cast<off_t>(offset));
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
  if (fchmod(fd_, NewFileMode()) != 0) {
    *err = ErrnoText("cannot set the permissions of the new file");
    return false;
  }
  if (fsync(fd_) != 0) {
    *err = ErrnoText("cannot flush the new file to disk");
    return false;
  }
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
  SyncFolder(FolderOf(target_));
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
