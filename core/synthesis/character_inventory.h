#pragma once

#include <QString>
#include <array>
#include <string_view>

#include "core/synthesis/alphabet_table.h"

namespace quillon {

/// The Baudot shift a receiver is in: after LTRS, after FIGS, or not known
/// (before the first shift character, and after the blank "~").
enum class Shift { Letters, Figures, Unknown };

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

/// The clips of the set besides the character clips: the tics of every rate
/// and the working pair the alphabet is joined from, and the silences.
inline constexpr std::array<std::string_view, 13> kSetClips = {
    "spacetic45baud.wav", "marktic45baud.wav", "spacetic50baud.wav",  "marktic50baud.wav",
    "spacetic75baud.wav", "marktic75baud.wav", "spacetic110baud.wav", "marktic110baud.wav",
    "spacetic.wav",       "marktic.wav",       "BlankChar.wav",       "smallsilence.wav",
    "silence.wav"};

}  // namespace quillon
