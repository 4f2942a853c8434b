#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/synthesis/alphabet.h"
#include "core/verification/baudot_table.h"
#include "tools/wav/samples.h"

struct fsk_rx_state_s;

namespace quillon {

/// The FSK signal a receiver listens for: the bit rate, the two tones and the sample rate
/// of the audio. spandsp takes the tones in whole hertz and the rate in hundredths of a
/// baud, and works at 8000 samples a second only; CheckSignal says whether a description
/// can be received.
struct TtySignal {
  double baud = 45.45;
  double mark_hz = 1400.0;   ///< binary 1: stop bits and the idle line
  double space_hz = 1800.0;  ///< binary 0: the start bit
  int sample_rate = 8000;
};

/// The nominal US TTY signal at `rate`: mark 1400 Hz, space 1800 Hz, 8000 samples a
/// second: the tones of our clips at every rate.
TtySignal NominalSignal(BaudRate rate);

/// True when spandsp can receive `signal`; otherwise false with the reason in `err`.
bool CheckSignal(const TtySignal& signal, std::string* err);

/// A TTY receiver: spandsp's FSK demodulator with its asynchronous framing of one start
/// bit, five data bits and a stop bit, which accepts 1.5 or 2 stop bits alike. It keeps
/// the Baudot codes of the frames it hears, in order; a frame whose stop bit is missing
/// is dropped, as a TTY drops it. Audio may arrive in any number of blocks; the receiver
/// carries its state across them. It cannot be copied or moved, since spandsp holds its
/// address.
class BaudotReceiver {
 public:
  /// A receiver for `signal`, or null with the reason in `err`.
  static std::unique_ptr<BaudotReceiver> Create(const TtySignal& signal, std::string* err);
  ~BaudotReceiver();
  BaudotReceiver(const BaudotReceiver&) = delete;
  BaudotReceiver& operator=(const BaudotReceiver&) = delete;

  /// Demodulates 16-bit linear samples.
  void Receive(std::span<const std::int16_t> samples);
  /// Demodulates sample data of `format` (a WAV file's data chunk), decoded block by block.
  void Receive(std::span<const std::uint8_t> data, wav::SampleFormat format);

  const std::vector<BaudotCode>& codes() const { return codes_; }

 private:
  BaudotReceiver() = default;
  static void PutFrame(void* receiver, int frame);

  struct Release {
    void operator()(fsk_rx_state_s* rx) const;
  };
  std::unique_ptr<fsk_rx_state_s, Release> rx_;
  std::vector<BaudotCode> codes_;
};

/// The Baudot codes heard in `samples`; false with the reason in `err` when `signal`
/// cannot be received.
bool ReceiveCodes(std::span<const std::int16_t> samples, const TtySignal& signal,
                  std::vector<BaudotCode>* codes, std::string* err);

/// What a TTY prints for `samples` (see BaudotPrinter); false with the reason in `err`
/// when `signal` cannot be received.
bool ReceiveBaudot(std::span<const std::int16_t> samples, const TtySignal& signal, QString* text,
                   std::string* err);
/// The same for sample data of `format`.
bool ReceiveBaudot(std::span<const std::uint8_t> data, wav::SampleFormat format,
                   const TtySignal& signal, QString* text, std::string* err);

}  // namespace quillon
