#include "gui/common/clipboard.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include "core/common/report.h"
#include "platform/file_system.h"

namespace quillon {

void QtWaveClipboard::SetWave(const QByteArray& wav_bytes, const QString& file) {
  auto* mime = new QMimeData;
  mime->setData(kWavMimeType, wav_bytes);
  mime->setData(kWavMimeTypeLegacy, wav_bytes);
  if (!file.isEmpty()) {
    const QByteArray url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toEncoded();
    mime->setData(kUriListMimeType, url + "\r\n");
    mime->setData(kGnomeCopiedFilesMimeType, "copy\n" + url);
  }
  QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);  // takes ownership
}

bool CopyWavToClipboard(const QString& file_name, WaveClipboard& clipboard, UserInterface& ui) {
  const auto report = [&ui](const RuntimeError& error) {
    ui.ShowMessage(
        FormatErrorLine(error, QStringLiteral("myCopyWavToClipboard"), QStringLiteral("frmMain")));
  };
  const QString path = ResolveCaseInsensitive(file_name);
  if (!FileExists(path)) {
    report({error_number::kFileNotFound, QStringLiteral("File not found: ") + file_name});
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    report({error_number::kPathFileAccess, file.errorString()});
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    report({error_number::kPathFileAccess, file.errorString()});
    return false;
  }
  clipboard.SetWave(bytes, path);
  return true;
}

}  // namespace quillon
