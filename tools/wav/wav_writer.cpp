#include "tools/wav/wav.h"

namespace quillon::wav {

namespace {

void Put16(std::string* out, uint32_t v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string* out, uint64_t v) {
  Put16(out, static_cast<uint32_t>(v & 0xFFFF));
  Put16(out, static_cast<uint32_t>((v >> 16) & 0xFFFF));
}

uint64_t RiffSize(const Format& format, uint64_t data_size) {
  return HeaderSize(format) - 8 + data_size + (data_size & 1u);
}

void PutFmtChunk(std::string* out, const Format& f) {
  out->append("fmt ");
  Put32(out, FmtBodySize(f));
  Put16(out, f.extensible ? kFormatExtensible : f.format_tag);
  Put16(out, f.channels);
  Put32(out, f.sample_rate);
  Put32(out, static_cast<uint64_t>(f.sample_rate) * f.block_align);
  Put16(out, f.block_align);
  Put16(out, f.bits_per_sample);
  if (f.extensible) {
    Put16(out, 22);
    Put16(out, f.valid_bits);
    Put32(out, f.channel_mask);
    Put16(out, f.format_tag);
    out->append(reinterpret_cast<const char*>(kSubformatGuidTail), sizeof kSubformatGuidTail);
  } else if (f.format_tag != kFormatPcm) {
    Put16(out, 0);
  }
}

}  // namespace

bool NeedsFactChunk(const Format& format) {
  return format.format_tag != kFormatPcm;
}

uint32_t FmtBodySize(const Format& format) {
  if (format.extensible) return 40;
  return format.format_tag == kFormatPcm ? 16 : 18;
}

uint64_t HeaderSize(const Format& format) {
  return 12 + 8 + FmtBodySize(format) + (NeedsFactChunk(format) ? 12 : 0) + 8;
}

bool FitsRiffLimit(const Format& format, uint64_t data_size, std::string* err) {
  if (RiffSize(format, data_size) <= kMaxRiffSize) return true;
  if (err) {
    *err = "the joined sample data (" + std::to_string(data_size) +
           " bytes) would pass the 4 GiB limit of a WAV file";
  }
  return false;
}

std::string BuildHeader(const Format& format, uint64_t data_size) {
  std::string out;
  out.reserve(HeaderSize(format));
  out.append("RIFF");
  Put32(&out, RiffSize(format, data_size));
  out.append("WAVE");
  PutFmtChunk(&out, format);
  if (NeedsFactChunk(format)) {
    out.append("fact");
    Put32(&out, 4);
    Put32(&out, data_size / format.block_align);
  }
  out.append("data");
  Put32(&out, data_size);
  return out;
}

std::vector<uint8_t> BuildFile(const Format& format, std::span<const uint8_t> data) {
  const std::string header = BuildHeader(format, data.size());
  std::vector<uint8_t> file(header.begin(), header.end());
  file.reserve(header.size() + data.size() + 1);
  file.insert(file.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) file.push_back(0);  // the pad byte the header's sizes count
  return file;
}

}  // namespace quillon::wav
