#ifndef QUILLON_TOOLS_CLIPGEN_CLIP_SET_H_
#define QUILLON_TOOLS_CLIPGEN_CLIP_SET_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/clipgen/tic_plan.h"

namespace quillon::clipgen {

/// Level of a sine whose peak is full scale, in dBm0 (G.711).
inline constexpr double kFullScaleDbm0 = 3.14;

/// Lengths of the installed silence clips. The lead-in mark is rounded up to whole
/// 45.45 baud mark tics so that it ends at phase zero, ready for a start bit.
inline constexpr double kLeadSilenceSeconds = 0.200;
inline constexpr double kLeadMarkSeconds = 0.300;
inline constexpr double kTrailingSilenceSeconds = 1.0;

/// One clip of the set: its file name and its 16-bit linear samples.
struct Clip {
  std::string name;
  std::vector<int16_t> samples;
};

/// What the clip set is made for: the sample rate and the tone level.
struct ClipSetOptions {
  int sample_rate = 8000;
  double level_dbm0 = -10.0;
};

/// Peak amplitude, in 16-bit sample units, of a sine at `level_dbm0`.
double AmplitudeForLevel(double level_dbm0);

/// The samples of one tic as `tone` plans it, at the level of a sine of peak `amplitude`: it
/// starts at phase zero, rising, and runs at the nominal tone between its edges. A kBend tic
/// ends one sample short of its last whole cycle, so that the next tic continues it; a kFade
/// tic fades in and out at its edges, its peak raised to keep the power of that sine.
std::vector<int16_t> Tic(const TonePlan& tone, int sample_rate, double amplitude);

/// The eleven clips a Quillon program folder needs beside the character clips, in a fixed
/// order: the mark and space tic of each baud rate, "BlankChar.wav" (the Baudot blank,
/// code 00000, framed at 45.45 baud), "smallsilence.wav" (leading silence, then the mark
/// lead-in a TTY needs before the first character) and "silence.wav" (one second of
/// digital silence). Fails when a tic cannot be cut at this sample rate.
bool BuildClipSet(const ClipSetOptions& options, std::vector<Clip>* clips, std::string* err);

}  // namespace quillon::clipgen

#endif  // QUILLON_TOOLS_CLIPGEN_CLIP_SET_H_
