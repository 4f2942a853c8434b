#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/synthesis/alphabet_table.h"
#include "tools/wav/samples.h"

namespace quillon {

/// The sample formats of clip sets and prompts are tools/wav's, so that the
/// description file, the clip generator, wavcat and the windows name them alike.
using wav::SampleFormat;
using wav::SampleFormatFromName;
using wav::SampleFormatName;

/// The layout of one WAV clip as its header gives it.
struct WavLayout {
  int format_tag = 0;  ///< 1 PCM, 6 A-law, 7 mu-law
  int channels = 0;
  int sample_rate = 0;
  int bits_per_sample = 0;
  int block_align = 0;
  qint64 data_offset = 0;  ///< where the sample data starts in the file
  qint64 data_bytes = 0;   ///< the size of the sample data

  /// The clip's format, when it is one a clip set is made in (mono).
  std::optional<SampleFormat> Format() const;
  /// Whole samples in the data.
  qint64 Samples() const { return block_align > 0 ? data_bytes / block_align : 0; }
  /// "8 kHz 16-bit PCM", or the raw figures for a format no clip set uses.
  QString Describe() const;
};

/// Reads the header of the RIFF/WAVE file at `path`. False with `err` for a
/// file that cannot be read, is not a WAV file, or is shorter than its
/// header says.
bool ReadWavLayout(const QString& path, WavLayout* layout, QString* err);

/// The samples of a clip as 16-bit linear values (G.711 expanded).
bool ReadWavSamples(const QString& path, std::vector<std::int16_t>* samples, WavLayout* layout,
                    QString* err);

/// The samples of a WAV file read a stretch at a time, as 16-bit linear values
/// (G.711 expanded), so that a long prompt is never held in memory whole: tools/wav's
/// SampleReader, with the core's layout and messages.
class WavSampleReader {
 public:
  /// Opens the file and reads its header. False with `err` as ReadWavLayout,
  /// or for a sample format that cannot be expanded.
  bool Open(const QString& path, QString* err);
  const WavLayout& layout() const { return layout_; }
  qint64 samples() const { return layout_.Samples(); }
  /// Fills `out` with the samples from `first` on; false with `err` when they
  /// cannot all be read (the file is shorter than its header says).
  bool Read(qint64 first, std::span<std::int16_t> out, QString* err) const;

 private:
  wav::SampleReader file_;
  WavLayout layout_;
};

/// The frequency of the tone in `samples`, from its rising zero crossings;
/// nullopt when fewer than two cycles can be seen.
std::optional<double> MeasureToneHz(const std::vector<std::int16_t>& samples, int sample_rate);

/// The description of the clip set in a program folder, kept beside it as
/// "clipset.ini" by the alphabet construction: the rate the character clips
/// were built at, the tones of its tics as measured, the sample format and
/// rate, and the length of one bit. What a program folder holds is only
/// trusted once CheckClipSet has compared the clips with this description.
struct ClipSet {
  BaudRate rate = BaudRate::Baud45;
  double mark_hz = 0;
  double space_hz = 0;
  SampleFormat format = SampleFormat::Pcm16;
  int sample_rate = 8000;
  int bit_samples = 0;   ///< samples in one bit: one space tic
  int mark_samples = 0;  ///< samples in one mark tic (0: as a space tic)
  /// Samples of the stop bits that end a frame: two mark tics. 0 in a
  /// description written before it was recorded: two mark tics then too.
  int stop_samples = 0;

  /// Samples in one frame of `code` (bits 1 to 5, mark = 1): a space start
  /// bit, the five code bits and the stop bits.
  qint64 FrameSamples(std::string_view code) const;
  /// The stop bits' length in bits ("2"), as the description tells it.
  double StopBits() const;

  /// "45.45 baud, 8 kHz 16-bit PCM"
  QString Describe() const;
  /// "8 kHz 16-bit PCM", "8 kHz 8-bit mu-law", "8 kHz 8-bit A-law"
  QString DescribeFormat() const;
};

/// "45.45 baud", "50 baud", "75 baud", "110 baud"
QString DescribeRate(BaudRate rate);
/// "8 kHz", "11.025 kHz"
QString DescribeSampleRate(int sample_rate);

}  // namespace quillon
