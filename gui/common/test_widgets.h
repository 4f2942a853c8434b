#pragma once
// Helpers for the window tests: captions as users read them, and
// environment variables that are put back when a test ends.

#include <QByteArray>
#include <QChar>
#include <QString>
#include <optional>

#include "tests/support/test_support.h"

namespace quillon::test {

/// A caption as the user reads it on screen: the '&' that marks its access
/// key left out, "&&" read as one '&'.
inline QString VisibleCaption(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

/// The access key of a caption, upper-cased; null when it has none.
inline QChar AccessKey(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toUpper();
    ++i;
  }
  return QChar();
}

}  // namespace quillon::test
