#ifndef QUILLON_TOOLS_CLIPGEN_TIC_PLAN_H_
#define QUILLON_TOOLS_CLIPGEN_TIC_PLAN_H_

#include <array>
#include <string>
#include <string_view>

namespace quillon::clipgen {

/// One TTY bit rate that gets its own pair of tic clips. `tag` is the number in the clip
/// names ("45" in "marktic45baud.wav" for 45.45 baud).
struct BaudRate {
  std::string_view tag;
  double baud;
};

inline constexpr std::array<BaudRate, 4> kBaudRates{{
    {"45", 45.45},
    {"50", 50.0},
    {"75", 75.0},
    {"110", 110.0},
}};

/// US TTY/TDD tones: mark carries binary 1, space binary 0. A sent tone may miss its
/// nominal frequency by this share either way.
inline constexpr double kMarkHz = 1400.0;
inline constexpr double kSpaceHz = 1800.0;
inline constexpr double kToneTolerance = 0.05;

/// How one bit is cut at one sample rate: the tic length in samples and the whole number
/// of cycles of the mark and space tones that fit in it. Because each tone runs a whole
/// number of cycles, a tic starts and ends at phase zero, and tics joined byte for byte
/// stay phase-continuous. Both tones stay within the tolerance and below half the
/// sample rate.
struct TicPlan {
  int sample_rate = 0;
  int samples = 0;
  int mark_cycles = 0;
  int space_cycles = 0;

  double MarkHz() const { return Hz(mark_cycles); }
  double SpaceHz() const { return Hz(space_cycles); }
  double Baud() const { return static_cast<double>(sample_rate) / samples; }
  double Hz(int cycles) const { return static_cast<double>(cycles) * sample_rate / samples; }
};

/// The whole number of cycles in `samples` samples that comes nearest to `nominal_hz`.
/// Fails when that misses the nominal frequency by more than the tolerance or does not
/// stay below half the sample rate.
bool PlanCycles(int sample_rate, int samples, double nominal_hz, int* cycles, std::string* err);

/// Plans the tics of `baud` at `sample_rate`: round(sample_rate / baud) samples, then the
/// nearest whole cycle counts of the mark and space tones.
bool PlanTic(int sample_rate, double baud, TicPlan* plan, std::string* err);

}  // namespace quillon::clipgen

#endif  // QUILLON_TOOLS_CLIPGEN_TIC_PLAN_H_
