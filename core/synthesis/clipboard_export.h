#pragma once

#include <QString>

#include "core/common/user_interface.h"

namespace quillon {

/// Puts a WAV file on the clipboard as wave audio: the file's bytes exactly
/// as stored, header included, replacing whatever the clipboard held. A file
/// that cannot be read is reported in a message box and leaves the clipboard
/// alone; a missing file is never created. Returns true when the clipboard
/// now holds the file.
bool CopyWavToClipboard(const QString& file_name, WaveClipboard& clipboard, UserInterface& ui);

}  // namespace quillon
