#include "core/common/upper_case.h"

#include <gtest/gtest.h>

#include <QList>

namespace quillon {
namespace {

struct CaseExample {
  const char* name;
  const char16_t* text;
  const char16_t* upper;
};

class UpperCaseTest : public ::testing::TestWithParam<CaseExample> {};

TEST_P(UpperCaseTest, EachCharacterKeepsItsPlace) {
  const QString text = QString::fromUtf16(GetParam().text);
  const QString upper = UpperCaseEachCharacter(text);
  EXPECT_EQ(upper, QString::fromUtf16(GetParam().upper));
  EXPECT_EQ(upper.toUcs4().size(), text.toUcs4().size()) << "a character became two";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UpperCaseTest,
    ::testing::Values(CaseExample{"AsciiLetters", u"hello, World 123", u"HELLO, WORLD 123"},
                      CaseExample{"AccentedLettersTakeTheirOneCharacterCapital", u"\u00e9t\u00e9",
                                  u"\u00c9T\u00c9"},
                      // Whose capital is two or more characters: they stay themselves.
                      CaseExample{"SharpSStaysItself", u"Stra\u00dfe", u"STRA\u00dfE"},
                      CaseExample{"LigatureStaysItself", u"\ufb01x", u"\ufb01X"},
                      CaseExample{"ApostropheNStaysItself", u"\u0149a", u"\u0149A"},
                      CaseExample{"GreekWithTwoCapitalsStaysItself", u"\u0390", u"\u0390"},
                      CaseExample{"SupplementaryLetterTakesItsCapital", u"\U00010428",
                                  u"\U00010400"},
                      CaseExample{"EmojiStaysItself", u"a\U0001F600", u"A\U0001F600"},
                      CaseExample{"LoneSurrogateIsKept",
                                  u"a\xd800"
                                  u"b",
                                  u"A\xd800"
                                  u"B"},
                      CaseExample{"LineEndsAreKept", u"a\r\nb", u"A\r\nB"},
                      CaseExample{"Empty", u"", u""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
