#pragma once

#include <QString>

#include "core/common/user_interface.h"

namespace quillon {

/// The MIME types a WAV file is offered under on the clipboard.
inline const QString kWavMimeType = QStringLiteral("audio/wav");
inline const QString kWavMimeTypeLegacy = QStringLiteral("audio/x-wav");

/// The system clipboard as a place for WAV files: the file's exact bytes
/// under both wave-audio MIME types, and nothing else. Each call replaces
/// whatever the clipboard held, in every format.
class QtWaveClipboard : public WaveClipboard {
 public:
  void SetWave(const QByteArray& wav_bytes) override;
};

}  // namespace quillon
