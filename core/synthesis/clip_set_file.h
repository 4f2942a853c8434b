// The description file of a clip set, clipset.ini: read with QSettings in INI format, written
// as the alphabet construction has always written it.
#pragma once

#include <QString>

#include "core/synthesis/clip_set.h"

namespace quillon {

/// The description's file name in the program folder.
inline const QString kClipSetFileName = QStringLiteral("clipset.ini");

/// Writes the description (atomically: a temporary file, then a rename).
bool WriteClipSet(const QString& path, const ClipSet& set, QString* err);
/// Reads a description; false with `err` when it is missing or malformed.
bool ReadClipSet(const QString& path, ClipSet* set, QString* err);

}  // namespace quillon
