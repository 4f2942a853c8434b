#include "core/common/upper_case.h"

namespace quillon {

QString UpperCaseEachCharacter(const QString& text) {
  QString upper;
  upper.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    // One character: a surrogate pair is taken whole.
    const qsizetype length =
        (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
    const QString character = text.mid(i, length);
    const QString capital = character.toUpper();
    const bool one_character =
        capital.size() == 1 || (capital.size() == 2 && capital[0].isHighSurrogate());
    upper += one_character ? capital : character;
    i += length;
  }
  return upper;
}

}  // namespace quillon
