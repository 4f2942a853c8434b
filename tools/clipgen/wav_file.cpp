#include "tools/clipgen/wav_file.h"

#include <array>

#include "tools/clipgen/g711.h"
#include "tools/wav/wav.h"

namespace quillon::clipgen {

namespace {

struct FormatInfo {
  SampleFormat format;
  std::string_view name;
  uint16_t wave_tag;
  uint16_t bits;
};

constexpr std::array<FormatInfo, 3> kFormats{{
    {SampleFormat::kPcm16, "pcm16", wav::kFormatPcm, 16},
    {SampleFormat::kMulaw, "mulaw", wav::kFormatMulaw, 8},
    {SampleFormat::kAlaw, "alaw", wav::kFormatAlaw, 8},
}};

const FormatInfo& Info(SampleFormat format) {
  for (const FormatInfo& info : kFormats) {
    if (info.format == format) return info;
  }
  return kFormats[0];
}

void PutU16(std::vector<uint8_t>* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value & 0xFF));
  out->push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

}  // namespace

std::string_view FormatName(SampleFormat format) {
  return Info(format).name;
}

bool ParseFormatName(std::string_view name, SampleFormat* format) {
  for (const FormatInfo& info : kFormats) {
    if (info.name == name) {
      *format = info.format;
      return true;
    }
  }
  return false;
}

int BytesPerSample(SampleFormat format) {
  return Info(format).bits / 8;
}

std::vector<uint8_t> EncodeSamples(std::span<const int16_t> samples, SampleFormat format) {
  std::vector<uint8_t> data;
  data.reserve(samples.size() * BytesPerSample(format));
  for (int16_t sample : samples) {
    switch (format) {
      case SampleFormat::kPcm16:
        PutU16(&data, static_cast<uint16_t>(sample));
        break;
      case SampleFormat::kMulaw:
        data.push_back(LinearToMulaw(sample));
        break;
      case SampleFormat::kAlaw:
        data.push_back(LinearToAlaw(sample));
        break;
    }
  }
  return data;
}

std::vector<uint8_t> MakeWav(std::span<const uint8_t> data, SampleFormat format, int sample_rate) {
  const FormatInfo& info = Info(format);
  const std::string header = wav::BuildHeader(
      wav::PlainFormat(info.wave_tag, 1, static_cast<uint32_t>(sample_rate), info.bits),
      data.size());
  std::vector<uint8_t> out(header.begin(), header.end());
  out.reserve(header.size() + data.size() + 1);
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) out.push_back(0);  // the pad byte the header's sizes count
  return out;
}

}  // namespace quillon::clipgen
