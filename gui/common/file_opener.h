#pragma once

#include <QString>
#include <functional>

#include "core/common/user_interface.h"

namespace quillon {

/// Opens a file in the user's editor (the desktop's handler for the file),
/// its path passed as one argument, blanks and all; false when no handler
/// could be started.
bool OpenInUsersEditor(const QString& path);

/// What opens a log for viewing; tests give their own.
using LogOpener = std::function<bool(const QString& path)>;

/// The end of a batch: asks "Done.  View log file now?" (title
/// "Construction Complete") and on Yes opens the log with `open`, without
/// waiting for the editor. A log that cannot be opened is said so.
void OfferToViewLog(UserInterface& ui, const QString& log_path, const LogOpener& open);

}  // namespace quillon
