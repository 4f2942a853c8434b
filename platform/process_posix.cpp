#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace quillon {
namespace {

constexpr size_t kMaxStderrBytes = 64 * 1024;

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string CurrentDirectory() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> folders;
  size_t start = 0;
  for (;;) {
    const size_t colon = path.find(':', start);
    folders.push_back(path.substr(start, colon - start));
    if (colon == std::string::npos) return folders;
    start = colon + 1;
  }
}

std::vector<char*> ArgvPointers(std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  pointers.reserve(argv.size() + 1);
  for (auto& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  return pointers;
}

/// Collects what a child writes to its standard error pipe, up to
/// kMaxStderrBytes (the rest is read and dropped, so that the child never
/// blocks on a full pipe). Owns the pipe's read end.
class StderrReader {
 public:
  StderrReader(int fd, std::string* text) : fd_(fd), text_(text) {}
  ~StderrReader() { Close(); }
  StderrReader(const StderrReader&) = delete;
  StderrReader& operator=(const StderrReader&) = delete;

  /// The descriptor to poll, or -1 once the pipe has reached its end.
  int fd() const { return fd_; }

  /// Reads what one poll reported; closes the pipe at its end.
  void ReadSome() {
    char buffer[4096];
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      Keep(buffer, static_cast<size_t>(n));
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
      Close();
    }
  }

  /// Takes what is left in the pipe without waiting: the child has ended, and
  /// whatever it wrote is there, but a process it left behind may still hold
  /// the pipe open, and the run must not wait for that one.
  void Drain() {
    if (fd_ < 0) return;
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
    while (fd_ >= 0) {
      char buffer[4096];
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n > 0) {
        Keep(buffer, static_cast<size_t>(n));
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        Close();
      }
    }
  }

 private:
  void Keep(const char* data, size_t n) {
    const size_t room = kMaxStderrBytes - std::min(kMaxStderrBytes, text_->size());
    text_->append(data, std::min(room, n));
  }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  int fd_;
  std::string* text_;
};

int OpenPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  errno = ENOSYS;
  return -1;
#endif
}

/// One wait for one child. A pidfd makes the end of the child an event that
/// poll reports together with the child's standard error, so the wait wakes
/// the moment the child ends. Kernels without pidfds (before Linux 5.3) get a
/// short poll timeout instead, growing from 1 ms to 10 ms; no signal handler
/// is involved either way.
class ChildWatch {
 public:
  using Clock = std::chrono::steady_clock;

  ChildWatch(pid_t pid, int timeout_ms, const std::function<void()>& idle)
      : pid_(pid), timeout_ms_(timeout_ms), idle_(idle) {}
  ~ChildWatch() {
    if (pidfd_ >= 0) close(pidfd_);
  }
  ChildWatch(const ChildWatch&) = delete;
  ChildWatch& operator=(const ChildWatch&) = delete;

  /// Waits, reading `reader` (may be null) meanwhile; fills `wait_status`
  /// (may be null) when the child ended.
  WaitOutcome Run(StderrReader* reader, int* wait_status);

 private:
  enum class ChildState { kRunning, kReaped, kNotOurs };

  /// Reaps the child if it has ended, without waiting.
  ChildState TryReap(int* status);
  int PollTimeout(Clock::time_point now) const;
  /// One poll: wakes when the child ends, writes to standard error, or the
  /// next deadline comes; then tries to reap it.
  ChildState PollOnce(StderrReader* reader, int* status);
  /// Between polls: runs the idle work when it is due; false once the
  /// timeout has passed.
  bool KeepWaiting();

  pid_t pid_;
  int timeout_ms_;
  const std::function<void()>& idle_;
  int pidfd_ = -1;
  Clock::time_point deadline_;
  Clock::time_point next_idle_;
  int fallback_ms_ = 1;
};

ChildWatch::ChildState ChildWatch::TryReap(int* status) {
  for (;;) {
    const pid_t r = waitpid(pid_, status, WNOHANG);
    if (r == pid_) return ChildState::kReaped;
    if (r == 0) return ChildState::kRunning;
    if (errno != EINTR) return ChildState::kNotOurs;
  }
}

int ChildWatch::PollTimeout(Clock::time_point now) const {
  using std::chrono::ceil;
  using std::chrono::milliseconds;
  int wait = -1;
  auto lower = [&wait](long long ms) {
    const int bounded = static_cast<int>(std::clamp<long long>(ms, 0, INT32_MAX));
    wait = wait < 0 ? bounded : std::min(wait, bounded);
  };
  if (timeout_ms_ >= 0) lower(ceil<milliseconds>(deadline_ - now).count());
  if (idle_) lower(ceil<milliseconds>(next_idle_ - now).count());
  if (pidfd_ < 0) lower(fallback_ms_);
  return wait;
}

ChildWatch::ChildState ChildWatch::PollOnce(StderrReader* reader, int* status) {
  pollfd fds[2];
  nfds_t count = 0;
  if (pidfd_ >= 0) fds[count++] = {pidfd_, POLLIN, 0};
  if (reader && reader->fd() >= 0) fds[count++] = {reader->fd(), POLLIN, 0};
  const int ready = poll(fds, count, PollTimeout(Clock::now()));
  if (ready < 0 && errno != EINTR && pidfd_ >= 0) {
    close(pidfd_);  // out of kernel memory, say: go on with short timeouts
    pidfd_ = -1;
  }
  for (nfds_t i = 0; ready > 0 && i < count; ++i) {
    if (fds[i].fd != pidfd_ && fds[i].revents != 0) reader->ReadSome();
  }
  return TryReap(status);
}

bool ChildWatch::KeepWaiting() {
  if (pidfd_ < 0) fallback_ms_ = std::min(fallback_ms_ * 2, 10);
  const Clock::time_point now = Clock::now();
  if (timeout_ms_ >= 0 && now >= deadline_) return false;
  if (idle_ && now >= next_idle_) {
    idle_();
    next_idle_ = std::max(next_idle_ + std::chrono::milliseconds(kIdleIntervalMs),
                          Clock::now() + std::chrono::milliseconds(kIdleIntervalMs / 2));
  }
  return true;
}

WaitOutcome ChildWatch::Run(StderrReader* reader, int* wait_status) {
  if (pid_ <= 0) return WaitOutcome::kNotAChild;
  int status = 0;
  ChildState state = TryReap(&status);
  if (state == ChildState::kRunning) {
    // Only now is the pid known to be our child, which keeps it from being
    // reused until it is reaped: the pidfd names the right process.
    pidfd_ = OpenPidfd(pid_);
    const Clock::time_point start = Clock::now();
    deadline_ = start + std::chrono::milliseconds(std::max(timeout_ms_, 0));
    next_idle_ = start + std::chrono::milliseconds(kIdleIntervalMs);
  }
  while (state == ChildState::kRunning) {
    state = PollOnce(reader, &status);
    if (state == ChildState::kRunning && !KeepWaiting()) return WaitOutcome::kTimedOut;
  }
  if (state == ChildState::kNotOurs) return WaitOutcome::kNotAChild;
  if (reader) reader->Drain();
  if (wait_status) *wait_status = status;
  return WaitOutcome::kEnded;
}

}  // namespace

std::string FindProgram(const std::string& name, const std::string& program_folder) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  std::vector<std::string> folders = {program_folder};
  if (const char* path = std::getenv("PATH")) {
    // An empty or relative entry would stand for the working directory (or a
    // folder below it): such entries are skipped.
    for (const std::string& folder : SplitPath(path)) {
      if (!folder.empty() && folder.front() == '/') folders.push_back(folder);
    }
  }
  for (const auto& folder : folders) {
    if (folder.empty()) continue;
    std::string candidate = JoinPath(folder, name);
    // The child may start in another folder: name the program absolutely.
    if (candidate.front() != '/') candidate = JoinPath(CurrentDirectory(), candidate);
    if (IsExecutableFile(candidate)) return candidate;
  }
  return {};
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& program_folder,
            const std::string& working_dir, int* stderr_fd, std::string* err, bool own_group,
            const std::vector<std::string>& extra_environment) {
  if (argv.empty()) {
    *err = "empty command line";
    return -1;
  }
  std::string program = FindProgram(argv[0], program_folder);
  if (program.empty()) {
    errno = ENOENT;
    *err = "program not found: " + argv[0];
    return -1;
  }
  int pipe_fds[2] = {-1, -1};
  if (stderr_fd && pipe2(pipe_fds, O_CLOEXEC) != 0) {
    *err = std::string("cannot create a pipe: ") + std::strerror(errno);
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (stderr_fd) posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
  if (!working_dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, working_dir.c_str());

  std::vector<std::string> args = argv;
  std::vector<char*> pointers = ArgvPointers(args);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (own_group) {
    // A Ctrl+C that reaches the child in the instant before it leaves the
    // group would still end it: it keeps SIGINT blocked from the start.
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    sigaddset(&mask, SIGINT);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &mask);
  }
  pid_t pid = -1;
  std::vector<std::string> environment_strings(extra_environment);
  std::vector<char*> environment;
  for (char** entry = environ; *entry; ++entry) environment.push_back(*entry);
  for (std::string& entry : environment_strings) environment.push_back(entry.data());
  environment.push_back(nullptr);
  int rc = posix_spawn(&pid, program.c_str(), &actions, &attributes, pointers.data(),
                       environment.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (stderr_fd) close(pipe_fds[1]);
  if (rc != 0) {
    if (stderr_fd) close(pipe_fds[0]);
    errno = rc;
    *err = "cannot start " + program + ": " + std::strerror(rc);
    return -1;
  }
  if (stderr_fd) *stderr_fd = pipe_fds[0];
  return pid;
}

WaitOutcome AwaitChild(pid_t pid, int timeout_ms, int* wait_status,
                       const std::function<void()>& idle) {
  return ChildWatch(pid, timeout_ms, idle).Run(nullptr, wait_status);
}

bool WaitForProcess(pid_t pid, int timeout_ms, int* wait_status,
                    const std::function<void()>& idle) {
  return AwaitChild(pid, timeout_ms, wait_status, idle) != WaitOutcome::kNotAChild;
}

ProcessOutcome RunProcess(const std::vector<std::string>& argv, const std::string& program_folder,
                          const std::string& working_dir, const std::function<void()>& idle,
                          const std::vector<std::string>& extra_environment) {
  ProcessOutcome outcome;
  int err_fd = -1;
  // A process group of its own: a Ctrl+C on the terminal stops Quillon
  // after the file in progress (it catches the signal) instead of killing
  // the tool halfway through that file.
  pid_t pid =
      Spawn(argv, program_folder, working_dir, &err_fd, &outcome.error, true, extra_environment);
  if (pid < 0) {
    outcome.spawn_errno = errno;
    return outcome;
  }
  outcome.started = true;
  StderrReader reader(err_fd, &outcome.stderr_text);
  int status = 0;
  if (ChildWatch(pid, -1, idle).Run(&reader, &status) != WaitOutcome::kEnded) {
    outcome.error = "lost track of the process";
    return outcome;
  }
  if (WIFEXITED(status)) {
    outcome.exited = true;
    outcome.exit_status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.term_signal = WTERMSIG(status);
  }
  return outcome;
}

bool StartDetached(const std::vector<std::string>& argv, std::string* err) {
  pid_t pid = Spawn(argv, std::string(), std::string(), nullptr, err);
  if (pid < 0) return false;
  std::thread([pid] {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace quillon
