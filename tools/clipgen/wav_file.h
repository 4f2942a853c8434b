#ifndef QUILLON_TOOLS_CLIPGEN_WAV_FILE_H_
#define QUILLON_TOOLS_CLIPGEN_WAV_FILE_H_

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quillon::clipgen {

/// The sample encodings a clip set can be written in, all mono: 16-bit linear PCM, or
/// 8-bit G.711 mu-law or A-law.
enum class SampleFormat { kPcm16, kMulaw, kAlaw };

/// The command-line name of a format ("pcm16", "mulaw", "alaw"), and back. Parsing fails
/// (returns false) for any other name.
std::string_view FormatName(SampleFormat format);
bool ParseFormatName(std::string_view name, SampleFormat* format);

/// Bytes one sample takes in `format`.
int BytesPerSample(SampleFormat format);

/// Encodes 16-bit linear samples into the sample data of `format`: little-endian words
/// for PCM, one G.711 code per sample otherwise.
std::vector<uint8_t> EncodeSamples(std::span<const int16_t> samples, SampleFormat format);

/// A complete mono RIFF/WAVE file around `data`, sample data already in `format`. PCM gets
/// the plain 44-byte header (RIFF, fmt of 16 bytes, data) and nothing else; the G.711
/// formats get the 18-byte fmt and the fact chunk that non-PCM WAVE files carry. An odd
/// data chunk is followed by its pad byte, which the chunk sizes count as RIFF requires.
std::vector<uint8_t> MakeWav(std::span<const uint8_t> data, SampleFormat format, int sample_rate);

}  // namespace quillon::clipgen

#endif  // QUILLON_TOOLS_CLIPGEN_WAV_FILE_H_
