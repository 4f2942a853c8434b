// What the tests of the plain tools share: a scratch folder, whole-file reads and writes, and
// runs of a real program. Plain C++ and POSIX, like the tools themselves.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillon::tools::testing {

using Bytes = std::vector<unsigned char>;

/// A fresh folder under the system temporary folder, removed with everything in it when the
/// object goes (read-only or not).
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  /// `name` in the folder, as a string.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  /// The names in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

/// Writes a whole file, replacing what it held; throws std::runtime_error when it cannot.
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
/// Reads a whole file; throws std::runtime_error when it cannot.
Bytes ReadFile(const std::filesystem::path& path);
/// ReadFile, as text.
std::string ReadText(const std::filesystem::path& path);

/// How one run of a program ended, and everything it wrote.
struct RunResult {
  int status = -1;  ///< exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

struct RunOptions {
  /// The working folder of the run; empty for this process's own.
  std::filesystem::path cwd;
  /// RLIMIT_FSIZE in the child, to make its writes fail.
  std::optional<rlim_t> file_size_limit;
  /// A run still going after this long is killed and reports status -1: a hang fails the test
  /// instead of stalling it.
  int timeout_seconds = 120;
};

/// Runs `argv[0]` (a path: no PATH search, no shell) with the rest of `argv` as its arguments,
/// in this process's environment, to its end; collects both outputs.
RunResult RunProgram(const std::vector<std::string>& argv, const RunOptions& options = {});

/// Starts `argv[0]` with the rest of `argv` in folder `cwd`, outputs discarded, and returns its
/// pid without waiting: for the tests that signal a live process. The caller reaps it.
pid_t StartProgram(const std::vector<std::string>& argv, const std::filesystem::path& cwd);

}  // namespace quillon::tools::testing
