#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quillon::bench {

/// Every signal of the line model runs at the telephone network's 8000 samples a second.
inline constexpr int kLineSampleRate = 8000;

/// One point of a published line response: the loss at `hz` relative to the line's
/// reference (dB, positive is weaker) and the envelope delay above the line's least delay
/// (ms).
struct ResponsePoint {
  double hz;
  double loss_db;
  double delay_ms;
};

/// The analogue section of a telephone line, as a published response: a name for the
/// table and its points, in rising frequency from 0 to 4000 Hz.
struct LineShape {
  std::string_view name;
  std::span<const ResponsePoint> points;
};

/// The line shapes the benchmark sends through: flat 300-3400 Hz, the medium-range line of
/// Proakis' "Digital Communications", and the V.56bis loops AD-5 with EDD-2 and AD-9 with
/// EDD-3.
std::span<const LineShape> LineShapes();

/// The response a shape asks for at `hz`: loss (dB) and excess delay (ms), each linearly
/// interpolated between its points.
ResponsePoint Interpolate(const LineShape& shape, double hz);

/// The taps of the benchmark's line filters: 32 ms, room for the loops' excess delay.
inline constexpr int kLineTaps = 257;

/// A linear-phase FIR filter of `taps` taps (odd) at 8 kHz whose gain follows `shape` and
/// whose group delay is (taps - 1) / 2 samples plus the shape's excess delay: the frequency
/// response is sampled on a fine grid, brought back to an impulse response and shaped by a
/// Tukey window.
std::vector<float> DesignLineFilter(const LineShape& shape, int taps);

/// The gain (dB) and group delay (ms) of `filter` at `hz`.
double GainDb(std::span<const float> filter, double hz);
double GroupDelayMs(std::span<const float> filter, double hz);

/// `in` filtered by `filter` (same length as `in`: the filter's tail is cut).
std::vector<float> Filter(std::span<const float> filter, std::span<const float> in);

/// What a player whose sample clock runs `speed` times the nominal rate makes of `in`
/// (1.01: 1 % fast, every tone 1 % higher and every bit 1 % shorter), resampled by a
/// Kaiser-windowed sinc.
std::vector<float> ChangeClock(std::span<const float> in, double speed);

/// The G.711 law of the digital section.
enum class Law { MuLaw, ALaw };

/// A one-way telephone connection: an analogue section with its own white noise, the
/// G.711 digital section, and the far analogue section with its own noise; both analogue
/// sections have the same response.
struct Line {
  std::vector<float> filter;
  Law law = Law::MuLaw;
};

/// `signal` (16-bit units, already at its sending level) as the far end hears it, with
/// white noise of `noise_dbm0` on each analogue section (0-4 kHz, spandsp's AWGN, seeded by
/// `seed`). `near` is `signal` through the near section's filter, computed once per signal.
std::vector<std::int16_t> Transmit(const Line& line, std::span<const float> near, double noise_dbm0,
                                   int seed);

/// The level in dBm0 of a signal of RMS `rms` (16-bit units), and back; a full-scale sine is
/// +3.14 dBm0 (G.711).
double LevelDbm0(double rms);
double RmsForLevel(double dbm0);

/// The level of `samples` over the stretches that carry a signal (20 ms blocks within 20 dB
/// of the loudest), in dBm0; so silence before and after a prompt does not count.
double SignalLevelDbm0(std::span<const float> samples);

}  // namespace quillon::bench
