// WAV files built byte by byte for tests: every field given explicitly, so that a test can
// also build the malformed files a reader must refuse.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::wav::testing {

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

/// A 16-bit mono PCM file holding `samples`.
Bytes Pcm16Wav(const std::vector<int16_t>& samples, uint32_t rate = 8000);

/// `n` bytes of a pattern that differs from file to file (`seed`).
Bytes Pattern(size_t n, unsigned seed);

}  // namespace quillon::wav::testing
