#include "tools/wav/samples.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

// clang-format off
// spandsp's G.711 is inline functions in its header, nothing of its library is linked. Its
// headers are C and rely on each other's declarations, in this order.
#include <spandsp/telephony.h>
#include <spandsp/bit_operations.h>
#include <spandsp/g711.h>
// clang-format on

namespace quillon::wav {

namespace {

struct FormatInfo {
  SampleFormat format;
  std::string_view name;
  uint16_t tag;
  uint16_t bits;
};

constexpr FormatInfo kFormats[] = {
    {SampleFormat::Pcm16, "pcm16", kFormatPcm, 16},
    {SampleFormat::MuLaw, "mulaw", kFormatMulaw, 8},
    {SampleFormat::ALaw, "alaw", kFormatAlaw, 8},
};

const FormatInfo& Info(SampleFormat format) {
  return kFormats[static_cast<size_t>(format)];
}

}  // namespace

std::string_view SampleFormatName(SampleFormat format) {
  return Info(format).name;
}

std::optional<SampleFormat> SampleFormatFromName(std::string_view name) {
  for (const FormatInfo& info : kFormats) {
    if (info.name == name) return info.format;
  }
  return std::nullopt;
}

Format FileFormat(SampleFormat format, uint32_t sample_rate) {
  return PlainFormat(Info(format).tag, 1, sample_rate, Info(format).bits);
}

std::optional<SampleFormat> SampleFormatOf(const Format& format) {
  for (const FormatInfo& info : kFormats) {
    if (format.channels == 1 && format.format_tag == info.tag &&
        format.bits_per_sample == info.bits)
      return info.format;
  }
  return std::nullopt;
}

int BytesPerSample(SampleFormat format) {
  return Info(format).bits / 8;
}

std::vector<uint8_t> EncodeSamples(std::span<const int16_t> samples, SampleFormat format) {
  std::vector<uint8_t> data;
  data.reserve(samples.size() * static_cast<size_t>(BytesPerSample(format)));
  for (int16_t sample : samples) {
    switch (format) {
      case SampleFormat::Pcm16:
        data.push_back(static_cast<uint8_t>(sample & 0xFF));
        data.push_back(static_cast<uint8_t>((static_cast<uint16_t>(sample) >> 8) & 0xFF));
        break;
      case SampleFormat::MuLaw:
        data.push_back(linear_to_ulaw(sample));
        break;
      case SampleFormat::ALaw:
        data.push_back(linear_to_alaw(sample));
        break;
    }
  }
  return data;
}

void DecodeSamples(std::span<const uint8_t> data, SampleFormat format, std::span<int16_t> out) {
  const size_t n = std::min(out.size(), data.size() / static_cast<size_t>(BytesPerSample(format)));
  switch (format) {
    case SampleFormat::Pcm16:
      if constexpr (std::endian::native == std::endian::little) {
        std::memmove(out.data(), data.data(), n * 2);
      } else {
        for (size_t i = 0; i < n; ++i)
          out[i] = static_cast<int16_t>(data[2 * i] | (data[2 * i + 1] << 8));
      }
      break;
    case SampleFormat::MuLaw:
      for (size_t i = 0; i < n; ++i) out[i] = ulaw_to_linear(data[i]);
      break;
    case SampleFormat::ALaw:
      for (size_t i = 0; i < n; ++i) out[i] = alaw_to_linear(data[i]);
      break;
  }
}

SampleReader::~SampleReader() {
  if (fd_ >= 0) close(fd_);
}

bool SampleReader::Open(const std::string& path, std::string* err) {
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st;
  if (fd_ < 0 || fstat(fd_, &st) != 0) {
    *err = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    *err = "it is not a regular file";
    return false;
  }
  source_.emplace(fd_, static_cast<uint64_t>(st.st_size));
  return Parse(*source_, &layout_, err);
}

uint64_t SampleReader::samples() const {
  return layout_.format.block_align > 0 ? layout_.data_size / layout_.format.block_align : 0;
}

bool SampleReader::Read(uint64_t first, std::span<int16_t> out, std::string* err) const {
  const std::optional<SampleFormat> sample_format = format();
  if (!source_ || !sample_format) {
    *err = "its samples cannot be read in this format";
    return false;
  }
  const auto width = static_cast<size_t>(BytesPerSample(*sample_format));
  const size_t bytes = out.size() * width;
  // The bytes are read into the back of `out` and decoded forwards in place.
  auto* const into = reinterpret_cast<uint8_t*>(out.data()) + (out.size() * 2 - bytes);
  std::string ignored;
  if (first > samples() || out.size() > samples() - first ||
      !source_->ReadAt(layout_.data_offset + first * width, into, bytes, &ignored)) {
    *err = "its sample data cannot be read";
    return false;
  }
  DecodeSamples(std::span<const uint8_t>(into, bytes), *sample_format, out);
  return true;
}

}  // namespace quillon::wav
