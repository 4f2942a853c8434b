#include "platform/text_encoding.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace quillon {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five holes of the
// code page decode as the C1 controls that Latin-1 puts there.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Windows-1252 byte for each character 0x80..0xFF decodes to, built from the
// decoder so that the two directions can never disagree.
const std::array<char16_t, 128>& Cp1252High() {
  static const std::array<char16_t, 128> table = [] {
    std::array<char16_t, 128> t{};
    for (int b = 0x80; b <= 0xFF; ++b)
      t[b - 0x80] = DecodeCp1252(QByteArray(1, static_cast<char>(b))).at(0).unicode();
    return t;
  }();
  return table;
}

}  // namespace

bool DecodeUtf8(const QByteArray& bytes, QString* text) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  *text = utf8.decode(bytes);
  return !utf8.hasError();
}

QString DecodeCp1252(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text.append(byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80]) : QChar(byte));
  }
  return text;
}

bool EncodeCp1252(const QString& text, QByteArray* out) {
  out->reserve(out->size() + text.size());
  for (QChar c : text) {
    if (c.unicode() < 0x80) {
      out->append(static_cast<char>(c.unicode()));
      continue;
    }
    const auto& high = Cp1252High();
    const auto* hit = std::find(high.begin(), high.end(), c.unicode());
    if (hit == high.end()) return false;
    out->append(static_cast<char>(0x80 + (hit - high.begin())));
  }
  return true;
}

// UTF-16LE bytes to text unit by unit, so that even an unpaired surrogate
// survives a read and a write unchanged.
QString DecodeUtf16Le(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size() / 2);
  for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[i]);
    const auto hi = static_cast<unsigned char>(bytes[i + 1]);
    text.append(QChar(static_cast<char16_t>(lo | (hi << 8))));
  }
  return text;
}

QByteArray EncodeUtf16Le(const QString& text) {
  QByteArray bytes;
  bytes.reserve(text.size() * 2);
  for (QChar c : text) {
    bytes.append(static_cast<char>(c.unicode() & 0xFF));
    bytes.append(static_cast<char>(c.unicode() >> 8));
  }
  return bytes;
}

}  // namespace quillon
