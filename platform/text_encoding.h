#pragma once

#include <QByteArray>
#include <QString>

namespace quillon {

/// The text encodings Quillon meets in files copied from the voicemail
/// server and in registry export files, both ways. Each pair round-trips:
/// what a decoder gives, its encoder turns back into the same bytes.

/// Decodes `bytes` as UTF-8 into `text`; false when they are not valid UTF-8
/// (the one validity test every reader uses).
bool DecodeUtf8(const QByteArray& bytes, QString* text);

/// Windows-1252: every byte decodes (its five holes as the C1 controls that
/// Latin-1 puts there).
QString DecodeCp1252(const QByteArray& bytes);
/// Appends the Windows-1252 bytes of `text` to `out`; false when a character
/// has no byte in that code page.
bool EncodeCp1252(const QString& text, QByteArray* out);

/// UTF-16LE unit by unit, so that even an unpaired surrogate survives a read
/// and a write unchanged. An odd last byte is ignored.
QString DecodeUtf16Le(const QByteArray& bytes);
QByteArray EncodeUtf16Le(const QString& text);

}  // namespace quillon
