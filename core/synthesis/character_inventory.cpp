#include "core/synthesis/character_inventory.h"

#include <array>
#include <string_view>

namespace quillon {
namespace {

struct ClipName {
  char32_t key;  // the character in its lower-case form
  std::string_view clip;
};

// Characters with a clip of their own that is not in the alphabet table:
// the Baudot blank and the blank between words.
constexpr std::array<ClipName, 2> kOtherClips = {{
    {U'~', "BlankChar.wav"},
    {U' ', "space.wav"},
}};

// Characters a TTY cannot send at all; they are reported and skipped.
constexpr std::u32string_view kRefused = U"*@+=%";

QString FromChar(char32_t c) {
  return QString::fromUcs4(&c, 1);
}

}  // namespace

bool IsLettersSetChar(char32_t c) {
  return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || c == U' ';
}

CharOutcome LookupCharClip(char32_t c) {
  CharOutcome outcome;
  const char32_t lower = (c >= U'A' && c <= U'Z') ? c - U'A' + U'a' : c;
  if ((lower >= U'a' && lower <= U'z') || (lower >= U'0' && lower <= U'9')) {
    outcome.kind = CharOutcome::Kind::Clip;
    outcome.clip = FromChar(lower) + QStringLiteral(".wav");
    return outcome;
  }
  for (const AlphabetRow& row : kAlphabet) {
    if (row.figure == 0 || row.figure != lower) continue;
    outcome.kind = CharOutcome::Kind::Clip;
    outcome.clip = QString::fromLatin1(row.figure_copy.data(), row.figure_copy.size());
    return outcome;
  }
  for (const ClipName& entry : kOtherClips) {
    if (entry.key != lower) continue;
    outcome.kind = CharOutcome::Kind::Clip;
    outcome.clip = QString::fromLatin1(entry.clip.data(), entry.clip.size());
    return outcome;
  }
  if (kRefused.find(c) != std::u32string_view::npos) {
    outcome.kind = CharOutcome::Kind::Refused;
    outcome.message = QStringLiteral("    '") + FromChar(c) +
                      QStringLiteral("' character not supported by Boudot protocol!  Skipped.");
    return outcome;
  }
  outcome.kind = CharOutcome::Kind::Unknown;
  outcome.message = QStringLiteral("(error) unknown character encountered:") + FromChar(c);
  return outcome;
}

}  // namespace quillon
