// The header of a joined WAV file.
#pragma once

#include <cstdint>
#include <string>

#include "tools/wavcat/wav_file.h"

namespace quillon::wavcat {

/// The largest value a RIFF size field can hold.
inline constexpr uint64_t kMaxRiffSize = 0xFFFFFFFF;

/// True when a file of this format needs a fact chunk: every format but PCM (for an extensible
/// file, every subformat but PCM).
bool NeedsFactChunk(const WavFormat& format);

/// The size of the fmt chunk body written for this format: 16 for plain PCM (the classic
/// 44-byte header), 18 for the other plain formats, 40 for extensible files.
uint32_t FmtBodySize(const WavFormat& format);

/// The bytes before the sample data: RIFF header, fmt chunk, fact chunk when needed, and the
/// data chunk header.
uint64_t HeaderSize(const WavFormat& format);

/// True when a file of this format with `data_size` bytes of samples (plus a pad byte when the
/// size is odd) keeps its RIFF size within 32 bits. Otherwise false, with the reason in `err`.
bool FitsRiffLimit(const WavFormat& format, uint64_t data_size, std::string* err);

/// The header of a file of this format holding `data_size` bytes of samples. The sizes in it
/// count the pad byte that the writer adds after odd-sized data. `data_size` must pass
/// FitsRiffLimit.
std::string BuildHeader(const WavFormat& format, uint64_t data_size);

}  // namespace quillon::wavcat
