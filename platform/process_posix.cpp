#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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

std::vector<char*> ArgvPointers(std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (auto& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  return pointers;
}

void DrainInto(int fd, std::string* text) {
  char buffer[4096];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      size_t room = kMaxStderrBytes - std::min(kMaxStderrBytes, text->size());
      text->append(buffer, std::min(room, static_cast<size_t>(n)));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;
  }
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  std::vector<std::string> args;
  std::string current;
  bool in_argument = false;
  bool quoted = false;
  for (char c : command_line) {
    if (c == '"') {
      quoted = !quoted;
      in_argument = true;
    } else if (c == ' ' && !quoted) {
      if (in_argument) args.push_back(current);
      current.clear();
      in_argument = false;
    } else {
      current += c;
      in_argument = true;
    }
  }
  if (in_argument) args.push_back(current);
  return args;
}

std::string FindProgram(const std::string& name, const std::string& program_folder) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  std::vector<std::string> folders = {program_folder, CurrentDirectory()};
  if (const char* path = std::getenv("PATH")) {
    std::string all = path;
    size_t start = 0;
    for (;;) {
      size_t colon = all.find(':', start);
      folders.push_back(all.substr(start, colon - start));
      if (colon == std::string::npos) break;
      start = colon + 1;
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

pid_t Shell(const std::vector<std::string>& argv, const std::string& program_folder,
            const std::string& working_dir, int* stderr_fd, std::string* err) {
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
  pid_t pid = -1;
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, pointers.data(), environ);
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

bool WaitForProcess(pid_t pid, int timeout_ms, int* wait_status,
                    const std::function<void()>& idle) {
  if (pid <= 0) return false;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    int status = 0;
    pid_t r = waitpid(pid, &status, (idle || timeout_ms >= 0) ? WNOHANG : 0);
    if (r == pid) {
      if (wait_status) *wait_status = status;
      return true;
    }
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;  // not our child, or already reaped
    }
    if (timeout_ms >= 0 && Clock::now() >= deadline) return true;
    if (idle) idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(idle ? 20 : 2));
  }
}

ProcessOutcome RunProcess(const std::vector<std::string>& argv, const std::string& program_folder,
                          const std::string& working_dir, const std::function<void()>& idle) {
  ProcessOutcome outcome;
  int err_fd = -1;
  pid_t pid = Shell(argv, program_folder, working_dir, &err_fd, &outcome.error);
  if (pid < 0) {
    outcome.spawn_errno = errno;
    return outcome;
  }
  outcome.started = true;
  // Read standard error until the child closes it (normally when it ends),
  // letting the caller repaint meanwhile; then collect the exit status.
  pollfd pfd{err_fd, POLLIN, 0};
  for (;;) {
    int ready = poll(&pfd, 1, idle ? 20 : -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0) {
      char buffer[4096];
      ssize_t n = read(err_fd, buffer, sizeof buffer);
      if (n > 0) {
        size_t room = kMaxStderrBytes - std::min(kMaxStderrBytes, outcome.stderr_text.size());
        outcome.stderr_text.append(buffer, std::min(room, static_cast<size_t>(n)));
        continue;
      }
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      break;  // end of file: the child closed its standard error
    }
    if (ready == 0 && idle) idle();
  }
  DrainInto(err_fd, &outcome.stderr_text);
  close(err_fd);
  int status = 0;
  if (!WaitForProcess(pid, -1, &status, idle)) {
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
  pid_t pid = Shell(argv, std::string(), std::string(), nullptr, err);
  if (pid < 0) return false;
  std::thread([pid] {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace quillon
