#pragma once

#include <QString>

namespace quillon {

/// The translation step of a construction: rewrites an upper-cased text
/// (line breaks already turned into blanks) or declares it one not to build.
class TranslationStage {
 public:
  struct Result {
    bool skip = false;      ///< true: the text is not to be built
    bool too_long = false;  ///< true: an entry would have made it longer than the bound
    QString text;           ///< the rewritten text, when neither
  };
  virtual ~TranslationStage() = default;
  /// Translates `text`; an entry that would make the working text longer than
  /// `max_length` characters is not applied and ends the translation with
  /// `too_long`, so a table whose entries feed each other stops at the bound
  /// rather than after the text has grown past it.
  virtual Result Translate(const QString& text, qsizetype max_length) = 0;
};

}  // namespace quillon
