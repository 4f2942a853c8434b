#include "platform/text_file.h"

#include <QFile>
#include <QStringDecoder>

namespace quillon {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five holes of the
// code page decode as the C1 controls that Latin-1 puts there.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString DecodeCp1252(const QByteArray& bytes) {
  QString text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text.append(byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80]) : QChar(byte));
  }
  return text;
}

}  // namespace

QString DecodeText(const QByteArray& bytes) {
  QByteArray data = bytes;
  if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(data);
  if (!utf8.hasError()) return text;
  return DecodeCp1252(data);
}

QStringList SplitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text.at(i);
    if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
    lines.append(text.mid(start, i - start));
    if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
    start = i + 1;
  }
  if (start < n) lines.append(text.mid(start));
  return lines;
}

TextFile ReadTextFile(const QString& path) {
  TextFile result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = file.errorString();
    return result;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    result.error = file.errorString();
    return result;
  }
  result.ok = true;
  result.lines = SplitLines(DecodeText(bytes));
  return result;
}

bool ReadFirstLine(const QString& path, QString* line, QString* err) {
  TextFile file = ReadTextFile(path);
  if (!file.ok) {
    *err = file.error;
    return false;
  }
  if (file.lines.isEmpty()) {
    *err = QStringLiteral("Input past end of file");
    return false;
  }
  *line = file.lines.first();
  return true;
}

}  // namespace quillon
