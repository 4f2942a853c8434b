#include "tools/clipgen/clip_set.h"

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
  return {Tone(plan.samples, plan.mark_cycles, amplitude),
          Tone(plan.samples, plan.space_cycles, amplitude)};
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

std::vector<int16_t> Tone(int samples, int cycles, double amplitude) {
  std::vector<int16_t> tone(samples);
  for (int i = 0; i < samples; ++i) {
    // Reduce the phase to one cycle in integers so that every cycle gets the same samples.
    const long long step = static_cast<long long>(cycles) * i % samples;
    const double phase = 2.0 * std::numbers::pi * static_cast<double>(step) / samples;
    tone[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(phase)));
  }
  return tone;
}

bool BuildClipSet(const ClipSetOptions& options, std::vector<Clip>* clips, std::string* err) {
  const double amplitude = AmplitudeForLevel(options.level_dbm0);
  std::vector<Clip> result;
  Tics tty_tics;
  for (const BaudRate& rate : kBaudRates) {
    TicPlan plan;
    if (!PlanTic(options.sample_rate, rate.baud, &plan, err)) return false;
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
