#include "core/translation/tokenizer.h"

#include <QList>

namespace quillon {
namespace {

bool IsQuote(QChar c) {
  return c == QLatin1Char('"') || c == QChar(0x201C) || c == QChar(0x201D);
}

// Where the delimiter occurs, left to right and without overlap, ignoring case.
QList<qsizetype> DelimiterPositions(const QString& line, const QString& delimiter) {
  QList<qsizetype> positions;
  if (delimiter.isEmpty()) return positions;
  for (qsizetype at = line.indexOf(delimiter, 0, Qt::CaseInsensitive); at >= 0;
       at = line.indexOf(delimiter, at + delimiter.size(), Qt::CaseInsensitive)) {
    positions.append(at);
  }
  return positions;
}

QString TrimBlanks(const QString& field) {
  qsizetype begin = 0, end = field.size();
  while (begin < end && field.at(begin) == QLatin1Char(' ')) ++begin;
  while (end > begin && field.at(end - 1) == QLatin1Char(' ')) --end;
  return field.mid(begin, end - begin);
}

}  // namespace

// One pass over the line: a delimiter is matched before anything else at its
// position (so a quote inside a delimiter is no quote), a quote only counts
// where no delimiter matched. A delimiter after an odd number of quotes lies
// in a quoted section when at least one more quote follows to close it.
QStringList GetTokens(const QString& line, const QString& delimiter, bool trim) {
  const QList<qsizetype> delimiters = DelimiterPositions(line, delimiter);
  qsizetype total_quotes = 0, next = 0;
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (next < delimiters.size() && i == delimiters[next]) {
      i += delimiter.size() - 1;
      ++next;
    } else if (IsQuote(line.at(i))) {
      ++total_quotes;
    }
  }
  if (delimiters.isEmpty() && total_quotes == line.size()) return {};  // nothing but quotes

  QStringList fields;
  QString field;
  qsizetype quotes_seen = 0;
  next = 0;
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (next < delimiters.size() && i == delimiters[next]) {
      ++next;
      const bool protected_by_quotes = quotes_seen % 2 == 1 && quotes_seen < total_quotes;
      if (protected_by_quotes) {
        field += line.mid(i, delimiter.size());
      } else {
        fields.append(field);
        field.clear();
      }
      i += delimiter.size() - 1;
    } else if (IsQuote(line.at(i))) {
      ++quotes_seen;
    } else {
      field += line.at(i);
    }
  }
  fields.append(field);
  if (trim) {
    for (QString& f : fields) f = TrimBlanks(f);
  }
  return fields;
}

}  // namespace quillon
