#include "platform/text_file.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace quillon {

namespace {

// UTF-16 after its byte-order mark, big endian turned into little endian.
QString DecodeUtf16WithMark(const QByteArray& bytes) {
  QByteArray data = bytes.mid(2);
  if (bytes.startsWith("\xFE\xFF")) {
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) std::swap(data[i], data[i + 1]);
  }
  return DecodeUtf16Le(data);
}

bool HasUtf16Mark(const QByteArray& bytes) {
  return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

}  // namespace

QString DecodeText(const QByteArray& bytes) {
  if (HasUtf16Mark(bytes)) return DecodeUtf16WithMark(bytes);
  QByteArray data = bytes;
  if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
  QString text;
  if (DecodeUtf8(data, &text)) return text;
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

bool LooksLikeUtf16(const QByteArray& bytes) {
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) return true;
  // Without a byte-order mark: ASCII text in UTF-16 has a zero in every
  // other byte, which no UTF-8 or Windows-1252 text file has.
  const qsizetype sample = std::min<qsizetype>(bytes.size(), 64) & ~qsizetype{1};
  if (sample < 4) return false;
  int zeros_even = 0, zeros_odd = 0;
  for (qsizetype i = 0; i < sample; ++i) (i % 2 ? zeros_odd : zeros_even) += bytes[i] == '\0';
  return zeros_even * 4 >= sample * 3 / 2 || zeros_odd * 4 >= sample * 3 / 2;
}

QString NotTextProblem(const QByteArray& bytes) {
  if (HasUtf16Mark(bytes)) return QString();
  if (LooksLikeUtf16(bytes))
    return QStringLiteral(
        "it is not text that can be read: UTF-16 without a byte-order mark; save it as UTF-8, "
        "or as UTF-16 with a byte-order mark");
  const qsizetype sample = std::min<qsizetype>(bytes.size(), 4096);
  qsizetype control = 0;
  for (qsizetype i = 0; i < sample; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    control += c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1B;
  }
  if (control * 10 > sample) return QStringLiteral("it is not a text file (it holds binary data)");
  return QString();
}

TextFile ReadTextFile(const QString& path, qint64 max_bytes) {
  TextFile result;
  QByteArray bytes;
  if (!ReadRegularFile(path, max_bytes, &bytes, &result.error)) return result;
  result.error = NotTextProblem(bytes);
  if (!result.error.isEmpty()) return result;
  result.ok = true;
  result.lines = SplitLines(DecodeText(bytes));
  return result;
}

bool ReadFirstLine(const QString& path, qint64 max_bytes, QString* line, QString* err) {
  TextFile file = ReadTextFile(path, max_bytes);
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
