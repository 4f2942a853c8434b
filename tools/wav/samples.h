// The sample formats of clip sets and prompts, their coding to and from 16-bit linear samples,
// and the samples of a WAV file read a stretch at a time. Plain C++20; G.711 is spandsp's.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/wav/wav.h"

namespace quillon::wav {

/// The sample formats a clip set and its prompts are made in, all mono: 16-bit linear PCM
/// (the default, which strict telephony servers want) and the two 8-bit G.711 laws.
enum class SampleFormat { Pcm16, MuLaw, ALaw };

/// "pcm16", "mulaw", "alaw": the names the description file, the clip generator and
/// quillon-cli use; nullopt for any other name.
std::string_view SampleFormatName(SampleFormat format);
std::optional<SampleFormat> SampleFormatFromName(std::string_view name);

/// The plain mono file format of `format` at `sample_rate`.
Format FileFormat(SampleFormat format, uint32_t sample_rate);
/// The sample format of a file, or nullopt when it is none of them (another tag or sample
/// size, or more than one channel). An extensible file counts by its subformat.
std::optional<SampleFormat> SampleFormatOf(const Format& format);

/// Bytes one sample takes in `format`.
int BytesPerSample(SampleFormat format);

/// 16-bit linear samples as the sample data of `format`: little-endian words for PCM, one
/// G.711 code per sample otherwise (spandsp's encoders, which saturate).
std::vector<uint8_t> EncodeSamples(std::span<const int16_t> samples, SampleFormat format);

/// Sample data of `format` as 16-bit linear samples, as many whole samples as `data` holds and
/// `out` has room for. `data` may be the back part of `out`'s own bytes (a file read into the
/// buffer of its samples): each sample's bytes are read before it is written.
void DecodeSamples(std::span<const uint8_t> data, SampleFormat format, std::span<int16_t> out);

/// A WAV file open for its samples, so that a long prompt is read a stretch at a time and
/// never held in memory whole. Only a regular file is opened (a pipe or a device is refused
/// at once, never waited on), and only a header that Parse accepts.
class SampleReader {
 public:
  SampleReader() = default;
  ~SampleReader();
  SampleReader(const SampleReader&) = delete;
  SampleReader& operator=(const SampleReader&) = delete;

  /// Opens `path` and reads its header; false with a one-line reason in `err` when it cannot
  /// be opened, is not a regular file or is not a usable WAV file.
  bool Open(const std::string& path, std::string* err);
  const Layout& layout() const { return layout_; }
  /// The file's sample format; the samples of a file without one cannot be read.
  std::optional<SampleFormat> format() const { return SampleFormatOf(layout_.format); }
  /// Whole samples (blocks) in the data.
  uint64_t samples() const;
  /// Fills `out` with the samples from `first` on as 16-bit linear values; false with `err`
  /// when they cannot all be read (the file is shorter than its header says).
  bool Read(uint64_t first, std::span<int16_t> out, std::string* err) const;

 private:
  int fd_ = -1;
  std::optional<FdSource> source_;
  Layout layout_;
};

}  // namespace quillon::wav
