#include "gui/common/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace quillon {

void QtWaveClipboard::SetWave(const QByteArray& wav_bytes) {
  auto* mime = new QMimeData;
  mime->setData(kWavMimeType, wav_bytes);
  mime->setData(kWavMimeTypeLegacy, wav_bytes);
  QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);  // takes ownership
}

}  // namespace quillon
