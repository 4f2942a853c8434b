#include "core/translation/filters.h"

#include <algorithm>

#include "core/common/upper_case.h"

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

// Whether replacing every `find` in `text` by `replacement` keeps the text
// within `max_length`: counted before anything is replaced, so that one
// entry cannot grow the text far past the bound in one step.
bool FitsAfterReplacing(const QString& text, const QString& find, qsizetype replacement_size,
                        qsizetype max_length) {
  if (replacement_size <= find.size()) return text.size() <= max_length;
  const qsizetype growth = replacement_size - find.size();
  const qsizetype room = max_length - text.size();
  if (room < 0) return false;
  return text.count(find, Qt::CaseInsensitive) <= room / growth;
}

bool EndsInMark(const QString& word) {
  if (word.isEmpty()) return false;
  const QChar last = word.back();
  return last == QLatin1Char(',') || last == QLatin1Char('.') || last == QLatin1Char('?');
}

/// The working text of the word dictionary. Between single-word entries it
/// is kept as its words: splitting at single blanks and joining with single
/// blanks give each other back exactly as long as no word holds a blank, so
/// the text is split once and joined only when an entry needs it whole. A
/// replacement that brings blanks into a word is split into its words on
/// the spot, which keeps that rule.
class WorkingText {
 public:
  explicit WorkingText(QString text) : text_(std::move(text)) {}

  /// The whole text, joined again if its words changed.
  const QString& Text() {
    if (!text_valid_) {
      text_ = words_.join(QLatin1Char(' '));
      text_valid_ = true;
    }
    return text_;
  }

  /// Replaces every occurrence of `find` (without regard to case); false,
  /// with nothing replaced, when the text would grow past `max_length`.
  bool Replace(const QString& find, const QString& replacement, qsizetype max_length) {
    if (!Occurs(Text(), find)) return true;
    if (!FitsAfterReplacing(text_, find, replacement.size(), max_length)) return false;
    text_.replace(find, replacement, Qt::CaseInsensitive);
    words_valid_ = false;
    return true;
  }

  bool ReplaceWholeWords(const QString& find, const QString& replacement, qsizetype max_length);

 private:
  /// Whether replacing every hit of `find` would take the text past `max_length`.
  bool Outgrows(const QString& find, const QString& replacement, qsizetype max_length) const;
  /// Replaces every hit of `find` in the words.
  void ReplaceHits(const QString& find, const QString& replacement);

  QString text_;
  bool text_valid_ = true;
  QStringList words_;
  bool words_valid_ = false;
  qsizetype length_ = 0;  // the length of the words joined, while they are the text
};

// How a word meets the find text of an entry: not at all, as the whole word,
// or as the whole word followed by one mark (which stays behind the
// replacement). Words of another length cannot be equal without regard to
// case and are passed over at once.
enum class Hit { kNone, kPlain, kMarked };

Hit HitOf(const QString& word, const QString& find) {
  if (word.size() == find.size() + 1 && EndsInMark(word) &&
      QStringView(word).chopped(1).compare(find, Qt::CaseInsensitive) == 0)
    return Hit::kMarked;
  if (word.size() == find.size() && !EndsInMark(word) &&
      word.compare(find, Qt::CaseInsensitive) == 0)
    return Hit::kPlain;
  return Hit::kNone;
}

// Every word that is the find text, or the find text followed by one mark,
// is replaced.
bool WorkingText::ReplaceWholeWords(const QString& find, const QString& replacement,
                                    qsizetype max_length) {
  if (!words_valid_) {
    words_ = Text().split(QLatin1Char(' '), Qt::KeepEmptyParts);
    words_valid_ = true;
    length_ = text_.size();
  }
  if (Outgrows(find, replacement, max_length)) return false;
  ReplaceHits(find, replacement);
  return true;
}

// Each word replaced grows the text by the same amount (a mark stays behind
// its replacement): the hits are counted first, and an entry that would go
// past the bound is not applied at all.
bool WorkingText::Outgrows(const QString& find, const QString& replacement,
                           qsizetype max_length) const {
  const qsizetype growth = replacement.size() - find.size();
  if (growth <= 0) return false;
  const auto hits = std::count_if(words_.begin(), words_.end(), [&](const QString& word) {
    return HitOf(word, find) != Hit::kNone;
  });
  return hits > 0 && (max_length - length_) / growth < hits;
}

// The words are copied into a new list rather than edited in place, so that
// a replacement with blanks costs its own words and never a shift of all the
// words after it: an entry costs time in proportion to the text.
void WorkingText::ReplaceHits(const QString& find, const QString& replacement) {
  QStringList result;
  bool changed = false;
  for (QString& word : words_) {
    const Hit hit = HitOf(word, find);
    if (hit == Hit::kNone) {
      if (changed) result.append(std::move(word));
      continue;
    }
    QString replaced = hit == Hit::kPlain ? replacement : word;
    if (hit == Hit::kMarked) replaced.replace(find, replacement, Qt::CaseInsensitive);
    if (!changed) {
      // The first hit: the words before it move over unchanged.
      changed = true;
      result.reserve(words_.size());
      for (QString& before : words_) {
        if (&before == &word) break;
        result.append(std::move(before));
      }
    }
    // The replacement itself is not looked at again by this entry.
    if (replaced.contains(QLatin1Char(' ')))
      result.append(replaced.split(QLatin1Char(' '), Qt::KeepEmptyParts));
    else
      result.append(std::move(replaced));
  }
  if (!changed) return;
  words_ = std::move(result);
  text_valid_ = false;
  length_ = words_.size() - 1;
  for (const QString& word : words_) length_ += word.size();
}

}  // namespace

QString FilterDictionary(const QString& input, const QStringList& from, const QStringList& to,
                         qsizetype max_length, bool* too_long) {
  WorkingText text(UpperCaseEachCharacter(input));
  const qsizetype n = std::min(from.size(), to.size());
  bool fits = true;
  for (qsizetype i = 0; i < n && fits; ++i) {
    const QString& find = from[i];
    const QString& replacement = to[i];
    if (find.isEmpty()) continue;  // never loaded: an empty field is kept as one blank
    switch (MarkupOf(replacement)) {
      case Markup::Skip:
        if (Occurs(input, find)) return kSkipMarker;
        break;
      case Markup::Space:
        if (Occurs(input, find)) fits = text.Replace(find, QStringLiteral(" "), max_length);
        break;
      case Markup::Remove:
        if (Occurs(input, find)) fits = text.Replace(find, QString(), max_length);
        break;
      case Markup::None:
        if (find.contains(QLatin1Char(' '))) {
          fits = text.Replace(find, replacement, max_length);  // a phrase: no word boundaries
        } else {
          fits = text.ReplaceWholeWords(find, replacement, max_length);
        }
        break;
    }
  }
  if (too_long) *too_long = !fits;
  return text.Text();
}

QString FilterCharReplacement(const QString& input, const QStringList& from, const QStringList& to,
                              qsizetype max_length, bool* too_long) {
  QString text = UpperCaseEachCharacter(input);
  const qsizetype n = std::min(from.size(), to.size());
  if (too_long) *too_long = false;
  for (qsizetype i = 0; i < n; ++i) {
    const QString& find = from[i];
    if (find.isEmpty()) continue;
    switch (MarkupOf(to[i])) {
      case Markup::Space:
        if (Occurs(input, find)) text.replace(find, QStringLiteral(" "), Qt::CaseInsensitive);
        break;
      case Markup::Remove:
        if (Occurs(input, find)) text.remove(find, Qt::CaseInsensitive);
        break;
      case Markup::Skip:  // no meaning here: replaced like any other text
      case Markup::None:
        // Most entries do not occur; a search is much cheaper than a replace.
        if (!Occurs(text, find)) break;
        if (!FitsAfterReplacing(text, find, to[i].size(), max_length)) {
          if (too_long) *too_long = true;
          return text;
        }
        text.replace(find, to[i], Qt::CaseInsensitive);
        break;
    }
  }
  return text;
}

}  // namespace quillon
