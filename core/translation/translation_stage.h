#pragma once

#include <QString>

namespace quillon {

/// The translation step of a construction: rewrites an upper-cased text
/// (line breaks already turned into blanks) or declares it one not to build.
class TranslationStage {
 public:
  struct Result {
    bool skip = false;  ///< true: the text is not to be built
    QString text;       ///< the rewritten text, when not skipped
  };
  virtual ~TranslationStage() = default;
  virtual Result Translate(const QString& text) = 0;
};

}  // namespace quillon
