#include "core/verification/baudot_table.h"

#include <array>

#include "core/synthesis/alphabet.h"
#include "core/synthesis/character_inventory.h"

namespace quillon {
namespace {

// Codes the construction never sends, printed as the control a US TTY performs.
constexpr BaudotCode kLineFeedCode = 2;
constexpr BaudotCode kCarriageReturnCode = 8;
constexpr BaudotCode kBellCode = 5;  // S in letters

/// What each code prints from each table; 0 prints nothing.
struct PrintTables {
  std::array<char32_t, 32> letters{};
  std::array<char32_t, 32> figures{};
};

bool SameClip(std::string_view alphabet_clip, const QString& clip) {
  return !alphabet_clip.empty() &&
         QString::fromLatin1(alphabet_clip.data(), static_cast<qsizetype>(alphabet_clip.size()))
                 .compare(clip, Qt::CaseInsensitive) == 0;
}

// The character the inventory sends with `clip`: the first printable ASCII character
// that maps to it, which for letters is the capital.
char32_t CharForClip(std::string_view clip) {
  for (char32_t c = U' '; c <= U'~'; ++c) {
    const CharOutcome outcome = LookupCharClip(c);
    if (outcome.kind == CharOutcome::Kind::Clip && SameClip(clip, outcome.clip)) return c;
  }
  return 0;
}

PrintTables BuildPrintTables() {
  PrintTables tables;
  for (const AlphabetRow& row : kAlphabet) {
    const std::optional<BaudotCode> code = ParseCode(row.code);
    if (!code) continue;
    tables.letters[*code] = CharForClip(row.clip);
    if (!row.figure_copy.empty()) tables.figures[*code] = CharForClip(row.figure_copy);
  }
  // One code carries the blank whichever table is in use.
  tables.figures[kSpaceCode] = tables.letters[kSpaceCode];
  for (auto* table : {&tables.letters, &tables.figures}) {
    (*table)[kLineFeedCode] = U'\n';
    (*table)[kCarriageReturnCode] = U'\r';
  }
  if (tables.figures[kBellCode] == 0) tables.figures[kBellCode] = U'\a';
  return tables;
}

const PrintTables& Tables() {
  static const PrintTables tables = BuildPrintTables();
  return tables;
}

}  // namespace

char32_t CharForCode(BaudotCode code, Shift shift) {
  const PrintTables& tables = Tables();
  return (shift == Shift::Letters ? tables.letters : tables.figures)[code & 0x1f];
}

std::optional<BaudotCode> ParseCode(std::string_view bits) {
  if (bits.size() != 5) return std::nullopt;
  BaudotCode code = 0;
  for (size_t i = 0; i < bits.size(); ++i) {
    if (bits[i] != '0' && bits[i] != '1') return std::nullopt;
    if (bits[i] == '1') code |= static_cast<BaudotCode>(1u << i);
  }
  return code;
}

std::string FormatCode(BaudotCode code) {
  std::string bits;
  for (int i = 0; i < 5; ++i) bits += (code >> i) & 1 ? '1' : '0';
  return bits;
}

std::optional<CharCode> CodeForChar(char32_t c) {
  const CharOutcome outcome = LookupCharClip(c);
  if (outcome.kind != CharOutcome::Kind::Clip) return std::nullopt;
  for (const AlphabetRow& row : kAlphabet) {
    const std::optional<BaudotCode> code = ParseCode(row.code);
    if (!code) continue;
    if (SameClip(row.clip, outcome.clip)) return CharCode{*code, Shift::Letters};
    if (SameClip(row.figure_copy, outcome.clip)) return CharCode{*code, Shift::Figures};
  }
  return std::nullopt;
}

void BaudotPrinter::Print(BaudotCode code) {
  code &= 0x1f;
  if (code == kLtrsCode) {
    shift_ = Shift::Letters;
    return;
  }
  if (code == kFigsCode) {
    shift_ = Shift::Figures;
    return;
  }
  if (code == kSpaceCode) shift_ = Shift::Letters;
  const char32_t c = CharForCode(code, shift_);
  // Every entry is ASCII, so one UTF-16 unit holds it.
  if (c != 0) text_.append(QChar(static_cast<char16_t>(c)));
}

QString PrintBaudot(std::span<const BaudotCode> codes) {
  BaudotPrinter printer;
  for (BaudotCode code : codes) printer.Print(code);
  return printer.text();
}

}  // namespace quillon
