#include "tools/clipgen/g711.h"

namespace quillon::clipgen {

namespace {

constexpr int kMulawBias = 0x84;
constexpr int kMulawClip = 32635;

/// Segment (exponent) of a biased mu-law magnitude or a 13-bit A-law magnitude: the
/// position of its highest set bit above the segment's base.
int Segment(int magnitude, int base_bits) {
  int segment = 0;
  for (int top = 1 << base_bits; magnitude >= top && segment < 8; top <<= 1) {
    ++segment;
  }
  return segment;
}

}  // namespace

uint8_t LinearToMulaw(int16_t sample) {
  int value = sample;
  const int sign = value < 0 ? 0x80 : 0x00;
  if (value < 0) value = -value;
  if (value > kMulawClip) value = kMulawClip;
  value += kMulawBias;
  const int exponent = Segment(value, 8);
  const int mantissa = (value >> (exponent + 3)) & 0x0F;
  return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

int16_t MulawToLinear(uint8_t code) {
  const int inverted = static_cast<uint8_t>(~code);
  const int exponent = (inverted >> 4) & 0x07;
  const int magnitude = ((((inverted & 0x0F) << 3) + kMulawBias) << exponent) - kMulawBias;
  return static_cast<int16_t>((inverted & 0x80) != 0 ? -magnitude : magnitude);
}

uint8_t LinearToAlaw(int16_t sample) {
  int value = sample >> 3;  // A-law works on 13 bits
  int mask = 0xD5;
  if (value < 0) {
    mask = 0x55;
    value = -value - 1;
  }
  const int segment = Segment(value, 5);
  if (segment >= 8) return static_cast<uint8_t>(0x7F ^ mask);
  const int shift = segment < 2 ? 1 : segment;
  const int code = (segment << 4) | ((value >> shift) & 0x0F);
  return static_cast<uint8_t>(code ^ mask);
}

int16_t AlawToLinear(uint8_t code) {
  const int toggled = code ^ 0x55;
  const int segment = (toggled >> 4) & 0x07;
  int magnitude = (toggled & 0x0F) << 4;
  if (segment == 0) {
    magnitude += 8;
  } else {
    magnitude = (magnitude + 0x108) << (segment - 1);
  }
  return static_cast<int16_t>((toggled & 0x80) != 0 ? magnitude : -magnitude);
}

}  // namespace quillon::clipgen
