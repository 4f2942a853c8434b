#include "tools/test_support/test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quillon::tools::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "quillon-tools-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const fs::path& path) {
  const Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::string Slurp(FILE* file) {
  std::string text;
  if (!file) return text;
  std::rewind(file);
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) text.append(buf, n);
  std::fclose(file);
  return text;
}

}  // namespace

RunResult RunProgram(const std::vector<std::string>& argv, const RunOptions& options) {
  RunResult result;
  std::vector<std::string> storage = argv;
  const std::vector<char*> args = Pointers(storage);
  // The outputs go to unnamed files, so that nothing here has to drain a pipe.
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  if (!out || !err || argv.empty()) {
    Slurp(out);
    Slurp(err);
    result.err = "cannot run " + (argv.empty() ? std::string("nothing") : argv[0]) + "\n";
    return result;
  }
  // Made before the fork: the child only calls what is safe between fork and exec.
  const std::string failed = "cannot start " + argv[0] + "\n";
  const pid_t pid = fork();
  if (pid == 0) {
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
    dup2(fileno(out), STDOUT_FILENO);
    dup2(fileno(err), STDERR_FILENO);
    if (options.file_size_limit) {
      const struct rlimit limit = {*options.file_size_limit, *options.file_size_limit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    execv(args[0], args.data());
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, failed.data(), failed.size());
    _exit(127);
  }
  int status = 0;
  bool timed_out = false;
  if (pid > 0) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        timed_out = true;
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        break;
      }
      usleep(2000);
    }
    if (!timed_out && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  }
  result.out = Slurp(out);
  result.err = Slurp(err);
  if (pid < 0) result.err += failed;
  if (timed_out) result.err += "(killed: still running after the test's time limit)\n";
  return result;
}

pid_t StartProgram(const std::vector<std::string>& argv, const fs::path& cwd) {
  std::vector<std::string> storage = argv;
  const std::vector<char*> args = Pointers(storage);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (chdir(cwd.c_str()) != 0 || null < 0) _exit(126);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

}  // namespace quillon::tools::testing
