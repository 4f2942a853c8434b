#include "tools/wav/wav_test_bytes.h"

namespace quillon::wav::testing {

void Append16(Bytes* out, uint32_t v) {
  out->push_back(static_cast<unsigned char>(v & 0xFF));
  out->push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void Append32(Bytes* out, uint32_t v) {
  Append16(out, v & 0xFFFF);
  Append16(out, v >> 16);
}

Bytes Concat(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Chunk(const std::string& id, const Bytes& body, std::optional<uint32_t> claimed, bool pad) {
  Bytes out(id.begin(), id.end());
  Append32(&out, claimed.value_or(static_cast<uint32_t>(body.size())));
  out.insert(out.end(), body.begin(), body.end());
  if (pad && body.size() % 2 == 1) out.push_back(0);
  return out;
}

Bytes FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
              std::optional<uint16_t> block_align, bool cb_size) {
  const uint16_t align = block_align.value_or(static_cast<uint16_t>(channels * (bits / 8)));
  Bytes out;
  Append16(&out, tag);
  Append16(&out, channels);
  Append32(&out, rate);
  Append32(&out, rate * align);
  Append16(&out, align);
  Append16(&out, bits);
  if (cb_size) Append16(&out, 0);
  return out;
}

Bytes ExtensibleFmtBody(uint16_t subtag, uint16_t channels, uint32_t rate, uint16_t bits,
                        uint16_t valid_bits, uint32_t mask) {
  Bytes out = FmtBody(0xFFFE, channels, rate, bits);
  Append16(&out, 22);
  Append16(&out, valid_bits);
  Append32(&out, mask);
  Append16(&out, subtag);
  // Spelled out here rather than taken from the library, so the tests check its GUID.
  const Bytes tail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

Bytes Riff(const std::vector<Bytes>& chunks, std::optional<uint32_t> claimed) {
  const Bytes body = Concat(chunks);
  Bytes out = {'R', 'I', 'F', 'F'};
  Append32(&out, claimed.value_or(static_cast<uint32_t>(body.size() + 4)));
  out.insert(out.end(), {'W', 'A', 'V', 'E'});
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes SimpleWav(const Bytes& fmt_body, const Bytes& data) {
  return Riff({Chunk("fmt ", fmt_body), Chunk("data", data)});
}

Bytes Pcm16Wav(const std::vector<int16_t>& samples, uint32_t rate) {
  Bytes data;
  for (int16_t s : samples) Append16(&data, static_cast<uint16_t>(s));
  return SimpleWav(FmtBody(1, 1, rate, 16), data);
}

Bytes Pattern(size_t n, unsigned seed) {
  Bytes out(n);
  uint32_t x = 2463534242u ^ (seed * 2654435761u);
  for (auto& b : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<unsigned char>(x);
  }
  return out;
}

}  // namespace quillon::wav::testing
