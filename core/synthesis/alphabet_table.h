#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

/// The four rates the clip set can be built at.
enum class BaudRate { Baud45, Baud50, Baud75, Baud110 };

/// The tic clips a rate is built from, and its name for people.
struct BaudRateInfo {
  BaudRate rate;
  std::string_view space_tic;  ///< the prepared space tic of this rate
  std::string_view mark_tic;   ///< the prepared mark tic of this rate
  std::string_view caption;    ///< "Baudot - 45.45 baud", ...
  std::string_view name;       ///< "45.45", "50", "75", "110"
};

inline constexpr std::array<BaudRateInfo, 4> kBaudRates = {{
    {BaudRate::Baud45, "spacetic45baud.wav", "marktic45baud.wav", "Baudot - 45.45 baud", "45.45"},
    {BaudRate::Baud50, "spacetic50baud.wav", "marktic50baud.wav", "Baudot - 50 baud", "50"},
    {BaudRate::Baud75, "spacetic75baud.wav", "marktic75baud.wav", "Baudot - 75 baud", "75"},
    {BaudRate::Baud110, "spacetic110baud.wav", "marktic110baud.wav", "Baudot - 110 baud", "110"},
}};

/// The rate called `name` ("45.45", "45", "50", "75" or "110").
std::optional<BaudRate> BaudRateFromName(std::string_view name);

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

/// The eight tics of a frame: a space start bit, the five code bits, and two
/// mark stop bits ("S" space, "M" mark).
std::string TicSequence(const AlphabetRow& row);

}  // namespace quillon
