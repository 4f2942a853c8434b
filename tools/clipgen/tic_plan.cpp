#include "tools/clipgen/tic_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillon::clipgen {

namespace {

std::string Describe(double hz, int sample_rate, int samples) {
  char text[160];
  std::snprintf(text, sizeof text, "%.0f Hz in a tic of %d samples at %d Hz", hz, samples,
                sample_rate);
  return text;
}

/// How far the whole cycles nearest `nominal_hz` in `samples` samples miss it, in Hz.
double Miss(int sample_rate, int samples, double nominal_hz) {
  const double cycles = std::round(nominal_hz * samples / sample_rate);
  return std::fabs(cycles * sample_rate / samples - nominal_hz);
}

/// The tic length for one tone: see PlanTone.
int ChooseLength(int sample_rate, double baud, const TicDesign& design, double nominal_hz) {
  const double bit = sample_rate / baud;
  int best = static_cast<int>(std::lround(bit));
  const int shortest = static_cast<int>(std::ceil(bit * (1.0 - design.length_tolerance)));
  const int longest = static_cast<int>(std::floor(bit * (1.0 + design.length_tolerance)));
  for (int samples = std::max(shortest, 1); samples <= longest; ++samples) {
    const double miss = Miss(sample_rate, samples, nominal_hz);
    const double best_miss = Miss(sample_rate, best, nominal_hz);
    if (miss < best_miss - 1e-9 ||
        (miss < best_miss + 1e-9 && std::fabs(samples - bit) < std::fabs(best - bit))) {
      best = samples;
    }
  }
  return best;
}

}  // namespace

bool PlanTone(int sample_rate, double baud, const TicDesign& design, double nominal_hz,
              TonePlan* tone, std::string* err) {
  if (sample_rate <= 0 || baud <= 0) {
    *err = "sample rate and baud rate must be positive";
    return false;
  }
  const bool fade = design.join == Join::kFade;
  const int samples = fade ? static_cast<int>(std::lround(sample_rate / baud))
                           : ChooseLength(sample_rate, baud, design, nominal_hz);
  const int cycles = static_cast<int>(std::lround(nominal_hz * samples / sample_rate));
  if (cycles < 1 || 2 * nominal_hz >= sample_rate || 2 * cycles >= samples) {
    *err = "cannot carry " + Describe(nominal_hz, sample_rate, samples) +
           ": the tone is not below half the sample rate";
    return false;
  }
  const double average = static_cast<double>(cycles) * sample_rate / samples;
  if (!fade && std::fabs(average - nominal_hz) > kToneTolerance * nominal_hz) {
    char miss[64];
    std::snprintf(miss, sizeof miss, " (nearest whole-cycle tone %.1f Hz, off by more than 5%%)",
                  average);
    *err = "cannot carry " + Describe(nominal_hz, sample_rate, samples) + miss;
    return false;
  }
  tone->nominal_hz = nominal_hz;
  tone->samples = samples;
  tone->cycles = fade ? 0 : cycles;
  tone->join = design.join;
  // The edges leave at least half the tic to the nominal tone at full amplitude.
  tone->edge_samples =
      std::min(static_cast<int>(std::lround(design.edge_seconds * sample_rate)), samples / 4);
  return true;
}

bool PlanTic(int sample_rate, const BaudRate& rate, TicPlan* plan, std::string* err) {
  TicPlan result;
  result.sample_rate = sample_rate;
  if (!PlanTone(sample_rate, rate.baud, rate.design, kMarkHz, &result.mark, err) ||
      !PlanTone(sample_rate, rate.baud, rate.design, kSpaceHz, &result.space, err)) {
    return false;
  }
  *plan = result;
  return true;
}

}  // namespace quillon::clipgen
