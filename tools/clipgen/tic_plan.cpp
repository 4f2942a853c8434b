#include "tools/clipgen/tic_plan.h"

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

}  // namespace

bool PlanCycles(int sample_rate, int samples, double nominal_hz, int* cycles, std::string* err) {
  const int nearest = static_cast<int>(std::lround(nominal_hz * samples / sample_rate));
  if (nearest < 1 || 2 * nearest >= samples) {
    *err = "cannot carry " + Describe(nominal_hz, sample_rate, samples) +
           ": the tone is not below half the sample rate";
    return false;
  }
  const double actual = static_cast<double>(nearest) * sample_rate / samples;
  if (std::fabs(actual - nominal_hz) > kToneTolerance * nominal_hz) {
    char miss[64];
    std::snprintf(miss, sizeof miss, " (nearest whole-cycle tone %.1f Hz, off by more than 5%%)",
                  actual);
    *err = "cannot carry " + Describe(nominal_hz, sample_rate, samples) + miss;
    return false;
  }
  *cycles = nearest;
  return true;
}

bool PlanTic(int sample_rate, double baud, TicPlan* plan, std::string* err) {
  if (sample_rate <= 0 || baud <= 0) {
    *err = "sample rate and baud rate must be positive";
    return false;
  }
  TicPlan result;
  result.sample_rate = sample_rate;
  result.samples = static_cast<int>(std::lround(sample_rate / baud));
  if (!PlanCycles(sample_rate, result.samples, kMarkHz, &result.mark_cycles, err) ||
      !PlanCycles(sample_rate, result.samples, kSpaceHz, &result.space_cycles, err)) {
    return false;
  }
  *plan = result;
  return true;
}

}  // namespace quillon::clipgen
