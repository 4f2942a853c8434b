#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillon {

/// Turns the bytes of a text file into text: UTF-16 (little or big endian)
/// when they begin with its byte-order mark, UTF-8 when they are valid UTF-8
/// (a leading byte-order mark is dropped), Windows-1252 otherwise, since
/// files copied from the voicemail server are written in that code page.
QString DecodeText(const QByteArray& bytes);

/// Splits text into lines at CR LF, a lone LF or a lone CR. A final line end
/// does not start another line; an empty text has no lines.
QStringList SplitLines(const QString& text);

/// A text file read whole, line by line.
struct TextFile {
  bool ok = false;    ///< false: the file could not be opened or read
  QString error;      ///< why, when not ok
  QStringList lines;  ///< the lines, without their line ends
};

/// True for the bytes of UTF-16 text: a UTF-16 byte-order mark, or a zero
/// in most of the even or the odd bytes of the first 64.
bool LooksLikeUtf16(const QByteArray& bytes);

/// Why `bytes` are no text file that DecodeText can read, or an empty string
/// when they are one: UTF-16 without a byte-order mark (which cannot be told
/// from binary reliably), or binary data (control bytes in more than a tenth
/// of the first 4 KiB). A stray zero byte in a text is not enough.
QString NotTextProblem(const QByteArray& bytes);

/// Reads a whole text file (see DecodeText and SplitLines) of at most
/// `max_bytes`. A file that is not text (NotTextProblem) is not read: it fails
/// with a message that says why, rather than turning into lines of stray
/// zeros; so does anything but a regular file, and a file past the bound
/// (ReadRegularFile).
TextFile ReadTextFile(const QString& path, qint64 max_bytes);

/// Reads only the first line of a text file; false when the file cannot be
/// read or holds no line at all.
bool ReadFirstLine(const QString& path, qint64 max_bytes, QString* line, QString* err);

}  // namespace quillon
