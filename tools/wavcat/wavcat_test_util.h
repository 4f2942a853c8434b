// Helpers for the wavcat tests: a scratch folder and a run of the real wavcat program; WAV
// files are built byte by byte with the helpers of tools/wav.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/wav/wav_test_bytes.h"

namespace quillon::wavcat::testing {

using wav::testing::Append16;
using wav::testing::Append32;
using wav::testing::Bytes;
using wav::testing::Chunk;
using wav::testing::Concat;
using wav::testing::ExtensibleFmtBody;
using wav::testing::FmtBody;
using wav::testing::Pattern;
using wav::testing::Pcm16Wav;
using wav::testing::Riff;
using wav::testing::SimpleWav;

/// A scratch folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  /// The names in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

/// The outcome of one run of the wavcat program.
struct RunResult {
  int status = -1;  ///< exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

/// How long a test lets one wavcat run take before it kills it and reports status -1.
inline constexpr int kRunTimeoutSeconds = 60;

/// Runs the real wavcat (WAVCAT_PATH) with `args` in folder `cwd`, directly (no shell).
/// `file_size_limit` sets RLIMIT_FSIZE in the child, to make writes fail. A run that has not
/// ended after `timeout_seconds` is killed: a hang fails the test instead of stalling it.
RunResult RunWavcatProgram(const std::vector<std::string>& args, const std::string& cwd,
                           std::optional<rlim_t> file_size_limit = {},
                           int timeout_seconds = kRunTimeoutSeconds);

/// Starts the real wavcat with `args` in folder `cwd`, output discarded; returns its pid.
pid_t StartWavcatProgram(const std::vector<std::string>& args, const std::string& cwd);

}  // namespace quillon::wavcat::testing
