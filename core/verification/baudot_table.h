#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/synthesis/character_inventory.h"

namespace quillon {

/// A five-bit Baudot code with bit 1 (the first bit on the line) as the lowest bit: the
/// value spandsp's asynchronous framing delivers. "11000" in the alphabet table is 3.
using BaudotCode = std::uint8_t;

inline constexpr BaudotCode kBlankCode = 0;
inline constexpr BaudotCode kSpaceCode = 4;
inline constexpr BaudotCode kFigsCode = 27;
inline constexpr BaudotCode kLtrsCode = 31;

/// The code a character's clip carries and the table it is printed from, looked up in
/// our character inventory and alphabet table. The blank (space) prints the same from
/// both tables and is given as Shift::Letters.
struct CharCode {
  BaudotCode code = 0;
  Shift shift = Shift::Letters;
};

/// The code and table of `c`; none for characters without a clip (the Baudot blank "~",
/// refused and unknown characters) and for a clip the alphabet table does not build.
std::optional<CharCode> CodeForChar(char32_t c);

/// What `code` prints from `shift`'s table (see BaudotPrinter); 0 when it prints nothing
/// (a shift, the Baudot blank).
char32_t CharForCode(BaudotCode code, Shift shift);

/// The code of an alphabet row written bit 1 first ("11000"); none when it is not five
/// binary digits.
std::optional<BaudotCode> ParseCode(std::string_view bits);

/// The code written bit 1 first, as the alphabet table writes it.
std::string FormatCode(BaudotCode code);

/// What a US TTY prints for received codes, one code at a time. It starts in letters.
/// LTRS and FIGS switch tables and print nothing; the Baudot blank (00000) prints
/// nothing; a space prints a blank from either table and returns the receiver to letters
/// (unshift on space, as US TTYs and minimodem's transmitter expect). Letters and
/// figures come from our inventory; the codes it has no clip for print the control a
/// TTY performs: carriage return "\r", line feed "\n" and, for S in figures, the bell
/// "\a".
class BaudotPrinter {
 public:
  /// Prints one code (the lowest five bits of `code`) onto text().
  void Print(BaudotCode code);
  const QString& text() const { return text_; }
  Shift shift() const { return shift_; }

 private:
  Shift shift_ = Shift::Letters;
  QString text_;
};

/// What a TTY prints for `codes`, starting in letters.
QString PrintBaudot(std::span<const BaudotCode> codes);

}  // namespace quillon
