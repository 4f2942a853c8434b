// The receiver's character tables come from our inventory and alphabet table; here they
// are held against the US TTY code chart, written out independently.
#include "core/verification/baudot_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/synthesis/alphabet.h"

namespace quillon {
namespace {

// US TTY (ITA2 with US figures), indexed by code, bit 1 lowest. '\0' prints nothing.
constexpr char32_t kUsLetters[32] = {0,     U'E', U'\n', U'A', U' ', U'S', U'I', U'U',
                                     U'\r', U'D', U'R',  U'J', U'N', U'F', U'C', U'K',
                                     U'T',  U'Z', U'L',  U'W', U'H', U'Y', U'P', U'Q',
                                     U'O',  U'B', U'G',  0,    U'M', U'X', U'V', 0};
constexpr char32_t kUsFigures[32] = {0,     U'3', U'\n', U'-',  U' ', U'\a', U'8', U'7',
                                     U'\r', U'$', U'4',  U'\'', U',', U'!',  U':', U'(',
                                     U'5',  U'"', U')',  U'2',  U'#', U'6',  U'0', U'1',
                                     U'9',  U'?', U'&',  0,     U'.', U'/',  U';', 0};

TEST(BaudotTableTest, TablesMatchTheUsTtyChart) {
  for (BaudotCode code = 0; code < 32; ++code) {
    SCOPED_TRACE(FormatCode(code));
    EXPECT_EQ(CharForCode(code, Shift::Letters), kUsLetters[code]);
    EXPECT_EQ(CharForCode(code, Shift::Figures), kUsFigures[code]);
  }
}

TEST(BaudotTableTest, ShiftCodesAgreeWithTheAlphabetTable) {
  const auto code_of = [](std::string_view clip) -> std::optional<BaudotCode> {
    for (const AlphabetRow& row : kAlphabet)
      if (row.clip == clip) return ParseCode(row.code);
    return std::nullopt;
  };
  EXPECT_EQ(code_of("LTRS.wav"), kLtrsCode);
  EXPECT_EQ(code_of("FIGS.wav"), kFigsCode);
  EXPECT_EQ(code_of("space.wav"), kSpaceCode);
  EXPECT_EQ(FormatCode(3), "11000");
  EXPECT_EQ(ParseCode("11000"), 3);
  EXPECT_EQ(ParseCode("1100"), std::nullopt);
  EXPECT_EQ(ParseCode("11002"), std::nullopt);
}

struct PrintCase {
  std::vector<BaudotCode> codes;
  QString printed;
};

void PrintTo(const PrintCase& c, std::ostream* os) {
  *os << '"' << c.printed.toStdString() << '"';
}

class BaudotPrinterTest : public ::testing::TestWithParam<PrintCase> {};

TEST_P(BaudotPrinterTest, PrintsAsATty) {
  EXPECT_EQ(PrintBaudot(GetParam().codes), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(Cases, BaudotPrinterTest,
                         ::testing::Values(
                             // Starts in letters; shifts print nothing.
                             PrintCase{{23, kFigsCode, 23, kLtrsCode, 23}, QStringLiteral("Q1Q")},
                             // Unshift on space: figures end at a blank.
                             PrintCase{{kFigsCode, 23, kSpaceCode, 23}, QStringLiteral("1 Q")},
                             // The blank prints nothing and keeps the table.
                             PrintCase{{kFigsCode, kBlankCode, 23}, QStringLiteral("1")},
                             // Controls and the bell.
                             PrintCase{{8, 2, kFigsCode, 5}, QStringLiteral("\r\n\a")},
                             // Only the five code bits count.
                             PrintCase{{static_cast<BaudotCode>(0xe0 | 23)}, QStringLiteral("Q")}));

}  // namespace
}  // namespace quillon
