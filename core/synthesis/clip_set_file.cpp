#include "core/synthesis/clip_set_file.h"

#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <cmath>

#include "platform/file_system.h"

namespace quillon {
namespace {

// The section the description is written under, and its keys in the order they are written.
const QString kGroup = QStringLiteral("ClipSet");
constexpr const char* kKeys[] = {"rate",        "mark_hz",     "space_hz",     "format",
                                 "sample_rate", "bit_samples", "mark_samples", "stop_samples"};

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A value as the file has it: QSettings splits a value with commas into a list.
QString ValueText(const QVariant& value) {
  return value.typeId() == QMetaType::QStringList ? value.toStringList().join(QStringLiteral(", "))
                                                  : value.toString();
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

}  // namespace

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
  file.close();
  const QSettings ini(path, QSettings::IniFormat);
  ClipSet read;
  read.bit_samples = 0;
  QStringList seen;
  for (const char* name : kKeys) {
    const QString key = QLatin1String(name);
    // Written under [ClipSet]; a description written by hand may have no section.
    const QString in_group = kGroup + QLatin1Char('/') + key;
    const QString at = ini.contains(in_group) ? in_group : key;
    if (!ini.contains(at)) continue;
    QString why;
    if (!ParseClipSetLine(key, ValueText(ini.value(at)), &read, &why)) {
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

}  // namespace quillon
