#include "bench/line_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>

// clang-format off
// spandsp's headers are C and rely on each other's declarations, in this order.
#include <spandsp/telephony.h>
#include <spandsp/awgn.h>
#include <spandsp/bit_operations.h>
#include <spandsp/g711.h>
// clang-format on

namespace quillon::bench {
namespace {

constexpr double kPi = std::numbers::pi;
// The deepest loss a table asks for; 60 dB is below anything a tone at the break can hear.
constexpr double kFloorDb = 60.0;

// Band-limited flat line: 0 dB from 300 to 3400 Hz, rolling off outside the voice band.
constexpr std::array<ResponsePoint, 8> kFlat{{
    {0, kFloorDb, 0},
    {150, 40, 0},
    {250, 10, 0},
    {300, 0, 0},
    {3400, 0, 0},
    {3500, 10, 0},
    {3700, 40, 0},
    {4000, kFloorDb, 0},
}};

// Medium-range line, Proakis, "Digital Communications", tabulated amplitude (peak 2.3) and
// envelope delay in ms, every 200 Hz.
struct AmplitudePoint {
  double hz;
  double amplitude;
  double delay_ms;
};
constexpr std::array<AmplitudePoint, 21> kProakisTable{{
    {0, 0.00, 4.80},    {200, 0.90, 3.50},  {400, 1.40, 2.20},  {600, 1.80, 0.90},
    {800, 2.00, 0.50},  {1000, 2.10, 0.25}, {1200, 2.30, 0.10}, {1400, 2.30, 0.05},
    {1600, 2.20, 0.00}, {1800, 2.10, 0.00}, {2000, 2.00, 0.00}, {2200, 1.85, 0.05},
    {2400, 1.75, 0.10}, {2600, 1.55, 0.20}, {2800, 1.30, 0.40}, {3000, 1.10, 0.50},
    {3200, 0.80, 0.90}, {3400, 0.55, 1.20}, {3600, 0.25, 2.20}, {3800, 0.05, 3.20},
    {4000, 0.05, 4.20},
}};

std::array<ResponsePoint, kProakisTable.size()> ProakisPoints() {
  std::array<ResponsePoint, kProakisTable.size()> points{};
  for (size_t i = 0; i < kProakisTable.size(); ++i) {
    const AmplitudePoint& p = kProakisTable[i];
    const double loss =
        p.amplitude > 0 ? std::min(kFloorDb, -20 * std::log10(p.amplitude / 2.3)) : kFloorDb;
    points[i] = {p.hz, loss, p.delay_ms};
  }
  return points;
}
const std::array<ResponsePoint, kProakisTable.size()> kProakis = ProakisPoints();

// ITU-T V.56bis loops: attenuation distortion AD-5 with envelope delay distortion EDD-2, and
// AD-9 with EDD-3 (loss relative to 1000 Hz, delay above the least delay).
constexpr std::array<ResponsePoint, 40> kAd5Edd2{{
    {0, kFloorDb, 3.76}, {200, 3.2, 3.76},   {300, 1.4, 3.76},   {400, 0.4, 2.20},
    {500, -0.1, 1.36},   {600, -0.1, 0.91},  {700, 0.1, 0.64},   {800, 0.0, 0.46},
    {900, 0.0, 0.34},    {1000, 0.0, 0.24},  {1100, 0.0, 0.16},  {1200, 0.0, 0.11},
    {1300, 0.1, 0.07},   {1400, 0.2, 0.05},  {1500, 0.2, 0.03},  {1600, 0.3, 0.01},
    {1700, 0.3, 0.00},   {1800, 0.3, 0.00},  {1900, 0.4, 0.02},  {2000, 0.5, 0.04},
    {2100, 0.6, 0.08},   {2200, 0.7, 0.12},  {2300, 0.9, 0.16},  {2400, 1.1, 0.20},
    {2500, 1.3, 0.27},   {2600, 1.6, 0.36},  {2700, 2.0, 0.47},  {2800, 2.3, 0.60},
    {2900, 2.8, 0.77},   {3000, 3.2, 1.01},  {3100, 3.5, 1.32},  {3200, 4.1, 1.78},
    {3300, 4.8, 1.78},   {3400, 5.3, 1.78},  {3500, 5.7, 1.78},  {3600, 6.6, 1.78},
    {3700, 8.9, 1.78},   {3800, 15.7, 1.78}, {3900, 31.1, 1.78}, {4000, 31.1, 1.78},
}};
constexpr std::array<ResponsePoint, 40> kAd9Edd3{{
    {0, kFloorDb, 8.0}, {200, 23.3, 8.0},  {300, 13.9, 8.0},  {400, 7.9, 6.9},   {500, 4.1, 5.5},
    {600, 2.4, 4.4},    {700, 1.7, 3.4},   {800, 1.1, 2.8},   {900, 0.4, 2.0},   {1000, 0.0, 1.5},
    {1100, -0.2, 1.0},  {1200, -0.2, 0.7}, {1300, -0.2, 0.4}, {1400, -0.3, 0.3}, {1500, -0.4, 0.2},
    {1600, -0.3, 0.1},  {1700, -0.1, 0.1}, {1800, 0.0, 0.0},  {1900, 0.2, 0.1},  {2000, 0.5, 0.1},
    {2100, 0.9, 0.1},   {2200, 1.1, 0.2},  {2300, 1.5, 0.2},  {2400, 1.8, 0.3},  {2500, 2.3, 0.4},
    {2600, 2.8, 0.5},   {2700, 3.4, 0.8},  {2800, 4.0, 1.1},  {2900, 4.9, 1.5},  {3000, 5.9, 2.0},
    {3100, 6.8, 2.6},   {3200, 7.7, 3.2},  {3300, 9.2, 4.0},  {3400, 10.7, 4.0}, {3500, 12.6, 4.0},
    {3600, 15.5, 4.0},  {3700, 20.5, 4.0}, {3800, 32.4, 4.0}, {3900, 59.9, 4.0}, {4000, 59.9, 4.0},
}};

const std::array<LineShape, 4> kShapes{{
    {"flat", kFlat},
    {"Proakis", kProakis},
    {"AD-5/EDD-2", kAd5Edd2},
    {"AD-9/EDD-3", kAd9Edd3},
}};

// The frequency grid the filters are designed on.
constexpr int kDesignPoints = 2048;

// A Tukey window, flat over its middle half: the excess delay of the loops (up to 8 ms below
// 400 Hz) puts part of the impulse response well off the centre, where a Blackman window
// would cut the low frequencies down.
double Tukey(int n, int taps) {
  const double u = static_cast<double>(n) / (taps - 1);  // 0..1
  constexpr double kTaper = 0.25;                        // each end
  if (u < kTaper) return 0.5 - 0.5 * std::cos(kPi * u / kTaper);
  if (u > 1 - kTaper) return 0.5 - 0.5 * std::cos(kPi * (1 - u) / kTaper);
  return 1.0;
}

// The zeroth-order modified Bessel function, for the Kaiser window.
double BesselI0(double x) {
  double sum = 1;
  double term = 1;
  for (int k = 1; k < 30; ++k) {
    term *= (x / (2 * k)) * (x / (2 * k));
    sum += term;
  }
  return sum;
}

std::complex<double> Response(std::span<const float> filter, double hz) {
  std::complex<double> sum = 0;
  const double w = 2 * kPi * hz / kLineSampleRate;
  for (size_t n = 0; n < filter.size(); ++n)
    sum += static_cast<double>(filter[n]) * std::polar(1.0, -w * static_cast<double>(n));
  return sum;
}

std::int16_t Saturate(double v) {
  return static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

}  // namespace

std::span<const LineShape> LineShapes() {
  return kShapes;
}

ResponsePoint Interpolate(const LineShape& shape, double hz) {
  const auto& p = shape.points;
  if (hz <= p.front().hz) return {hz, p.front().loss_db, p.front().delay_ms};
  for (size_t i = 1; i < p.size(); ++i) {
    if (hz <= p[i].hz) {
      const double u = (hz - p[i - 1].hz) / (p[i].hz - p[i - 1].hz);
      return {hz, p[i - 1].loss_db + u * (p[i].loss_db - p[i - 1].loss_db),
              p[i - 1].delay_ms + u * (p[i].delay_ms - p[i - 1].delay_ms)};
    }
  }
  return {hz, p.back().loss_db, p.back().delay_ms};
}

// The excess phase is the integral of the excess delay over frequency; the filter's own
// delay of (taps - 1) / 2 samples comes on top.
std::vector<float> DesignLineFilter(const LineShape& shape, int taps) {
  const double centre = (taps - 1) / 2.0;
  const double step = kLineSampleRate / 2.0 / kDesignPoints;
  std::vector<double> gain(kDesignPoints + 1);
  std::vector<double> phase(kDesignPoints + 1);
  double excess = 0;
  for (int k = 0; k <= kDesignPoints; ++k) {
    const ResponsePoint at = Interpolate(shape, k * step);
    if (k > 0)
      excess +=
          2 * kPi * step * (at.delay_ms + Interpolate(shape, (k - 1) * step).delay_ms) / 2 / 1000;
    gain[k] = std::pow(10.0, -at.loss_db / 20);
    phase[k] = excess;
  }
  std::vector<float> filter(static_cast<size_t>(taps));
  for (int n = 0; n < taps; ++n) {
    // The inverse transform of a real filter's response over 0..fs/2 (trapezoid rule).
    double sum = 0;
    for (int k = 0; k <= kDesignPoints; ++k) {
      const double w = kPi * k / kDesignPoints;  // radians a sample
      const double weight = (k == 0 || k == kDesignPoints) ? 0.5 : 1.0;
      sum += weight * gain[k] * std::cos(w * (n - centre) - phase[k]);
    }
    filter[static_cast<size_t>(n)] = static_cast<float>(sum / kDesignPoints * Tukey(n, taps));
  }
  return filter;
}

double GainDb(std::span<const float> filter, double hz) {
  return 20 * std::log10(std::abs(Response(filter, hz)));
}

double GroupDelayMs(std::span<const float> filter, double hz) {
  const double dh = 1.0;
  const double before = std::arg(Response(filter, hz - dh));
  const double after = std::arg(Response(filter, hz + dh));
  double dphase = after - before;
  while (dphase > kPi) dphase -= 2 * kPi;
  while (dphase < -kPi) dphase += 2 * kPi;
  return -dphase / (2 * kPi * 2 * dh) * 1000;
}

// Written tap by tap over the whole signal, so that the inner loop is a plain multiply-add
// the compiler can vectorise.
std::vector<float> Filter(std::span<const float> filter, std::span<const float> in) {
  std::vector<float> out(in.size(), 0.0f);
  for (size_t k = 0; k < filter.size() && k < in.size(); ++k) {
    const float h = filter[k];
    const float* x = in.data();
    float* y = out.data() + k;
    const size_t n = in.size() - k;
    for (size_t i = 0; i < n; ++i) y[i] += h * x[i];
  }
  return out;
}

// The interpolation kernel is tabulated once, kKernelSteps points a sample, and read with
// linear interpolation.
std::vector<float> ChangeClock(std::span<const float> in, double speed) {
  constexpr int kHalfWidth = 32;
  constexpr int kKernelSteps = 256;
  constexpr double kBeta = 8.0;
  const double cutoff = 0.45 * std::min(1.0, 1.0 / speed);  // cycles a sample
  std::vector<double> kernel(kHalfWidth * kKernelSteps + 2, 0.0);
  for (size_t i = 0; i + 1 < kernel.size(); ++i) {
    const double d = static_cast<double>(i) / kKernelSteps;
    const double r = d / kHalfWidth;
    if (r >= 1) break;
    const double x = 2 * kPi * cutoff * d;
    const double sinc = x < 1e-9 ? 1.0 : std::sin(x) / x;
    kernel[i] = 2 * cutoff * sinc * BesselI0(kBeta * std::sqrt(1 - r * r)) / BesselI0(kBeta);
  }
  const auto kernel_at = [&kernel](double d) {
    const double at = std::fabs(d) * kKernelSteps;
    const auto i = static_cast<size_t>(at);
    if (i + 1 >= kernel.size()) return 0.0;
    const double u = at - static_cast<double>(i);
    return kernel[i] + u * (kernel[i + 1] - kernel[i]);
  };
  const auto length =
      static_cast<size_t>(std::floor((static_cast<double>(in.size()) - 1) / speed)) + 1;
  std::vector<float> out(length);
  const auto last = static_cast<long>(in.size()) - 1;
  for (size_t m = 0; m < length; ++m) {
    const double t = static_cast<double>(m) * speed;
    const auto centre = static_cast<long>(std::floor(t));
    double sum = 0;
    for (long n = std::max(0L, centre - kHalfWidth + 1); n <= std::min(last, centre + kHalfWidth);
         ++n)
      sum +=
          static_cast<double>(in[static_cast<size_t>(n)]) * kernel_at(t - static_cast<double>(n));
    out[m] = static_cast<float>(sum);
  }
  return out;
}

std::vector<std::int16_t> Transmit(const Line& line, std::span<const float> near, double noise_dbm0,
                                   int seed) {
  awgn_state_t* near_noise = awgn_init_dbm0(nullptr, seed, static_cast<float>(noise_dbm0));
  awgn_state_t* far_noise = awgn_init_dbm0(nullptr, seed + 7919, static_cast<float>(noise_dbm0));
  std::vector<float> digital(near.size());
  for (size_t i = 0; i < near.size(); ++i) {
    const std::int16_t analogue = Saturate(near[i] + awgn(near_noise));
    digital[i] = line.law == Law::MuLaw ? ulaw_to_linear(linear_to_ulaw(analogue))
                                        : alaw_to_linear(linear_to_alaw(analogue));
  }
  const std::vector<float> far = Filter(line.filter, digital);
  std::vector<std::int16_t> out(far.size());
  for (size_t i = 0; i < far.size(); ++i) out[i] = Saturate(far[i] + awgn(far_noise));
  awgn_free(near_noise);
  awgn_free(far_noise);
  return out;
}

double LevelDbm0(double rms) {
  return 3.14 + 20 * std::log10(rms * std::numbers::sqrt2 / 32767.0);
}

double RmsForLevel(double dbm0) {
  return 32767.0 / std::numbers::sqrt2 * std::pow(10.0, (dbm0 - 3.14) / 20);
}

double SignalLevelDbm0(std::span<const float> samples) {
  constexpr size_t kBlock = kLineSampleRate / 50;
  std::vector<double> powers;
  for (size_t at = 0; at + kBlock <= samples.size(); at += kBlock) {
    double sum = 0;
    for (size_t i = at; i < at + kBlock; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    powers.push_back(sum / kBlock);
  }
  if (powers.empty()) return -100;
  const double loudest = *std::max_element(powers.begin(), powers.end());
  double sum = 0;
  int blocks = 0;
  for (double p : powers) {
    if (p >= loudest / 100) {
      sum += p;
      ++blocks;
    }
  }
  return LevelDbm0(std::sqrt(sum / blocks));
}

}  // namespace quillon::bench
