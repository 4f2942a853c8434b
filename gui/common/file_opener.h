#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/common/user_interface.h"

namespace quillon {

/// One application of the desktop's menu, as its desktop entry describes it.
struct DesktopApplication {
  QString id;             ///< the entry's file name, "org.example.Editor.desktop"
  QString exec;           ///< its Exec line, unescaped
  bool terminal = false;  ///< it runs inside a terminal window
};

/// Reads a desktop entry file; false when it is no usable application entry
/// (no [Desktop Entry] group, another Type, Hidden, no Exec).
bool ReadDesktopEntry(const QString& path, DesktopApplication* app);

/// The command that opens `file` with `app`: the Exec line split into
/// arguments (blanks separate, double quotes group, backslash escapes inside
/// them) with the file field codes (%f %F %u %U) replaced by the path as
/// one argument and the other codes dropped. Empty when the Exec line takes
/// no file, or when its program is neither an executable path nor found on
/// PATH.
QStringList CommandToOpen(const DesktopApplication& app, const QString& file);

/// The graphical applications the desktop offers for editing `file`, most
/// preferred first: the defaults and added associations of the mimeapps.list
/// files, then every installed entry that declares the type, looked up for
/// the file's own MIME type and then for each type it derives from (a log is
/// text/x-log, which is text/plain). Applications that run in a terminal
/// and entries whose program is missing are left out.
QList<DesktopApplication> TextEditorsFor(const QString& file);

/// Opens `path` in the user's graphical text editor, without waiting: the
/// first of TextEditorsFor that starts gets the path as one argument, blanks
/// and all, and no shell sees it. False when no editor could be started.
bool OpenInUsersEditor(const QString& path);

/// What opens a file for viewing or editing; tests give their own.
using FileOpener = std::function<bool(const QString& path)>;

/// The message for a file that no editor could open: it names the file and
/// the folder it lies in, so that the user can open it another way.
QString NoEditorMessage(const QString& path);

/// Opens `path` with `open`; when that fails, says so with NoEditorMessage.
void OpenOrSayWhere(UserInterface& ui, const QString& path, const FileOpener& open);

/// What opens a log for viewing.
using LogOpener = FileOpener;

/// The end of a batch: asks `question` ("Done.  View log file now?" after a
/// run that built everything; ViewLogQuestion words the others) with the title
/// "Construction Complete", and on Yes opens the log with `open`, without
/// waiting for the editor. A log that cannot be opened is said so.
void OfferToViewLog(UserInterface& ui, const QString& log_path, const LogOpener& open,
                    const QString& question = QStringLiteral("Done.  View log file now?"));

}  // namespace quillon
