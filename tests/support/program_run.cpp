#include "tests/support/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

namespace quillon::test {
namespace {

/// This process's environment with `overrides` ("NAME=value", or "NAME" to
/// remove it) set over it: an overridden name appears once, so every reader
/// sees the new value.
std::vector<std::string> EnvironmentWith(const QStringList& overrides) {
  std::vector<std::string> names;
  std::vector<std::string> entries;
  for (const QString& entry : overrides) {
    const std::string text = QFile::encodeName(entry).toStdString();
    names.push_back(text.substr(0, text.find('=')) + '=');
    if (text.find('=') != std::string::npos) entries.push_back(text);
  }
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view current(*entry);
    const auto named = [&](const std::string& name) {
      return current.substr(0, current.find('=') + 1) == name;
    };
    if (std::none_of(names.begin(), names.end(), named)) entries.emplace_back(current);
  }
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ProgramRun RunProgram(const QString& program, const QStringList& args,
                      const QStringList& environment, const QByteArray& input, int timeout_ms) {
  ProgramOptions options;
  options.environment = environment;
  options.input = input;
  options.timeout_ms = timeout_ms;
  return RunProgram(program, args, options);
}

ProgramRun RunProgram(const QString& program, const QStringList& args,
                      const ProgramOptions& options) {
  const QByteArray& input = options.input;
  const int timeout_ms = options.timeout_ms;
  ProgramRun run;
  // The input waits in a file, so that nothing here has to feed a pipe.
  QTemporaryFile input_file;
  if (!input_file.open() || input_file.write(input) != input.size() || !input_file.flush())
    return run;
  const std::string input_path = QFile::encodeName(input_file.fileName()).toStdString();
  std::vector<std::string> argv{QFile::encodeName(program).toStdString()};
  for (const QString& arg : args) argv.push_back(QFile::encodeName(arg).toStdString());
  std::vector<std::string> env = EnvironmentWith(options.environment);
  const std::string working_dir = QFile::encodeName(options.working_dir).toStdString();
  std::array<int, 2> out_pipe{-1, -1};
  std::array<int, 2> err_pipe{-1, -1};
  if (pipe2(out_pipe.data(), O_CLOEXEC) != 0) return run;
  if (pipe2(err_pipe.data(), O_CLOEXEC) != 0) {
    close(out_pipe[0]);
    close(out_pipe[1]);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, options.merge_outputs ? out_pipe[1] : err_pipe[1],
                                   STDERR_FILENO);
  if (!working_dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, working_dir.c_str());
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv.front().c_str(), &actions, nullptr, Pointers(argv).data(),
                              Pointers(env).data());
  posix_spawn_file_actions_destroy(&actions);
  close(out_pipe[1]);
  close(err_pipe[1]);
  run.started = rc == 0;
  QElapsedTimer clock;
  clock.start();
  std::array<pollfd, 2> fds{pollfd{out_pipe[0], POLLIN, 0}, pollfd{err_pipe[0], POLLIN, 0}};
  std::array<QByteArray*, 2> sinks{&run.out, &run.err};
  bool killed = false;
  while (run.started && (fds[0].fd >= 0 || fds[1].fd >= 0)) {
    const int left = static_cast<int>(timeout_ms - clock.elapsed());
    if (left <= 0 && !killed) {
      kill(pid, SIGKILL);
      killed = true;
    }
    // Once killed, whatever it left behind holding its outputs gets a second.
    const int ready = poll(fds.data(), fds.size(), killed ? 1000 : left);
    if ((ready < 0 && errno != EINTR) || (ready == 0 && killed)) break;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, got);
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
  }
  for (const pollfd& fd : fds)
    if (fd.fd >= 0) close(fd.fd);
  int status = 0;
  if (run.started && waitpid(pid, &status, 0) == pid) {
    run.finished = !killed;
    if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  }
  return run;
}

}  // namespace quillon::test
