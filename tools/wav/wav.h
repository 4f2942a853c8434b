// RIFF/WAVE files: the sample format, reading a header (where the sample data lies) and
// writing one. Plain C++20 and the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quillon::wav {

/// Format tags, as a fmt chunk gives them and as WAVE_FORMAT_EXTENSIBLE resolves to.
inline constexpr uint16_t kFormatPcm = 0x0001;
inline constexpr uint16_t kFormatIeeeFloat = 0x0003;
inline constexpr uint16_t kFormatAlaw = 0x0006;
inline constexpr uint16_t kFormatMulaw = 0x0007;
inline constexpr uint16_t kFormatExtensible = 0xFFFE;

/// The GUID of an extensible file's subformat is its format tag (2 bytes, little-endian)
/// followed by these 14 bytes (KSDATAFORMAT_SUBTYPE_* = {tag-0000-0010-8000-00AA00389B71}).
inline constexpr unsigned char kSubformatGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

/// The sample format of a WAV file. `format_tag` is always the resolved tag: for an
/// extensible file it is the tag its subformat GUID stands for, and `extensible` is set.
/// A parsed format has passed every check of Parse: a known tag and sample size, at least
/// one channel, a sample rate, and a block align of channels times bytes per sample.
struct Format {
  uint16_t format_tag = 0;
  uint16_t channels = 0;
  uint32_t sample_rate = 0;
  uint16_t block_align = 0;
  uint16_t bits_per_sample = 0;
  bool extensible = false;
  uint16_t valid_bits = 0;    ///< extensible only: the bits of a sample that carry sound
  uint32_t channel_mask = 0;  ///< extensible only: the speaker positions
};

/// A plain (not extensible) format; the block align follows from channels and sample size.
Format PlainFormat(uint16_t format_tag, uint16_t channels, uint32_t sample_rate,
                   uint16_t bits_per_sample);

/// A short human description, e.g. "16-bit PCM, 1 channel, 8000 Hz".
std::string DescribeFormat(const Format& format);

/// The name of a (resolved) format tag: "PCM", "IEEE float", "A-law", "mu-law"; empty for
/// any other tag.
std::string FormatTagName(uint16_t tag);

/// True when sample data of the two formats can be joined: same resolved tag, channels, sample
/// rate, bits per sample and block align. Otherwise false, and `diff` names what differs.
bool SameFormat(const Format& a, const Format& b, std::string* diff);

// --- Reading ---

/// What a parsed file holds: its format and where its sample data bytes lie.
struct Layout {
  Format format;
  uint64_t data_offset = 0;
  uint64_t data_size = 0;
  bool data_to_end = false;  ///< the data runs to the end of the file: the streaming mark
                             ///< 0xFFFFFFFF, or a short chunk taken as ShortData allows
};

/// A file to parse: its size and reads at any offset.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  /// Reads exactly `n` bytes at `offset`; false with `err` filled on an error or a short read.
  virtual bool ReadAt(uint64_t offset, void* buf, size_t n, std::string* err) const = 0;
};

/// Bytes held in memory, a whole file or its beginning. Does not own them: they must outlive
/// the source.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::span<const unsigned char> bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, void* buf, size_t n, std::string* err) const override;

 private:
  std::span<const unsigned char> bytes_;
};

/// An open file, read with pread; the first block is read once and the chunk headers in it
/// (a clip's whole header) are served from memory. Does not own the descriptor.
class FdSource : public ByteSource {
 public:
  FdSource(int fd, uint64_t size);
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buf, size_t n, std::string* err) const override;

 private:
  int fd_;
  uint64_t size_;
  unsigned char first_[512];
  uint64_t first_bytes_ = 0;
};

/// What Parse makes of sample data that the file does not hold as its header says.
enum class ShortData {
  kRefuse,  ///< a truncated file or a partial block is refused: joined, it would spoil the rest
  kTakeWhatIsThere,  ///< a file still being written, to be played: the data runs to the end of
                     ///< the file, cut to whole blocks
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
/// `short_data` may relax the last two. Returns false with a one-line reason in `err` when the
/// file cannot be used.
bool Parse(const ByteSource& src, Layout* layout, std::string* err,
           ShortData short_data = ShortData::kRefuse);

/// Checks the fields of a fmt chunk body of `size` bytes (at most the first 40 given) and fills
/// `format`. False with a reason in `err` when the format is malformed or not supported.
bool ParseFmtChunk(const unsigned char* body, uint32_t size, Format* format, std::string* err);

// --- Writing ---

/// The largest value a RIFF size field can hold.
inline constexpr uint64_t kMaxRiffSize = 0xFFFFFFFF;

/// True when a file of this format needs a fact chunk: every format but PCM (for an extensible
/// file, every subformat but PCM).
bool NeedsFactChunk(const Format& format);

/// The size of the fmt chunk body written for this format: 16 for plain PCM (the classic
/// 44-byte header), 18 (cbSize 0) for the other plain formats, 40 for extensible files.
uint32_t FmtBodySize(const Format& format);

/// The bytes before the sample data: RIFF header, fmt chunk, fact chunk when needed, and the
/// data chunk header. Nothing else is ever written: strict telephony servers want exactly this.
uint64_t HeaderSize(const Format& format);

/// True when a file of this format with `data_size` bytes of samples (plus a pad byte when the
/// size is odd) keeps its RIFF size within 32 bits. Otherwise false, with the reason in `err`.
bool FitsRiffLimit(const Format& format, uint64_t data_size, std::string* err);

/// The header of a file of this format holding `data_size` bytes of samples, HeaderSize bytes
/// long. The byte rate is computed; the fact chunk holds the number of sample frames; the sizes
/// count the pad byte that must follow odd-sized data. `data_size` must pass FitsRiffLimit.
std::string BuildHeader(const Format& format, uint64_t data_size);

/// A whole file: BuildHeader, then `data`, then the pad byte that odd-sized data needs.
std::vector<uint8_t> BuildFile(const Format& format, std::span<const uint8_t> data);

}  // namespace quillon::wav
