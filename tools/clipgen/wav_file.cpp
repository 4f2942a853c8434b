#include "tools/clipgen/wav_file.h"

#include <array>

#include "tools/clipgen/g711.h"

namespace quillon::clipgen {

namespace {

struct FormatInfo {
  SampleFormat format;
  std::string_view name;
  uint16_t wave_tag;  // WAVE_FORMAT_PCM, WAVE_FORMAT_ALAW, WAVE_FORMAT_MULAW
  uint16_t bits;
};

constexpr std::array<FormatInfo, 3> kFormats{{
    {SampleFormat::kPcm16, "pcm16", 1, 16},
    {SampleFormat::kMulaw, "mulaw", 7, 8},
    {SampleFormat::kAlaw, "alaw", 6, 8},
}};

const FormatInfo& Info(SampleFormat format) {
  for (const FormatInfo& info : kFormats) {
    if (info.format == format) return info;
  }
  return kFormats[0];
}

void PutTag(std::vector<uint8_t>* out, std::string_view tag) {
  out->insert(out->end(), tag.begin(), tag.end());
}

void PutU16(std::vector<uint8_t>* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value & 0xFF));
  out->push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutU32(std::vector<uint8_t>* out, uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

void PutFmt(std::vector<uint8_t>* out, const FormatInfo& info, int sample_rate) {
  const bool pcm = info.format == SampleFormat::kPcm16;
  const uint32_t block_align = info.bits / 8;
  PutTag(out, "fmt ");
  PutU32(out, pcm ? 16 : 18);
  PutU16(out, info.wave_tag);
  PutU16(out, 1);  // mono
  PutU32(out, static_cast<uint32_t>(sample_rate));
  PutU32(out, static_cast<uint32_t>(sample_rate) * block_align);
  PutU16(out, block_align);
  PutU16(out, info.bits);
  if (!pcm) PutU16(out, 0);  // no extension bytes
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
  const bool pcm = format == SampleFormat::kPcm16;
  const uint32_t data_size = static_cast<uint32_t>(data.size());
  const uint32_t pad = data_size % 2;
  const uint32_t header_after_riff = pcm ? 4 + 24 + 8 : 4 + 26 + 12 + 8;
  std::vector<uint8_t> out;
  out.reserve(8 + header_after_riff + data_size + pad);
  PutTag(&out, "RIFF");
  PutU32(&out, header_after_riff + data_size + pad);
  PutTag(&out, "WAVE");
  PutFmt(&out, info, sample_rate);
  if (!pcm) {
    PutTag(&out, "fact");
    PutU32(&out, 4);
    PutU32(&out, data_size / (info.bits / 8));
  }
  PutTag(&out, "data");
  PutU32(&out, data_size);
  out.insert(out.end(), data.begin(), data.end());
  if (pad != 0) out.push_back(0);
  return out;
}

}  // namespace quillon::clipgen
