#include "gui/common/file_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace quillon {

bool OpenInUsersEditor(const QString& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void OfferToViewLog(UserInterface& ui, const QString& log_path, const LogOpener& open) {
  if (ui.Ask(QStringLiteral("Done.  View log file now?"),
             QStringLiteral("Construction Complete")) != UserInterface::Answer::Yes)
    return;
  if (!open(log_path)) ui.MsgBox(QStringLiteral("The log file could not be opened: ") + log_path);
}

}  // namespace quillon
