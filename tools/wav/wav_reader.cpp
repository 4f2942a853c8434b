#include "tools/wav/wav.h"

#include <unistd.h>

#include <cerrno>

#include <cstring>
#include <string_view>

namespace quillon::wav {

namespace {

constexpr uint32_t kStreamingDataSize = 0xFFFFFFFF;

uint16_t Le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IdIs(const unsigned char* p, std::string_view id) {
  return std::memcmp(p, id.data(), 4) == 0;
}

/// A chunk id fit for a message: printable characters kept, others shown as '?'.
std::string PrintableId(const unsigned char* p) {
  std::string id;
  for (int i = 0; i < 4; ++i) id += (p[i] >= 0x20 && p[i] < 0x7F) ? static_cast<char>(p[i]) : '?';
  return "'" + id + "'";
}

std::string Hex16(uint16_t v) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) s += kDigits[(v >> shift) & 0xF];
  return s;
}

bool Fail(std::string* err, std::string message) {
  if (err) *err = std::move(message);
  return false;
}

bool CheckRiffHeader(const ByteSource& src, std::string* err) {
  if (src.Size() < 12) {
    return Fail(err, "too short to be a WAV file (" + std::to_string(src.Size()) + " bytes)");
  }
  unsigned char head[12];
  if (!src.ReadAt(0, head, sizeof head, err)) return false;
  if (IdIs(head, "RIFX")) return Fail(err, "big-endian RIFX files are not supported");
  if (IdIs(head, "RF64")) return Fail(err, "RF64 files are not supported");
  if (!IdIs(head, "RIFF")) return Fail(err, "not a WAV file (no RIFF header)");
  if (!IdIs(head + 8, "WAVE")) {
    return Fail(err, "not a WAV file (RIFF form " + PrintableId(head + 8) + ", not 'WAVE')");
  }
  return true;
}

bool ResolveExtensible(const unsigned char* body, uint32_t size, Format* f, std::string* err) {
  if (size < 40 || Le16(body + 16) < 22) {
    return Fail(err, "extensible fmt chunk too short (" + std::to_string(size) +
                         " bytes, needs 40 with 22 extra)");
  }
  f->extensible = true;
  f->valid_bits = Le16(body + 18);
  f->channel_mask = Le32(body + 20);
  if (std::memcmp(body + 26, kSubformatGuidTail, sizeof kSubformatGuidTail) != 0) {
    return Fail(err, "unsupported extensible subformat (not a WAVE format GUID)");
  }
  f->format_tag = Le16(body + 24);
  if (f->format_tag == kFormatExtensible) {
    return Fail(err, "extensible subformat names the extensible format itself");
  }
  return true;
}

bool SupportedSampleSize(uint16_t tag, uint16_t bits) {
  switch (tag) {
    case kFormatPcm:
      return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kFormatIeeeFloat:
      return bits == 32 || bits == 64;
    case kFormatAlaw:
    case kFormatMulaw:
      return bits == 8;
    default:
      return false;
  }
}

bool CheckFormatFields(const Format& f, std::string* err) {
  if (f.channels == 0) return Fail(err, "fmt chunk gives 0 channels");
  if (f.sample_rate == 0) return Fail(err, "fmt chunk gives a sample rate of 0");
  if (f.block_align == 0) return Fail(err, "fmt chunk gives a block align of 0");
  if (FormatTagName(f.format_tag).empty()) {
    return Fail(err, "unsupported format tag " + Hex16(f.format_tag) +
                         " (supported: PCM, IEEE float, A-law, mu-law, extensible)");
  }
  if (!SupportedSampleSize(f.format_tag, f.bits_per_sample)) {
    return Fail(err, "unsupported sample size: " + std::to_string(f.bits_per_sample) + "-bit " +
                         FormatTagName(f.format_tag));
  }
  if (f.block_align != f.channels * (f.bits_per_sample / 8)) {
    return Fail(err, "fmt chunk gives a block align of " + std::to_string(f.block_align) +
                         " bytes, but " + std::to_string(f.channels) + " channel(s) of " +
                         std::to_string(f.bits_per_sample) + " bits need " +
                         std::to_string(f.channels * (f.bits_per_sample / 8)));
  }
  if (f.extensible && f.valid_bits > f.bits_per_sample) {
    return Fail(err, "extensible fmt chunk gives more valid bits than bits per sample");
  }
  return true;
}

/// Reads and checks the fmt chunk whose body of `size` bytes starts at `offset`.
bool ReadFmtChunk(const ByteSource& src, uint64_t offset, uint32_t size, Format* f,
                  std::string* err) {
  unsigned char body[40] = {};
  const uint32_t wanted = size < sizeof body ? size : static_cast<uint32_t>(sizeof body);
  if (!src.ReadAt(offset, body, wanted, err)) return false;
  return ParseFmtChunk(body, size, f, err);
}

/// Takes the data chunk whose body of `size` bytes starts at `offset`.
bool TakeDataChunk(const ByteSource& src, uint64_t offset, uint32_t size, ShortData short_data,
                   Layout* layout, std::string* err) {
  const uint64_t available = src.Size() - offset;
  layout->data_offset = offset;
  layout->data_size = size;
  if (size > available) {
    if (size != kStreamingDataSize && short_data == ShortData::kRefuse) {
      return Fail(err, "truncated: the data chunk claims " + std::to_string(size) +
                           " bytes but the file holds only " + std::to_string(available));
    }
    layout->data_size = available;
    layout->data_to_end = true;
  }
  return true;
}

}  // namespace

FdSource::FdSource(int fd, uint64_t size) : fd_(fd), size_(size) {
  for (;;) {
    const ssize_t got = pread(fd_, first_, sizeof first_, 0);
    if (got < 0 && errno == EINTR) continue;
    first_bytes_ = got > 0 ? static_cast<uint64_t>(got) : 0;
    return;
  }
}

bool FdSource::ReadAt(uint64_t offset, void* buf, size_t n, std::string* err) const {
  auto* out = static_cast<unsigned char*>(buf);
  if (offset + n <= first_bytes_) {
    if (n > 0) std::memcpy(out, first_ + offset, n);
    return true;
  }
  while (n > 0) {
    const ssize_t got = pread(fd_, out, n, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (err) {
        *err = got < 0 ? std::string("read error: ") + std::strerror(errno)
                       : "truncated: the file ends inside a header";
      }
      return false;
    }
    out += got;
    offset += static_cast<uint64_t>(got);
    n -= static_cast<size_t>(got);
  }
  return true;
}

bool MemorySource::ReadAt(uint64_t offset, void* buf, size_t n, std::string* err) const {
  if (offset > bytes_.size() || n > bytes_.size() - offset) {
    return Fail(err, "truncated: the file ends inside a header");
  }
  if (n > 0) std::memcpy(buf, bytes_.data() + offset, n);
  return true;
}

bool ParseFmtChunk(const unsigned char* body, uint32_t size, Format* f, std::string* err) {
  if (size < 16) {
    return Fail(err, "fmt chunk too short (" + std::to_string(size) + " bytes, needs 16)");
  }
  *f = Format{};
  f->format_tag = Le16(body);
  f->channels = Le16(body + 2);
  f->sample_rate = Le32(body + 4);
  f->block_align = Le16(body + 12);
  f->bits_per_sample = Le16(body + 14);
  if (f->format_tag == kFormatExtensible && !ResolveExtensible(body, size, f, err)) return false;
  return CheckFormatFields(*f, err);
}

namespace {

// The data holds whole blocks of samples; a file still being written may end
// inside one, which is then left out.
bool TakeWholeBlocks(ShortData short_data, Layout* layout, std::string* err) {
  if (short_data == ShortData::kTakeWhatIsThere) {
    layout->data_size -= layout->data_size % layout->format.block_align;
  } else if (layout->data_size % layout->format.block_align != 0) {
    return Fail(err, "the sample data (" + std::to_string(layout->data_size) +
                         " bytes) is not a whole number of " +
                         std::to_string(layout->format.block_align) + "-byte blocks");
  }
  return true;
}

}  // namespace

bool Parse(const ByteSource& src, Layout* layout, std::string* err, ShortData short_data) {
  if (!CheckRiffHeader(src, err)) return false;
  *layout = Layout{};
  bool have_fmt = false;
  bool have_data = false;
  uint64_t pos = 12;
  const uint64_t size = src.Size();
  while (!(have_fmt && have_data) && pos < size) {
    if (size - pos < 8) return Fail(err, "truncated: the file ends inside a chunk header");
    unsigned char header[8];
    if (!src.ReadAt(pos, header, sizeof header, err)) return false;
    const uint32_t chunk_size = Le32(header + 4);
    const uint64_t body = pos + 8;
    if (IdIs(header, "data") && !have_data) {
      if (!TakeDataChunk(src, body, chunk_size, short_data, layout, err)) return false;
      have_data = true;
      if (layout->data_to_end) break;  // nothing can follow data that runs to the end
    } else if (chunk_size > size - body) {
      return Fail(err, "truncated: the " + PrintableId(header) + " chunk claims " +
                           std::to_string(chunk_size) + " bytes but the file holds only " +
                           std::to_string(size - body));
    } else if (IdIs(header, "fmt ") && !have_fmt) {
      if (!ReadFmtChunk(src, body, chunk_size, &layout->format, err)) return false;
      have_fmt = true;
    }
    pos = body + chunk_size + (chunk_size & 1u);  // odd-sized chunks carry a pad byte
  }
  if (!have_fmt) return Fail(err, "malformed: no fmt chunk");
  if (!have_data) return Fail(err, "malformed: no data chunk");
  return TakeWholeBlocks(short_data, layout, err);
}

Format PlainFormat(uint16_t format_tag, uint16_t channels, uint32_t sample_rate,
                   uint16_t bits_per_sample) {
  Format f;
  f.format_tag = format_tag;
  f.channels = channels;
  f.sample_rate = sample_rate;
  f.bits_per_sample = bits_per_sample;
  f.block_align = static_cast<uint16_t>(channels * (bits_per_sample / 8));
  return f;
}

std::string FormatTagName(uint16_t tag) {
  switch (tag) {
    case kFormatPcm:
      return "PCM";
    case kFormatIeeeFloat:
      return "IEEE float";
    case kFormatAlaw:
      return "A-law";
    case kFormatMulaw:
      return "mu-law";
    default:
      return "";
  }
}

std::string DescribeFormat(const Format& f) {
  std::string name = FormatTagName(f.format_tag);
  if (name.empty()) name = "format " + Hex16(f.format_tag);
  return std::to_string(f.bits_per_sample) + "-bit " + name + ", " + std::to_string(f.channels) +
         (f.channels == 1 ? " channel, " : " channels, ") + std::to_string(f.sample_rate) + " Hz";
}

bool SameFormat(const Format& a, const Format& b, std::string* diff) {
  std::string what;
  auto note = [&what](bool differs, const char* field) {
    if (!differs) return;
    if (!what.empty()) what += ", ";
    what += field;
  };
  note(a.format_tag != b.format_tag, "format");
  note(a.channels != b.channels, "channels");
  note(a.sample_rate != b.sample_rate, "sample rate");
  note(a.bits_per_sample != b.bits_per_sample, "bits per sample");
  note(a.block_align != b.block_align, "block align");
  if (what.empty()) return true;
  if (diff) *diff = what;
  return false;
}

}  // namespace quillon::wav
