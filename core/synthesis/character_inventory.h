#pragma once

#include <QString>

namespace quillon {

/// The Baudot letters set: "ABCDEFGHIJKLMNOPQRSTUVWXYZ " compared without
/// regard to case. The blank belongs to the letters set only.
bool IsLettersSetChar(char32_t c);

/// What a character of a text is sent as.
struct CharOutcome {
  enum class Kind { Clip, Refused, Unknown };
  Kind kind = Kind::Unknown;
  QString clip;     ///< the clip file name, for Kind::Clip
  QString message;  ///< the report line, for Kind::Refused and Kind::Unknown
};

/// Looks a character up in the TTY character inventory: the clip that sends
/// it, or the report line for a character Baudot refuses or does not know.
/// Letters are found in either case; "~" is the Baudot blank.
CharOutcome LookupCharClip(char32_t c);

/// Clip names the construction uses besides the character clips. The two
/// shift clips are deliberately spelled in two ways: clip names are resolved
/// without regard to case, so both spellings meet the same file.
inline constexpr char kLtrsClip[] = "LTRS.wav";
inline constexpr char kClosingLtrsClip[] = "LTRS.WAV";
inline constexpr char kFigsClip[] = "FIGS.WAV";
inline constexpr char kBlankClip[] = "BlankChar.wav";
inline constexpr char kLeadingSilenceClip[] = "smallsilence.wav";
inline constexpr char kTrailingSilenceClip[] = "silence.wav";

}  // namespace quillon
