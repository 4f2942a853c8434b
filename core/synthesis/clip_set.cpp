#include "core/synthesis/clip_set.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/synthesis/character_inventory.h"
#include "platform/file_system.h"
#include "tools/wav/wav.h"

namespace quillon {
namespace {

constexpr qsizetype kProblemsShown = 8;

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// "1409.09", "1800": a frequency as the description file keeps it.
QString HzText(double hz) {
  return QString::number(std::round(hz * 100) / 100, 'f', 2);
}

bool ParseClipSetLine(const QString& key, const QString& value, ClipSet* set, QString* err) {
  bool ok = true;
  if (key == QStringLiteral("rate")) {
    const std::optional<BaudRate> rate = BaudRateFromName(value.toStdString());
    ok = rate.has_value();
    if (ok) set->rate = *rate;
  } else if (key == QStringLiteral("format")) {
    const std::optional<SampleFormat> format = SampleFormatFromName(value.toStdString());
    ok = format.has_value();
    if (ok) set->format = *format;
  } else if (key == QStringLiteral("mark_hz")) {
    set->mark_hz = value.toDouble(&ok);
  } else if (key == QStringLiteral("space_hz")) {
    set->space_hz = value.toDouble(&ok);
  } else if (key == QStringLiteral("sample_rate")) {
    set->sample_rate = value.toInt(&ok);
    ok = ok && set->sample_rate > 0;
  } else if (key == QStringLiteral("bit_samples")) {
    set->bit_samples = value.toInt(&ok);
    ok = ok && set->bit_samples > 0;
  } else if (key == QStringLiteral("mark_samples")) {
    set->mark_samples = value.toInt(&ok);
    ok = ok && set->mark_samples > 0;
  } else if (key == QStringLiteral("stop_samples")) {
    set->stop_samples = value.toInt(&ok);
    ok = ok && set->stop_samples > 0;
  }
  if (!ok) *err = QStringLiteral("bad value for ") + key + QStringLiteral(": ") + value;
  return ok;
}

// Why a description cannot be true of any clip set, or an empty string: a
// sample rate no telephone clip has, tones that are not TTY tones (each
// within a tenth of 1400 and 1800 Hz, so they can never meet), or bits that
// are not the bits of the rate it names.
QString ImplausibleDescription(const ClipSet& set) {
  if (set.sample_rate < 4000 || set.sample_rate > 192000)
    return QStringLiteral("a sample rate of ") + QString::number(set.sample_rate) +
           QStringLiteral(" Hz is no clip's");
  const auto off = [](double hz, double nominal) {
    return hz != 0 && !(std::abs(hz - nominal) <= nominal / 10);
  };
  if (off(set.mark_hz, 1400) || off(set.space_hz, 1800))
    return QStringLiteral("mark and space tones of ") + QString::number(set.mark_hz) +
           QStringLiteral(" and ") + QString::number(set.space_hz) +
           QStringLiteral(" Hz are not TTY tones (1400 and 1800 Hz, within a tenth)");
  const double baud = Latin1(kBaudRates[static_cast<size_t>(set.rate)].name).toDouble();
  const double bit = set.sample_rate / baud;
  const auto far = [bit](int samples, double from, double to) {
    return samples != 0 && !(samples >= bit * from && samples <= bit * to);
  };
  if (far(set.bit_samples, 0.95, 1.05) || far(set.mark_samples, 0.95, 1.05) ||
      far(set.stop_samples, 0.95, 2.6))
    return QStringLiteral("its bit lengths are not those of ") + DescribeRate(set.rate) +
           QStringLiteral(" at ") + DescribeSampleRate(set.sample_rate);
  return QString();
}

// Checks one clip against the description; false with the problem.
bool CheckClip(const ClipSet& set, const ClipUnderCheck& clip, QString* problem) {
  WavLayout layout;
  QString err;
  if (!ReadWavLayout(clip.path, &layout, &err)) {
    *problem = clip.name + QStringLiteral(" cannot be used: ") + err;
    return false;
  }
  if (layout.Format() != set.format || layout.sample_rate != set.sample_rate) {
    *problem = clip.name + QStringLiteral(" is ") + layout.Describe() +
               QStringLiteral(", the set is ") + set.DescribeFormat();
    return false;
  }
  const qint64 frame = set.FrameSamples(clip.code);
  if (clip.at_set_rate && layout.Samples() != frame) {
    *problem = clip.name + QStringLiteral(" holds ") + QString::number(layout.Samples()) +
               QStringLiteral(" samples, not one frame at ") + DescribeRate(set.rate) +
               QStringLiteral(" (") + QString::number(frame) + QStringLiteral(")");
    return false;
  }
  return true;
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

namespace {

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

bool WriteClipSet(const QString& path, const ClipSet& set, QString* err) {
  const QString text =
      QStringLiteral(
          "; The clip set of this program folder, written by Create Alphabet.\n"
          "[ClipSet]\n") +
      QStringLiteral("rate=") + Latin1(kBaudRates[static_cast<size_t>(set.rate)].name) +
      QStringLiteral("\nmark_hz=") + HzText(set.mark_hz) + QStringLiteral("\nspace_hz=") +
      HzText(set.space_hz) + QStringLiteral("\nformat=") + Latin1(SampleFormatName(set.format)) +
      QStringLiteral("\nsample_rate=") + QString::number(set.sample_rate) +
      QStringLiteral("\nbit_samples=") + QString::number(set.bit_samples) +
      (set.mark_samples > 0 ? QStringLiteral("\nmark_samples=") + QString::number(set.mark_samples)
                            : QString()) +
      (set.stop_samples > 0 ? QStringLiteral("\nstop_samples=") + QString::number(set.stop_samples)
                            : QString()) +
      QLatin1Char('\n');
  QSaveFile file(path);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
    *err = file.errorString();
    return false;
  }
  return true;
}

bool ReadClipSet(const QString& path, ClipSet* set, QString* err) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *err =
        FileExists(path) ? file.errorString() : QStringLiteral("there is no ") + kClipSetFileName;
    return false;
  }
  ClipSet read;
  read.bit_samples = 0;
  QStringList seen;
  for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')) ||
        line.startsWith(QLatin1Char('[')))
      continue;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) continue;
    const QString key = line.left(equals).trimmed();
    QString why;
    if (!ParseClipSetLine(key, line.mid(equals + 1).trimmed(), &read, &why)) {
      *err = kClipSetFileName + QStringLiteral(": ") + why;
      return false;
    }
    seen << key;
  }
  for (const char* key : {"rate", "format", "sample_rate", "bit_samples"}) {
    if (!seen.contains(QLatin1String(key))) {
      *err = kClipSetFileName + QStringLiteral(" does not say its ") + QLatin1String(key);
      return false;
    }
  }
  const QString implausible = ImplausibleDescription(read);
  if (!implausible.isEmpty()) {
    *err = kClipSetFileName + QStringLiteral(" cannot be true: ") + implausible;
    return false;
  }
  *set = read;
  return true;
}

QString ClipSetCheck::Summary() const {
  QStringList lines = problems.mid(0, kProblemsShown);
  if (problems.size() > kProblemsShown)
    lines << QStringLiteral("... and ") + QString::number(problems.size() - kProblemsShown) +
                 QStringLiteral(" more");
  return lines.join(QLatin1Char('\n'));
}

std::vector<ClipUnderCheck> ConstructionClips() {
  std::vector<ClipUnderCheck> clips;
  for (const AlphabetRow& row : kAlphabet) {
    clips.push_back({Latin1(row.clip), QString(), row.code, true});
    if (!row.figure_copy.empty())
      clips.push_back({Latin1(row.figure_copy), QString(), row.code, true});
  }
  clips.push_back({QString::fromLatin1(kBlankClip), QString(), "00000", false});
  clips.push_back({QString::fromLatin1(kLeadingSilenceClip), QString(), {}, false});
  clips.push_back({QString::fromLatin1(kTrailingSilenceClip), QString(), {}, false});
  return clips;
}

ClipSetCheck CheckClipSet(const QString& folder, const ClipDecodeStep& decode) {
  return CheckClipSet(QStringList{folder}, decode);
}

ClipSetCheck CheckClipSet(const QStringList& folders, const ClipDecodeStep& decode) {
  const auto find = [&folders](const QString& name) {
    QString path;
    for (const QString& folder : folders) {
      path = ResolveCaseInsensitive(JoinPath(folder, name));
      if (FileExists(path)) break;
    }
    return path;
  };
  ClipSetCheck check;
  ClipSet set;
  QString err;
  if (!ReadClipSet(find(kClipSetFileName), &set, &err)) {
    check.problems << QStringLiteral("The clip set is not described: ") + err;
    return check;
  }
  check.set = set;
  for (ClipUnderCheck clip : ConstructionClips()) {
    clip.path = find(clip.name);
    if (!FileExists(clip.path)) {
      check.problems << clip.name + QStringLiteral(" is missing");
      continue;
    }
    QString problem;
    if (!CheckClip(set, clip, &problem) || (decode && !decode(set, clip, &problem)))
      check.problems << problem;
  }
  return check;
}

QString ClipSetRefusal(const QString& folder, const ClipSetCheck& check) {
  return QStringLiteral("The clip set in ") + folder +
         QStringLiteral(" cannot be used, so nothing was built:\n") + check.Summary() +
         QStringLiteral("\n\nRebuild it with File > Create Alphabet (or quillon-cli alphabet).");
}

}  // namespace quillon
