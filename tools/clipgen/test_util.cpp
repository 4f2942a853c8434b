#include "tools/clipgen/test_util.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace quillon::clipgen::testing {

namespace fs = std::filesystem;

namespace {

uint32_t Le(const std::vector<uint8_t>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

void TakeFmt(const std::vector<uint8_t>& bytes, size_t at, uint32_t size, WavInfo* wav) {
  wav->fmt_size = size;
  wav->tag = static_cast<uint16_t>(Le(bytes, at, 2));
  wav->channels = static_cast<uint16_t>(Le(bytes, at + 2, 2));
  wav->sample_rate = Le(bytes, at + 4, 4);
  wav->byte_rate = Le(bytes, at + 8, 4);
  wav->block_align = static_cast<uint16_t>(Le(bytes, at + 12, 2));
  wav->bits = static_cast<uint16_t>(Le(bytes, at + 14, 2));
}

}  // namespace

WavInfo ReadWav(const fs::path& path) {
  std::string text;
  try {
    text = ReadText(path);
  } catch (const std::runtime_error& error) {
    ADD_FAILURE() << error.what();
  }
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  WavInfo wav;
  wav.file_size = bytes.size();
  if (bytes.size() < 12 || text.compare(0, 4, "RIFF") != 0 || text.compare(8, 4, "WAVE") != 0) {
    ADD_FAILURE() << path << " is not a RIFF/WAVE file";
    return wav;
  }
  wav.riff_size = Le(bytes, 4, 4);
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id = text.substr(at, 4);
    const uint32_t size = Le(bytes, at + 4, 4);
    if (at + 8 + size > bytes.size()) {
      ADD_FAILURE() << path << ": chunk '" << id << "' runs past the end of the file";
      return wav;
    }
    wav.chunks.push_back(id);
    if (id == "fmt ") TakeFmt(bytes, at + 8, size, &wav);
    if (id == "fact") wav.fact_samples = Le(bytes, at + 8, 4);
    if (id == "data") wav.data.assign(bytes.begin() + at + 8, bytes.begin() + at + 8 + size);
    at += 8 + size + size % 2;
  }
  return wav;
}

std::vector<int16_t> Samples(const WavInfo& wav, wav::SampleFormat format) {
  std::vector<int16_t> samples(wav.data.size() / static_cast<size_t>(wav::BytesPerSample(format)));
  wav::DecodeSamples(wav.data, format, samples);
  return samples;
}

}  // namespace quillon::clipgen::testing
