#pragma once

#include <QString>

class QMimeData;

namespace quillon {

/// The one local file that a drag from a file manager carries; empty when
/// it carries no file, several, or one that is not on this machine.
QString DroppedFile(const QMimeData* data);

/// True for a file that a window takes as a CSV list of prompts: its name
/// ends in ".csv", in any case.
bool IsCsvFileName(const QString& path);

/// The largest text file that is read into the text box, in bytes.
inline constexpr qint64 kLargestDroppedText = 4 * 1024 * 1024;

/// Reads a text file dropped on a text box: UTF-8 or Windows-1252 (or UTF-16
/// with a byte-order mark), line ends as "\n". False, with `err` naming the
/// file and saying why, for a file that is missing, unreadable, not text or
/// larger than kLargestDroppedText.
bool ReadDroppedText(const QString& path, QString* text, QString* err);

}  // namespace quillon
