#include "core/translation/tokenizer.h"

#include <gtest/gtest.h>

#include "core/translation/test_printing.h"

namespace quillon {
namespace {

struct TokenCase {
  const char* name;
  const char16_t* line;  // Q in these lines stands for one straight double quote
  bool trim;
  std::vector<const char16_t*> fields;
};

QString WithQuotes(const char16_t* line) {
  return QString::fromUtf16(line).replace(QLatin1Char('Q'), QLatin1Char('"'));
}

class GetTokensTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(GetTokensTest, SplitsIntoTheExpectedFields) {
  const TokenCase& c = GetParam();
  QStringList expected;
  for (const char16_t* f : c.fields) expected.append(QString::fromUtf16(f));
  EXPECT_EQ(GetTokens(WithQuotes(c.line), QStringLiteral(","), c.trim), expected);
}

std::string CaseName(const ::testing::TestParamInfo<TokenCase>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, GetTokensTest,
    ::testing::Values(
        TokenCase{"EmptyLineHasNoFields", u"", true, {}},
        TokenCase{"TwoQuotesAloneHaveNoFields", u"QQ", true, {}},
        TokenCase{"TypographicQuotesAloneHaveNoFields", u"\u201C\u201D", false, {}},
        TokenCase{"BlanksAreAField", u"   ", true, {u""}},
        TokenCase{"LoneCommaGivesTwoEmptyFields", u",", true, {u"", u""}},
        TokenCase{"TwoFields", u"a,b", true, {u"a", u"b"}},
        TokenCase{"TrailingComma", u"a,b,", true, {u"a", u"b", u""}},
        TokenCase{"LeadingComma", u",a", true, {u"", u"a"}},
        TokenCase{"EmptyMiddleField", u"a,,b", true, {u"a", u"", u"b"}},
        TokenCase{"QuotedCommaStays", u"Qa,bQ,c", true, {u"a,b", u"c"}},
        TokenCase{"EveryQuotedCommaStays", u"Qa,b,cQ,d", true, {u"a,b,c", u"d"}},
        TokenCase{"UnpairedLastQuoteProtectsNothing", u"QxQ,y,Qz", true, {u"x", u"y", u"z"}},
        TokenCase{"TextBeforeTheQuoteJoinsTheField", u"Smith Q, JohnQ", true, {u"Smith , John"}},
        TokenCase{"TypographicQuotesPair", u"\u201Ca,b\u201D,c", true, {u"a,b", u"c"}},
        TokenCase{"MixedQuotesPair", u"\u201Ca,bQ,c", true, {u"a,b", u"c"}},
        TokenCase{"EmptyQuotedSectionsVanish", u"say QQhiQQ, ok", true, {u"say hi", u"ok"}},
        TokenCase{"TrimDropsOuterBlanks", u"  FILE  ,  TEXT  ", true, {u"FILE", u"TEXT"}},
        TokenCase{
            "NoTrimKeepsOuterBlanks", u"  FILE  ,  TEXT  ", false, {u"  FILE  ", u"  TEXT  "}},
        TokenCase{"TrimKeepsInnerBlanksAndTabs", u"\ta b\t , c", true, {u"\ta b\t", u"c"}},
        TokenCase{"QuotesDoNotProtectBlanksFromTrim", u"Q a Q,b", true, {u"a", u"b"}},
        TokenCase{"TwoPairsProtectTwoSections", u"Qa,bQ,Qc,dQ", true, {u"a,b", u"c,d"}},
        // A placeholder text in the user's line is the user's text: it
        // neither splits a field nor turns into a comma.
        TokenCase{"PlaceholderTextStaysLiteral", u"a#@#b,c", true, {u"a#@#b", u"c"}},
        TokenCase{"PlaceholderTextInQuotesStaysLiteral", u"Qx#@#yQ,z", true, {u"x#@#y", u"z"}},
        TokenCase{"HashAndAtBesideACommaStay", u"a#@,b", true, {u"a#@", u"b"}}),
    CaseName);

TEST(GetTokensDelimiterTest, DelimiterMatchesWithoutRegardToCaseAndKeepsItsText) {
  EXPECT_EQ(GetTokens(QStringLiteral("1x2X3"), QStringLiteral("x"), false),
            (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
  // Inside quotes the delimiter stays exactly as the user wrote it.
  EXPECT_EQ(GetTokens(QStringLiteral("\"aXb\"x c"), QStringLiteral("x"), true),
            (QStringList{QStringLiteral("aXb"), QStringLiteral("c")}));
  EXPECT_EQ(
      GetTokens(QStringLiteral("a::b::::c"), QStringLiteral("::"), false),
      (QStringList{QStringLiteral("a"), QStringLiteral("b"), QString(), QStringLiteral("c")}));
}

TEST(GetTokensDelimiterTest, EmptyDelimiterSplitsNothing) {
  EXPECT_EQ(GetTokens(QStringLiteral("a,b"), QString(), false), QStringList{QStringLiteral("a,b")});
}

TEST(GetTokensLongLineTest, LinesBeyondSixteenBitsAreSplitInFull) {
  const QString left(40000, QLatin1Char('a'));
  const QString right(30000, QLatin1Char('b'));
  const QString quoted = QLatin1Char('"') + QString(20000, QLatin1Char(',')) + QLatin1Char('"');
  const QStringList fields = GetTokens(left + QLatin1Char(',') + quoted + QLatin1Char(',') + right,
                                       QStringLiteral(","), true);
  ASSERT_EQ(fields.size(), 3);
  EXPECT_EQ(fields[0], left);
  EXPECT_EQ(fields[1], QString(20000, QLatin1Char(',')));
  EXPECT_EQ(fields[2], right);
  EXPECT_EQ(GetTokens(QString(40000, QLatin1Char(',')), QStringLiteral(","), false).size(), 40001);
}

}  // namespace
}  // namespace quillon
