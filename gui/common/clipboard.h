#pragma once

#include <QByteArray>
#include <QString>

#include "core/common/user_interface.h"

namespace quillon {

/// The MIME types a WAV file is offered under on the clipboard.
inline const QString kWavMimeType = QStringLiteral("audio/wav");
inline const QString kWavMimeTypeLegacy = QStringLiteral("audio/x-wav");
/// The MIME types a file manager pastes a copied file from.
inline const QString kUriListMimeType = QStringLiteral("text/uri-list");
inline const QString kGnomeCopiedFilesMimeType = QStringLiteral("x-special/gnome-copied-files");

/// Where a finished WAV file goes when it is exported as wave audio: the
/// system clipboard in the windows; tests record it.
class WaveClipboard {
 public:
  virtual ~WaveClipboard() = default;
  /// Replaces the clipboard's contents with `wav_bytes` as wave audio, and
  /// `file` (the file the bytes were read from) as a copied file.
  virtual void SetWave(const QByteArray& wav_bytes, const QString& file) = 0;
};

/// The system clipboard as a place for WAV files: the file's exact bytes
/// under both wave-audio MIME types, for programs that paste audio, and the
/// file itself as a copied file (text/uri-list and GNOME's
/// x-special/gnome-copied-files), for file managers; no plain text. Each
/// call replaces whatever the clipboard held, in every format.
class QtWaveClipboard : public WaveClipboard {
 public:
  void SetWave(const QByteArray& wav_bytes, const QString& file) override;
};

/// Puts a WAV file on the clipboard as wave audio: the file's bytes exactly
/// as stored, header included, replacing whatever the clipboard held. A file
/// that cannot be read is reported in a message box and leaves the clipboard
/// alone; a missing file is never created. Returns true when the clipboard
/// now holds the file.
bool CopyWavToClipboard(const QString& file_name, WaveClipboard& clipboard, UserInterface& ui);

}  // namespace quillon
