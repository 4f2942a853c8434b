// Reading the header of a RIFF/WAVE file: its sample format and where its sample data lies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::wavcat {

/// Format tags, as a fmt chunk gives them and as WAVE_FORMAT_EXTENSIBLE resolves to.
inline constexpr uint16_t kFormatPcm = 0x0001;
inline constexpr uint16_t kFormatIeeeFloat = 0x0003;
inline constexpr uint16_t kFormatAlaw = 0x0006;
inline constexpr uint16_t kFormatMulaw = 0x0007;
inline constexpr uint16_t kFormatExtensible = 0xFFFE;

/// The sample format of a WAV file. `format_tag` is always the resolved tag: for an
/// extensible file it is the tag its subformat GUID stands for, and `extensible` is set.
/// A parsed format has passed every check of ParseWav: a known tag and sample size, at least
/// one channel, a sample rate, and a block align of channels times bytes per sample.
struct WavFormat {
  uint16_t format_tag = 0;
  uint16_t channels = 0;
  uint32_t sample_rate = 0;
  uint16_t block_align = 0;
  uint16_t bits_per_sample = 0;
  bool extensible = false;
  uint16_t valid_bits = 0;    ///< extensible only: the bits of a sample that carry sound
  uint32_t channel_mask = 0;  ///< extensible only: the speaker positions
};

/// What the rest of the program needs of an input: its format and its sample data bytes.
struct WavInfo {
  WavFormat format;
  uint64_t data_offset = 0;
  uint64_t data_size = 0;
  bool data_to_end = false;  ///< the data size was the streaming mark 0xFFFFFFFF
};

/// A file to parse: its size and reads at any offset. FdSource reads an open file,
/// MemorySource a buffer (for tests).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  /// Reads exactly `n` bytes at `offset`; false with `err` filled on an error or a short read.
  virtual bool ReadAt(uint64_t offset, void* buf, size_t n, std::string* err) const = 0;
};

/// Reads an open file descriptor with pread. Does not own the descriptor.
class FdSource : public ByteSource {
 public:
  FdSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buf, size_t n, std::string* err) const override;

 private:
  int fd_;
  uint64_t size_;
};

/// Reads bytes held in memory.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, void* buf, size_t n, std::string* err) const override;

 private:
  std::vector<unsigned char> bytes_;
};

/// Parses a RIFF/WAVE file: walks its chunks (skipping any it does not need and honouring the
/// pad byte after an odd-sized chunk) until it has the first fmt and the first data chunk.
/// Conventions:
///  - A data size of 0xFFFFFFFF that is larger than the rest of the file is the streaming
///    mark: the data runs to the end of the file. A data size of 0 is taken as it stands.
///  - Any other data size larger than the rest of the file is a truncated file.
///  - The RIFF size is not used: files with a wrong RIFF size are common and harmless.
///  - Sample data that is not a whole number of blocks is refused: joined to other audio it
///    would shift every later sample.
/// Returns false with a one-line reason in `err` when the file cannot be used.
bool ParseWav(const ByteSource& src, WavInfo* info, std::string* err);

/// Checks the fields of a fmt chunk body of `size` bytes (at most the first 40 given) and fills
/// `format`. False with a reason in `err` when the format is malformed or not supported.
bool ParseFmtChunk(const unsigned char* body, uint32_t size, WavFormat* format, std::string* err);

/// A short human description, e.g. "16-bit PCM, 1 channel, 8000 Hz".
std::string DescribeFormat(const WavFormat& format);

/// The name of a (resolved) format tag: "PCM", "IEEE float", "A-law", "mu-law".
std::string FormatTagName(uint16_t tag);

/// True when sample data of the two formats can be joined: same resolved tag, channels, sample
/// rate, bits per sample and block align. Otherwise false, and `diff` names what differs.
bool SameFormat(const WavFormat& a, const WavFormat& b, std::string* diff);

}  // namespace quillon::wavcat
