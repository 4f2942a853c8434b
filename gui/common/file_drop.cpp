#include "gui/common/file_drop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "platform/text_file.h"

namespace quillon {

QString DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return QString();
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return QString();
  return urls.first().toLocalFile();
}

bool IsCsvFileName(const QString& path) {
  return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
}

bool ReadDroppedText(const QString& path, QString* text, QString* err) {
  const QFileInfo info(path);
  if (!info.isFile()) {
    *err = QStringLiteral("The file %1 does not exist or is no file.").arg(path);
    return false;
  }
  if (info.size() > kLargestDroppedText) {
    *err = QStringLiteral("The file %1 is too large for the text box (%2 bytes; at most %3).")
               .arg(path)
               .arg(info.size())
               .arg(kLargestDroppedText);
    return false;
  }
  const TextFile file = ReadTextFile(path, kLargestDroppedText);
  if (!file.ok) {
    *err =
        QStringLiteral("The file %1 cannot be read into the text box: %2.").arg(path, file.error);
    return false;
  }
  *text = file.lines.join(QLatin1Char('\n'));
  return true;
}

}  // namespace quillon
