#include "core/synthesis/clip_set.h"

#include <QFile>
#include <cmath>
#include <numbers>

#include "tools/wav/wav.h"

namespace quillon {
namespace {

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

WavLayout FromWav(const wav::Layout& parsed) {
  WavLayout layout;
  layout.format_tag = parsed.format.format_tag;
  layout.channels = parsed.format.channels;
  layout.sample_rate = static_cast<int>(parsed.format.sample_rate);
  layout.bits_per_sample = parsed.format.bits_per_sample;
  layout.block_align = parsed.format.block_align;
  layout.data_offset = static_cast<qint64>(parsed.data_offset);
  layout.data_bytes = static_cast<qint64>(parsed.data_size);
  return layout;
}

}  // namespace

std::optional<SampleFormat> WavLayout::Format() const {
  wav::Format format;
  format.format_tag = static_cast<uint16_t>(format_tag);
  format.channels = static_cast<uint16_t>(channels);
  format.bits_per_sample = static_cast<uint16_t>(bits_per_sample);
  return wav::SampleFormatOf(format);
}

QString WavLayout::Describe() const {
  if (const std::optional<SampleFormat> format = Format()) {
    ClipSet set;
    set.format = *format;
    set.sample_rate = sample_rate;
    return set.DescribeFormat();
  }
  return DescribeSampleRate(sample_rate) + QStringLiteral(" format ") +
         QString::number(format_tag) + QStringLiteral(", ") + QString::number(bits_per_sample) +
         QStringLiteral("-bit, ") + QString::number(channels) + QStringLiteral(" channel(s)");
}

// The one reader of RIFF/WAVE headers that wavcat uses too: a clip that this
// check passes is one that wavcat joins, and the other way round.
bool ReadWavLayout(const QString& path, WavLayout* layout, QString* err) {
  wav::SampleReader file;
  std::string why;
  if (!file.Open(QFile::encodeName(path).toStdString(), &why)) {
    *err = QString::fromStdString(why);
    return false;
  }
  *layout = FromWav(file.layout());
  return true;
}

bool ReadWavSamples(const QString& path, std::vector<std::int16_t>* samples, WavLayout* layout,
                    QString* err) {
  WavSampleReader file;
  const bool opened = file.Open(path, err);
  *layout = file.layout();
  if (!opened) return false;
  samples->resize(static_cast<size_t>(file.samples()));
  return file.Read(0, *samples, err);
}

bool WavSampleReader::Open(const QString& path, QString* err) {
  std::string why;
  if (!file_.Open(QFile::encodeName(path).toStdString(), &why)) {
    *err = QString::fromStdString(why);
    return false;
  }
  layout_ = FromWav(file_.layout());
  if (!file_.format()) {
    *err = QStringLiteral("its format is ") + layout_.Describe();
    return false;
  }
  return true;
}

bool WavSampleReader::Read(qint64 first, std::span<std::int16_t> out, QString* err) const {
  std::string why;
  if (first < 0 || !file_.Read(static_cast<uint64_t>(first), out, &why)) {
    *err = QString::fromStdString(why);
    return false;
  }
  return true;
}

// The rising zero crossings, each placed between its two samples: by a
// straight line at first, then, once the tone's step per sample is known, by
// the sine through the two samples, which is exact for a pure tone.
std::optional<double> MeasureToneHz(const std::vector<std::int16_t>& samples, int sample_rate) {
  if (sample_rate <= 0) return std::nullopt;
  std::optional<double> hz;
  for (int pass = 0; pass < 3; ++pass) {
    const double step = hz ? 2 * std::numbers::pi * *hz / sample_rate : 0;
    double first = -1;
    double last = -1;
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
      const double before = samples[i - 1];
      const double now = samples[i];
      if (before >= 0 || now < 0) continue;
      double offset = -before / (now - before);
      if (step > 0 && step < std::numbers::pi)
        offset = -std::atan2(before * std::sin(step), now - before * std::cos(step)) / step;
      const double at = static_cast<double>(i - 1) + offset;
      if (crossings == 0) first = at;
      last = at;
      ++crossings;
    }
    if (crossings < 2) return std::nullopt;
    hz = (crossings - 1) * static_cast<double>(sample_rate) / (last - first);
  }
  return hz;
}

qint64 ClipSet::FrameSamples(std::string_view code) const {
  const qint64 mark = mark_samples > 0 ? mark_samples : bit_samples;
  qint64 samples = bit_samples + (stop_samples > 0 ? stop_samples : 2 * mark);  // start, stop
  for (char bit : code) samples += bit == '1' ? mark : bit_samples;
  return samples;
}

double ClipSet::StopBits() const {
  const int mark = mark_samples > 0 ? mark_samples : bit_samples;
  if (bit_samples <= 0) return 0;
  return static_cast<double>(stop_samples > 0 ? stop_samples : 2 * mark) / bit_samples;
}

QString DescribeRate(BaudRate rate) {
  return Latin1(kBaudRates[static_cast<size_t>(rate)].name) + QStringLiteral(" baud");
}

QString DescribeSampleRate(int sample_rate) {
  return QString::number(sample_rate / 1000.0, 'g', 10) + QStringLiteral(" kHz");
}

QString ClipSet::DescribeFormat() const {
  QString kind;
  switch (format) {
    case SampleFormat::Pcm16:
      kind = QStringLiteral("16-bit PCM");
      break;
    case SampleFormat::MuLaw:
      kind = QStringLiteral("8-bit mu-law");
      break;
    case SampleFormat::ALaw:
      kind = QStringLiteral("8-bit A-law");
      break;
  }
  return DescribeSampleRate(sample_rate) + QLatin1Char(' ') + kind;
}

QString ClipSet::Describe() const {
  return DescribeRate(rate) + QStringLiteral(", ") + DescribeFormat();
}

}  // namespace quillon
