#include "tools/clipgen/clip_set.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/clipgen/tic_plan.h"

namespace quillon::clipgen {

namespace {

constexpr double kInt16FullScale = 32767.0;

/// The blank's frame: start bit, code 00000, two stop bits; true stands for space.
constexpr bool kBlankFrame[8] = {true, true, true, true, true, true, false, false};

struct Tics {
  std::vector<int16_t> mark;
  std::vector<int16_t> space;
};

Tics MakeTics(const TicPlan& plan, double amplitude) {
  return {Tic(plan.mark, plan.sample_rate, amplitude),
          Tic(plan.space, plan.sample_rate, amplitude)};
}

/// A smooth step from 0 (at `u` <= 0) to 1 (at `u` >= 1): half a cosine, flat at both ends.
double SmoothStep(double u) {
  if (u <= 0) return 0;
  if (u >= 1) return 1;
  return 0.5 - 0.5 * std::cos(std::numbers::pi * u);
}

/// A kFade tic: the nominal tone from phase zero, its amplitude rising over the first
/// `edge_samples` and falling over the last (half a cosine each, sampled between the integer
/// points, so that the first and last samples are near zero but the same shape at both ends).
/// The peak is raised so that the tic carries the power of a steady tone at `amplitude`: the
/// set's level is a power level.
std::vector<int16_t> FadedTic(const TonePlan& tone, int sample_rate, double amplitude) {
  const int n = tone.samples;
  const double edge = std::max(tone.edge_samples, 1);
  std::vector<double> gain(n);
  double power = 0;
  for (int i = 0; i < n; ++i) {
    gain[i] = SmoothStep((i + 0.5) / edge) * SmoothStep((n - i - 0.5) / edge);
    power += gain[i] * gain[i];
  }
  const double peak = amplitude * std::sqrt(n / power);
  const double step = tone.nominal_hz / sample_rate;  // cycles per sample
  std::vector<int16_t> tic(n);
  for (int i = 0; i < n; ++i) {
    const double cycles = step * i;
    const double phase = 2.0 * std::numbers::pi * (cycles - std::floor(cycles));
    tic[i] = static_cast<int16_t>(std::lround(peak * gain[i] * std::sin(phase)));
  }
  return tic;
}

void Append(std::vector<int16_t>* out, const std::vector<int16_t>& part, int times = 1) {
  for (int i = 0; i < times; ++i) out->insert(out->end(), part.begin(), part.end());
}

int SamplesFor(double seconds, int sample_rate) {
  return static_cast<int>(std::lround(seconds * sample_rate));
}

std::vector<int16_t> BlankChar(const Tics& tics) {
  std::vector<int16_t> samples;
  for (bool space : kBlankFrame) Append(&samples, space ? tics.space : tics.mark);
  return samples;
}

std::vector<int16_t> SmallSilence(const Tics& tics, int sample_rate) {
  const int tic = static_cast<int>(tics.mark.size());
  const int mark_tics = (SamplesFor(kLeadMarkSeconds, sample_rate) + tic - 1) / tic;
  std::vector<int16_t> samples(SamplesFor(kLeadSilenceSeconds, sample_rate), 0);
  Append(&samples, tics.mark, mark_tics);
  return samples;
}

}  // namespace

double AmplitudeForLevel(double level_dbm0) {
  return kInt16FullScale * std::pow(10.0, (level_dbm0 - kFullScaleDbm0) / 20.0);
}

std::vector<int16_t> Tic(const TonePlan& tone, int sample_rate, double amplitude) {
  const int n = tone.samples;
  const double step = tone.nominal_hz / sample_rate;  // cycles per sample
  // The fraction of a cycle between the nominal tone over the whole tic and its whole
  // cycles; half of it is taken up at each edge.
  const double half_gap = (tone.cycles - step * n) / 2;
  const double edge = std::max(tone.edge_samples, 1);
  std::vector<int16_t> tic(n);
  if (tone.join == Join::kFade) return FadedTic(tone, sample_rate, amplitude);
  for (int i = 0; i < n; ++i) {
    const double bend = half_gap * (SmoothStep(i / edge) + SmoothStep((i - (n - edge)) / edge));
    const double cycles = step * i + bend;
    const double phase = 2.0 * std::numbers::pi * (cycles - std::floor(cycles));
    tic[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(phase)));
  }
  return tic;
}

bool BuildClipSet(const ClipSetOptions& options, std::vector<Clip>* clips, std::string* err) {
  const double amplitude = AmplitudeForLevel(options.level_dbm0);
  std::vector<Clip> result;
  Tics tty_tics;
  for (const BaudRate& rate : kBaudRates) {
    TicPlan plan;
    if (!PlanTic(options.sample_rate, rate, &plan, err)) return false;
    Tics tics = MakeTics(plan, amplitude);
    const std::string suffix = std::string(rate.tag) + "baud.wav";
    result.push_back({"marktic" + suffix, tics.mark});
    result.push_back({"spacetic" + suffix, tics.space});
    if (rate.tag == kBaudRates[0].tag) tty_tics = std::move(tics);
  }
  result.push_back({"BlankChar.wav", BlankChar(tty_tics)});
  result.push_back({"smallsilence.wav", SmallSilence(tty_tics, options.sample_rate)});
  result.push_back({"silence.wav", std::vector<int16_t>(
                                       SamplesFor(kTrailingSilenceSeconds, options.sample_rate))});
  *clips = std::move(result);
  return true;
}

}  // namespace quillon::clipgen
