#include "core/verification/receiver.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

// clang-format off
// spandsp's headers are C and rely on each other's declarations, in this order.
#include <spandsp/telephony.h>
#include <spandsp/async.h>
#include <spandsp/bit_operations.h>
#include <spandsp/fsk.h>
// clang-format on

namespace quillon {
namespace {

// spandsp's receivers run at one sample rate only.
constexpr int kSpandspSampleRate = 8000;
// The weakest carrier the receiver accepts, as spandsp's own TDD receiver sets it. Our
// clips are sent at -10 dBm0.
constexpr int kMinimumLevelDbm0 = -30;
// Sample data is decoded through a buffer of this many samples.
constexpr size_t kDecodeBlock = 1024;

fsk_spec_t ModemFor(const TtySignal& signal) {
  fsk_spec_t modem{};
  modem.name = "TTY";
  modem.freq_zero = static_cast<int>(std::lround(signal.space_hz));
  modem.freq_one = static_cast<int>(std::lround(signal.mark_hz));
  modem.tx_level = 0;
  modem.min_level = kMinimumLevelDbm0;
  modem.baud_rate = static_cast<int>(std::lround(signal.baud * 100.0));
  return modem;
}

bool InRange(double value, double low, double high) {
  return value >= low && value <= high;
}

}  // namespace

TtySignal NominalSignal(BaudRate rate) {
  TtySignal signal;
  switch (rate) {
    case BaudRate::Baud45:
      signal.baud = 45.45;
      break;
    case BaudRate::Baud50:
      signal.baud = 50.0;
      break;
    case BaudRate::Baud75:
      signal.baud = 75.0;
      break;
    case BaudRate::Baud110:
      signal.baud = 110.0;
      break;
  }
  return signal;
}

bool CheckSignal(const TtySignal& signal, std::string* err) {
  if (signal.sample_rate != kSpandspSampleRate) {
    *err = "the receiver works at 8000 samples a second only, not at " +
           std::to_string(signal.sample_rate);
    return false;
  }
  if (!InRange(signal.baud, 10.0, 1200.0)) {
    *err = "a bit rate of " + QString::number(signal.baud).toStdString() +
           " baud cannot be received (10 to 1200 baud)";
    return false;
  }
  const double nyquist = kSpandspSampleRate / 2.0;
  if (!InRange(signal.mark_hz, 1.0, nyquist - 1.0) ||
      !InRange(signal.space_hz, 1.0, nyquist - 1.0)) {
    *err = "the tones must lie between 1 and 3999 Hz";
    return false;
  }
  const fsk_spec_t modem = ModemFor(signal);
  if (modem.freq_one == modem.freq_zero) {
    *err = "mark and space are the same tone";
    return false;
  }
  return true;
}

void BaudotReceiver::Release::operator()(fsk_rx_state_s* rx) const {
  fsk_rx_free(rx);
}

std::unique_ptr<BaudotReceiver> BaudotReceiver::Create(const TtySignal& signal, std::string* err) {
  if (!CheckSignal(signal, err)) return nullptr;
  std::unique_ptr<BaudotReceiver> receiver(new BaudotReceiver);
  const fsk_spec_t modem = ModemFor(signal);
  receiver->rx_.reset(
      fsk_rx_init(nullptr, &modem, FSK_FRAME_MODE_5N1_FRAMES, &PutFrame, receiver.get()));
  if (!receiver->rx_) {
    *err = "out of memory for the receiver";
    return nullptr;
  }
  return receiver;
}

BaudotReceiver::~BaudotReceiver() = default;

// spandsp hands over each framed character, and, with no status handler set, the
// carrier going up or down as a negative value, which prints nothing.
void BaudotReceiver::PutFrame(void* receiver, int frame) {
  if (frame < 0) return;
  static_cast<BaudotReceiver*>(receiver)->codes_.push_back(static_cast<BaudotCode>(frame & 0x1f));
}

void BaudotReceiver::Receive(std::span<const std::int16_t> samples) {
  while (!samples.empty()) {
    const size_t block = std::min<size_t>(samples.size(), INT_MAX);
    fsk_rx(rx_.get(), samples.data(), static_cast<int>(block));
    samples = samples.subspan(block);
  }
}

void BaudotReceiver::Receive(std::span<const std::uint8_t> data, wav::SampleFormat format) {
  const size_t sample_bytes = static_cast<size_t>(wav::BytesPerSample(format));
  std::int16_t linear[kDecodeBlock];
  while (data.size() >= sample_bytes) {
    const size_t block = std::min(data.size() / sample_bytes, kDecodeBlock);
    wav::DecodeSamples(data.first(block * sample_bytes), format, linear);
    fsk_rx(rx_.get(), linear, static_cast<int>(block));
    data = data.subspan(block * sample_bytes);
  }
}

bool ReceiveCodes(std::span<const std::int16_t> samples, const TtySignal& signal,
                  std::vector<BaudotCode>* codes, std::string* err) {
  const std::unique_ptr<BaudotReceiver> receiver = BaudotReceiver::Create(signal, err);
  if (!receiver) return false;
  receiver->Receive(samples);
  *codes = receiver->codes();
  return true;
}

bool ReceiveBaudot(std::span<const std::int16_t> samples, const TtySignal& signal, QString* text,
                   std::string* err) {
  const std::unique_ptr<BaudotReceiver> receiver = BaudotReceiver::Create(signal, err);
  if (!receiver) return false;
  receiver->Receive(samples);
  *text = PrintBaudot(receiver->codes());
  return true;
}

bool ReceiveBaudot(std::span<const std::uint8_t> data, wav::SampleFormat format,
                   const TtySignal& signal, QString* text, std::string* err) {
  const std::unique_ptr<BaudotReceiver> receiver = BaudotReceiver::Create(signal, err);
  if (!receiver) return false;
  receiver->Receive(data, format);
  *text = PrintBaudot(receiver->codes());
  return true;
}

}  // namespace quillon
