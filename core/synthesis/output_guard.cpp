#include "core/synthesis/output_guard.h"

#include <QDir>
#include <set>

#include "core/synthesis/character_inventory.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

// Lower-case names of every clip the set is built from or made of.
const std::set<QString>& ClipNames() {
  static const std::set<QString> names = [] {
    std::set<QString> all;
    const auto add = [&all](std::string_view name) {
      if (!name.empty()) all.insert(QString::fromLatin1(name.data(), name.size()).toLower());
    };
    for (const AlphabetRow& row : kAlphabet) {
      add(row.clip);
      add(row.figure_copy);
    }
    for (std::string_view clip : kSetClips) add(clip);
    return all;
  }();
  return names;
}

QString Refusal(const QString& output, const QString& what) {
  return QStringLiteral("The output file ") + output + QStringLiteral(" is ") + what +
         QStringLiteral(": choose another name.");
}

}  // namespace

QString OutputRefusal(const QString& output, const FileIdentity& folder, const QString& name,
                      const FileIdentity& existing, const QString& program_folder,
                      const QStringList& protected_files) {
  if (existing.valid) {
    for (const QString& file : protected_files) {
      if (!file.isEmpty() && IdentityOf(file) == existing)
        return Refusal(output,
                       QStringLiteral("one of this run's own files (") + file + QLatin1Char(')'));
    }
  }
  if (!(IdentityOf(program_folder) == folder)) return QString();
  if (ClipNames().count(name.toLower()) != 0)
    return Refusal(output, QStringLiteral("a clip of Quillon's clip set"));
  // Resolve the name as the tool would (without regard to case).
  const QDir dir(program_folder);
  for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    if (entry.compare(name, Qt::CaseInsensitive) != 0) continue;
    if (!entry.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive))
      return Refusal(output, QStringLiteral("one of Quillon's own files"));
  }
  return QString();
}

bool HasRoomFor(const SpaceNeed& need, const QString& output_folder, const QString& scratch_folder,
                QString* err) {
  const auto with_margin = [](qint64 bytes) { return bytes + bytes / 10 + (qint64{1} << 20); };
  const VolumeRoom output_volume = RoomIn(output_folder);
  const VolumeRoom scratch_volume = RoomIn(scratch_folder);
  qint64 on_output = need.output_bytes;
  qint64 on_scratch = need.scratch_bytes;
  if (output_volume.known && scratch_volume.known &&
      output_volume.device == scratch_volume.device) {
    on_output += on_scratch;
    on_scratch = 0;
  }
  const auto check = [&](const VolumeRoom& volume, qint64 bytes, const QString& folder) {
    if (bytes == 0 || !volume.known) return true;
    if (volume.available_bytes >= with_margin(bytes)) return true;
    *err = QStringLiteral("Not enough disk space in ") + folder +
           QStringLiteral(": the build needs about ") +
           QString::number((with_margin(bytes) + (1 << 20) - 1) >> 20) + QStringLiteral(" MB, ") +
           QString::number(volume.available_bytes >> 20) + QStringLiteral(" MB are free");
    return false;
  };
  return check(output_volume, on_output, output_folder) &&
         check(scratch_volume, on_scratch, scratch_folder);
}

}  // namespace quillon
