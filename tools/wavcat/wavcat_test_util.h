// Helpers for the wavcat tests: WAV files built byte by byte, a scratch folder, and a run of
// the real wavcat program.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::wavcat::testing {

using Bytes = std::vector<unsigned char>;

void Append16(Bytes* out, uint32_t v);
void Append32(Bytes* out, uint32_t v);
Bytes Concat(const std::vector<Bytes>& parts);

/// A chunk: id, size (the body's length unless `claimed` is given), body, and a pad byte after
/// an odd body unless `pad` is false.
Bytes Chunk(const std::string& id, const Bytes& body, std::optional<uint32_t> claimed = {},
            bool pad = true);

/// A plain fmt chunk body (16 bytes, or 18 with cbSize 0 when `cb_size` is set). A block align
/// of 0 in `block_align` is given as is; leave it unset for channels times bytes per sample.
Bytes FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
              std::optional<uint16_t> block_align = {}, bool cb_size = false);

/// A WAVE_FORMAT_EXTENSIBLE fmt chunk body (40 bytes) for subformat `subtag`.
Bytes ExtensibleFmtBody(uint16_t subtag, uint16_t channels, uint32_t rate, uint16_t bits,
                        uint16_t valid_bits, uint32_t mask);

/// "RIFF", a size (the true one unless `claimed` is given), "WAVE", then the chunks.
Bytes Riff(const std::vector<Bytes>& chunks, std::optional<uint32_t> claimed = {});

/// A file with a fmt chunk and a data chunk.
Bytes SimpleWav(const Bytes& fmt_body, const Bytes& data);

/// A 16-bit mono 8 kHz PCM file holding `samples`.
Bytes Pcm16Wav(const std::vector<int16_t>& samples, uint32_t rate = 8000);

/// `n` bytes of a pattern that differs from file to file (`seed`).
Bytes Pattern(size_t n, unsigned seed);

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
