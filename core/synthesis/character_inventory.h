#pragma once

#include <QString>
#include <array>
#include <string_view>

namespace quillon {

/// One character clip of the alphabet: its file, its five-bit Baudot code
/// (bit 1 first, mark = 1), and the figure that shares the code, if any.
/// This table is the one list of the character clips: the construction looks
/// characters up in it and the build installs the clips it names.
struct AlphabetRow {
  std::string_view clip;
  std::string_view code;
  std::string_view figure_copy;  ///< empty: no figure clip shares this code
  char32_t figure = 0;           ///< the figure sent by `figure_copy`, 0 when none
};

/// The 29 frames, in the order they are built: A to Z, space, LTRS, FIGS,
/// with the United States TTY figure set.
inline constexpr std::array<AlphabetRow, 29> kAlphabet = {{
    {"a.wav", "11000", "dash.wav", U'-'},
    {"b.wav", "10011", "question.wav", U'?'},
    {"c.wav", "01110", "colon.wav", U':'},
    {"d.wav", "10010", "dollar.wav", U'$'},
    {"e.wav", "10000", "3.wav", U'3'},
    {"f.wav", "10110", "exclamation.wav", U'!'},
    {"g.wav", "01011", "and.wav", U'&'},
    {"h.wav", "00101", "pound.wav", U'#'},
    {"i.wav", "01100", "8.wav", U'8'},
    {"j.wav", "11010", "singlequote.wav", U'\''},
    {"k.wav", "11110", "leftparen.wav", U'('},
    {"l.wav", "01001", "rightparen.wav", U')'},
    {"m.wav", "00111", "period.wav", U'.'},
    {"n.wav", "00110", "comma.wav", U','},
    {"o.wav", "00011", "9.wav", U'9'},
    {"p.wav", "01101", "0.wav", U'0'},
    {"q.wav", "11101", "1.wav", U'1'},
    {"r.wav", "01010", "4.wav", U'4'},
    {"s.wav", "10100", "", 0},
    {"t.wav", "00001", "5.wav", U'5'},
    {"u.wav", "11100", "7.wav", U'7'},
    {"v.wav", "01111", "semicolon.wav", U';'},
    {"w.wav", "11001", "2.wav", U'2'},
    {"x.wav", "10111", "slash.wav", U'/'},
    {"y.wav", "10101", "6.wav", U'6'},
    {"z.wav", "10001", "quote.wav", U'"'},
    {"space.wav", "00100", "", 0},
    {"LTRS.wav", "11111", "", 0},
    {"FIGS.wav", "11011", "", 0},
}};

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
    "spacetic45baud.wav", "marktic45baud.wav", "spacetic50baud.wav", "marktic50baud.wav",
    "spacetic75baud.wav", "marktic75baud.wav", "spacetic110baud.wav", "marktic110baud.wav",
    "spacetic.wav",       "marktic.wav",       "BlankChar.wav",       "smallsilence.wav",
    "silence.wav"};

}  // namespace quillon
