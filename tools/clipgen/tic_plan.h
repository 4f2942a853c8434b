#ifndef QUILLON_TOOLS_CLIPGEN_TIC_PLAN_H_
#define QUILLON_TOOLS_CLIPGEN_TIC_PLAN_H_

#include <array>
#include <string>
#include <string_view>

namespace quillon::clipgen {

/// How the tics of one rate are cut, chosen per rate by measurement (README.md, "Tic
/// designs"). Every tic holds a whole number of cycles, so that tics joined byte for byte stay
/// phase-continuous; in its middle it is the nominal tone.
///  - `length_tolerance`: how far, as a share of the bit time, a tone's tic may be longer or
///    shorter than the bit so that its whole cycles come nearer the nominal tone. 0 keeps every
///    tic at the bit time rounded to whole samples.
///  - `edge_seconds`: the span at each end of a tic within which its phase is drawn to the
///    whole cycle (half the difference at each end); the rest is the nominal tone.
struct TicDesign {
  double length_tolerance = 0.0;
  double edge_seconds = 0.002;
};

/// One TTY bit rate that gets its own pair of tic clips. `tag` is the number in the clip
/// names ("45" in "marktic45baud.wav" for 45.45 baud).
struct BaudRate {
  std::string_view tag;
  double baud;
  TicDesign design;
};

inline constexpr std::array<BaudRate, 4> kBaudRates{{
    {"45", 45.45, {0.0, 0.002}},
    {"50", 50.0, {0.0, 0.002}},
    {"75", 75.0, {0.0, 0.002}},
    {"110", 110.0, {0.025, 0.002}},
}};

/// US TTY/TDD tones: mark carries binary 1, space binary 0. A sent tone may miss its
/// nominal frequency by this share either way.
inline constexpr double kMarkHz = 1400.0;
inline constexpr double kSpaceHz = 1800.0;
inline constexpr double kToneTolerance = 0.05;

/// How one tic is cut: `samples` long, holding `cycles` whole cycles. In its middle it runs at
/// `nominal_hz`; within the first and the last `edge_samples` its phase is drawn, smoothly,
/// to the whole number of cycles (a fraction of a cycle in all). So it starts and ends at
/// phase zero, and any tic may follow any other without a jump.
struct TonePlan {
  double nominal_hz = 0;
  int samples = 0;
  int cycles = 0;
  int edge_samples = 0;
};

/// The mark and space tics of one rate at one sample rate.
struct TicPlan {
  int sample_rate = 0;
  TonePlan mark;
  TonePlan space;

  /// The tone a tic averages: its whole cycles over its length.
  double AverageHz(const TonePlan& tone) const {
    return static_cast<double>(tone.cycles) * sample_rate / tone.samples;
  }
  double Seconds(const TonePlan& tone) const {
    return static_cast<double>(tone.samples) / sample_rate;
  }
};

/// Cuts the tic of one tone: among the lengths the design allows (the bit time rounded, and
/// any within `design.length_tolerance` of the bit time), the one whose nearest whole cycle
/// count averages closest to `nominal_hz` (ties: the length nearest the bit time). Fails when
/// that average misses the nominal tone by more than the tolerance or does not stay below half
/// the sample rate.
bool PlanTone(int sample_rate, double baud, const TicDesign& design, double nominal_hz,
              TonePlan* tone, std::string* err);

/// Plans the mark and space tics of `rate` at `sample_rate`.
bool PlanTic(int sample_rate, const BaudRate& rate, TicPlan* plan, std::string* err);

}  // namespace quillon::clipgen

#endif  // QUILLON_TOOLS_CLIPGEN_TIC_PLAN_H_
