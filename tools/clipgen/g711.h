#ifndef QUILLON_TOOLS_CLIPGEN_G711_H_
#define QUILLON_TOOLS_CLIPGEN_G711_H_

#include <cstdint>

namespace quillon::clipgen {

/// G.711 companding between 16-bit linear samples and 8-bit mu-law or A-law codes, as
/// telephone lines carry them. The encoders saturate: every 16-bit input maps to a valid
/// code, and encoding a decoded code gives that code back (mu-law's negative zero, 0x7F,
/// comes back as the positive zero, 0xFF).
uint8_t LinearToMulaw(int16_t sample);
uint8_t LinearToAlaw(int16_t sample);
int16_t MulawToLinear(uint8_t code);
int16_t AlawToLinear(uint8_t code);

}  // namespace quillon::clipgen

#endif  // QUILLON_TOOLS_CLIPGEN_G711_H_
