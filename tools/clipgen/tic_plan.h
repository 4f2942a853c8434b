#ifndef QUILLON_TOOLS_CLIPGEN_TIC_PLAN_H_
#define QUILLON_TOOLS_CLIPGEN_TIC_PLAN_H_

#include <array>
#include <string>
#include <string_view>

namespace quillon::clipgen {

/// How two tics meet where they are joined byte for byte.
///  - kBend: the tic holds a whole number of cycles and starts at phase zero, so every join
///    is phase-continuous; in its middle it is the nominal tone, and within its edges its
///    phase is drawn smoothly to the whole cycle (half the difference at each end).
///  - kFade: the tic is the nominal tone from phase zero, whole cycles or not; within its
///    edges its amplitude rises from zero and falls back to zero (half a cosine), so a join
///    meets near zero and the phase may change there without a click. No phase is drawn, so
///    a correlating receiver sees the nominal tone over the whole bit, with a clock error too.
enum class Join { kBend, kFade };

/// How the tics of one rate are cut, chosen per rate by measurement (README.md, "Tic
/// designs").
///  - `length_tolerance`: how far, as a share of the bit time, a tone's tic may be longer or
///    shorter than the bit so that its whole cycles come nearer the nominal tone (kBend
///    only). 0 keeps every tic at the bit time rounded to whole samples, which keeps every
///    bit edge of a frame on the ideal grid (within 3 % of a bit at every shipped rate).
///  - `edge_seconds`: the span at each end of a tic within which the join is made.
struct TicDesign {
  double length_tolerance = 0.0;
  double edge_seconds = 0.002;
  Join join = Join::kBend;
};

/// One TTY bit rate that gets its own pair of tic clips. `tag` is the number in the clip
/// names ("45" in "marktic45baud.wav" for 45.45 baud).
struct BaudRate {
  std::string_view tag;
  double baud;
  TicDesign design;
};

inline constexpr std::array<BaudRate, 4> kBaudRates{{
    {"45", 45.45, {0.0, 0.002, Join::kFade}},
    {"50", 50.0, {0.0, 0.002, Join::kBend}},  // whole cycles of both tones: nothing to draw
    {"75", 75.0, {0.0, 0.002, Join::kFade}},
    {"110", 110.0, {0.0, 0.002, Join::kFade}},
}};

/// US TTY/TDD tones: mark carries binary 1, space binary 0. A sent tone may miss its
/// nominal frequency by this share either way.
inline constexpr double kMarkHz = 1400.0;
inline constexpr double kSpaceHz = 1800.0;
inline constexpr double kToneTolerance = 0.05;

/// How one tic is cut: `samples` long, running at `nominal_hz`, joined as `join` says within
/// its first and last `edge_samples`. A kBend tic holds `cycles` whole cycles, its phase
/// drawn smoothly to them within the edges (a fraction of a cycle in all), so it starts and
/// ends at phase zero; a kFade tic starts at phase zero and at amplitude zero and ends at
/// amplitude zero (`cycles` is 0). Either way any tic may follow any other without a jump.
struct TonePlan {
  double nominal_hz = 0;
  int samples = 0;
  int cycles = 0;
  int edge_samples = 0;
  Join join = Join::kBend;
};

/// The mark and space tics of one rate at one sample rate.
struct TicPlan {
  int sample_rate = 0;
  TonePlan mark;
  TonePlan space;

  /// The tone a tic averages: its whole cycles over its length (kFade: the nominal tone).
  double AverageHz(const TonePlan& tone) const {
    if (tone.join == Join::kFade) return tone.nominal_hz;
    return static_cast<double>(tone.cycles) * sample_rate / tone.samples;
  }
  double Seconds(const TonePlan& tone) const {
    return static_cast<double>(tone.samples) / sample_rate;
  }
};

/// Cuts the tic of one tone. kFade: the bit time rounded to whole samples. kBend: among the
/// lengths the design allows (the bit time rounded, and any within `design.length_tolerance`
/// of the bit time), the one whose nearest whole cycle count averages closest to `nominal_hz`
/// (ties: the length nearest the bit time). Fails when the tone does not stay below half the
/// sample rate or, for kBend, when its whole cycles miss it by more than the tolerance.
bool PlanTone(int sample_rate, double baud, const TicDesign& design, double nominal_hz,
              TonePlan* tone, std::string* err);

/// Plans the mark and space tics of `rate` at `sample_rate`.
bool PlanTic(int sample_rate, const BaudRate& rate, TicPlan* plan, std::string* err);

}  // namespace quillon::clipgen

#endif  // QUILLON_TOOLS_CLIPGEN_TIC_PLAN_H_
