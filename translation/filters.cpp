#include "translation/filters.h"

namespace quillon {
namespace {

enum class Markup { None, Skip, Space, Remove };

Markup MarkupOf(const QString& replacement) {
  if (replacement.compare(QStringLiteral("<skip>"), Qt::CaseInsensitive) == 0) return Markup::Skip;
  if (replacement.compare(QStringLiteral("<space>"), Qt::CaseInsensitive) == 0)
    return Markup::Space;
  if (replacement.compare(QStringLiteral("<remove>"), Qt::CaseInsensitive) == 0)
    return Markup::Remove;
  return Markup::None;
}

bool Occurs(const QString& text, const QString& find) {
  return text.contains(find, Qt::CaseInsensitive);
}

bool EndsInMark(const QString& word) {
  if (word.isEmpty()) return false;
  const QChar last = word.back();
  return last == QLatin1Char(',') || last == QLatin1Char('.') || last == QLatin1Char('?');
}

// A single-word entry: the text is split at every single blank and each word
// that is the find text (or the find text followed by one mark) is replaced.
// When the find text does not occur in the text at all, no word can match,
// and splitting and rejoining at single blanks would give the text back
// unchanged: that case, by far the most common one, costs one search.
void ReplaceWholeWords(QString& text, const QString& find, const QString& replacement) {
  if (!Occurs(text, find)) return;
  QStringList words = text.split(QLatin1Char(' '), Qt::KeepEmptyParts);
  bool changed = false;
  for (QString& word : words) {
    if (EndsInMark(word)) {
      if (QStringView(word).chopped(1).compare(find, Qt::CaseInsensitive) != 0) continue;
      word.replace(find, replacement, Qt::CaseInsensitive);  // the mark stays behind
    } else {
      if (word.compare(find, Qt::CaseInsensitive) != 0) continue;
      word = replacement;
    }
    changed = true;
  }
  if (changed) text = words.join(QLatin1Char(' '));
}

// "<space>" and "<remove>": applied only when the find text occurs in the
// input as it was passed in. True when the entry was one of the two.
bool ApplyBlankOrRemove(Markup markup, const QString& input, const QString& find, QString& text) {
  if (markup == Markup::Space) {
    if (Occurs(input, find)) text.replace(find, QStringLiteral(" "), Qt::CaseInsensitive);
    return true;
  }
  if (markup == Markup::Remove) {
    if (Occurs(input, find)) text.remove(find, Qt::CaseInsensitive);
    return true;
  }
  return false;
}

}  // namespace

QString FilterDictionary(const QString& strInput, const QStringList& from, const QStringList& to) {
  QString text = strInput.toUpper();
  const qsizetype n = std::min(from.size(), to.size());
  for (qsizetype i = 0; i < n; ++i) {
    const QString& find = from[i];
    const QString& replacement = to[i];
    if (find.isEmpty()) continue;  // never loaded: an empty field is kept as one blank
    const Markup markup = MarkupOf(replacement);
    if (markup == Markup::Skip) {
      if (Occurs(strInput, find)) return kSkipMarker;
    } else if (ApplyBlankOrRemove(markup, strInput, find, text)) {
    } else if (find.contains(QLatin1Char(' '))) {
      text.replace(find, replacement, Qt::CaseInsensitive);  // a phrase: no word boundaries
    } else {
      ReplaceWholeWords(text, find, replacement);
    }
  }
  return text;
}

QString FilterCharReplacement(const QString& strInput, const QStringList& from,
                              const QStringList& to) {
  QString text = strInput.toUpper();
  const qsizetype n = std::min(from.size(), to.size());
  for (qsizetype i = 0; i < n; ++i) {
    const QString& find = from[i];
    if (find.isEmpty()) continue;
    if (!ApplyBlankOrRemove(MarkupOf(to[i]), strInput, find, text))
      text.replace(find, to[i], Qt::CaseInsensitive);
  }
  return text;
}

}  // namespace quillon
