#pragma once

#include <QString>
#include <QStringList>
#include <limits>

namespace quillon {

/// The whole result of the word dictionary for a text that is not to be built.
inline const QString kSkipMarker = QStringLiteral(";;;SKIP;;;");

/// No bound on the length a filter may make a text.
inline constexpr qsizetype kNoLengthBound = std::numeric_limits<qsizetype>::max();

/// Applies the word dictionary (`from`/`to`, upper case, file order) to a
/// text. Every entry works on the result of the ones before it:
/// - "<SKIP>": when the find text occurs anywhere in `input`, the result
///   is kSkipMarker;
/// - "<SPACE>", "<REMOVE>": when the find text occurs in `input`, every
///   occurrence in the working text becomes one blank, or goes;
/// - a find text holding a blank (a phrase) is replaced wherever it occurs;
/// - a single word replaces whole words only, split at single blanks; a word
///   ending in ",", "." or "?" matches when the rest of it does, and keeps
///   that mark behind the replacement.
/// The presence tests look at `input` as passed in, not at the working
/// text. Comparisons ignore letter case; the result is upper case.
///
/// An entry that would make the working text longer than `max_length`
/// characters is not applied: the filter stops there, sets `*too_long` (when
/// given) and returns the text as it was before that entry.
QString FilterDictionary(const QString& input, const QStringList& from, const QStringList& to,
                         qsizetype max_length = kNoLengthBound, bool* too_long = nullptr);

/// Applies the character-replacement table: "<SPACE>" and "<REMOVE>" as in
/// the word dictionary, every other entry replaces its find text wherever it
/// occurs. "<SKIP>" has no meaning here. The result is upper case. Stops at
/// `max_length` as FilterDictionary does.
QString FilterCharReplacement(const QString& input, const QStringList& from, const QStringList& to,
                              qsizetype max_length = kNoLengthBound, bool* too_long = nullptr);

}  // namespace quillon
