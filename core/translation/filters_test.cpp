#include "core/translation/filters.h"

#include <gtest/gtest.h>

#include <random>

#include "core/common/upper_case.h"
#include "core/translation/test_printing.h"

namespace quillon {
namespace {

struct FilterCase {
  const char* name;
  std::vector<std::pair<const char16_t*, const char16_t*>> entries;  // find, replacement
  const char16_t* input;
  const char16_t* expected;
};

void Split(const FilterCase& c, QStringList* from, QStringList* to) {
  for (const auto& [find, replacement] : c.entries) {
    from->append(QString::fromUtf16(find));
    to->append(QString::fromUtf16(replacement));
  }
}

std::string CaseName(const ::testing::TestParamInfo<FilterCase>& info) {
  return info.param.name;
}

class FilterDictionaryTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterDictionaryTest, RewritesTheText) {
  QStringList from, to;
  Split(GetParam(), &from, &to);
  EXPECT_EQ(FilterDictionary(QString::fromUtf16(GetParam().input), from, to),
            QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, FilterDictionaryTest,
    ::testing::Values(
        FilterCase{"EmptyTableUpperCases", {}, u"Mixed case é ", u"MIXED CASE É "},
        FilterCase{"WordKeepsItsMark", {{u"NO", u"NUMBER"}}, u"NO. 5 ", u"NUMBER. 5 "},
        FilterCase{"WordMatchesWholeWordsOnly", {{u"NO", u"NUMBER"}}, u"NOTE ", u"NOTE "},
        FilterCase{"WordInParenthesesStays", {{u"NO", u"NUMBER"}}, u"(NO) ", u"(NO) "},
        FilterCase{"QuestionMarkAndComma",
                   {{u"NO", u"NUMBER"}},
                   u"no? no, NO ",
                   u"NUMBER? NUMBER, NUMBER "},
        FilterCase{"FindEndingInAPeriodMissesItself", {{u"DR.", u"DOCTOR"}}, u"DR. ", u"DR. "},
        FilterCase{
            "FindEndingInAPeriodMatchesBeforeAComma", {{u"DR.", u"DOCTOR"}}, u"DR., ", u"DOCTOR, "},
        FilterCase{
            "PhraseIsASubstring", {{u"GOOD BYE", u"FAREWELL"}}, u"GOOD BYES ", u"FAREWELLS "},
        FilterCase{"SkipLooksForASubstring", {{u"NO", u"<skip>"}}, u"I KNOW ", u";;;SKIP;;;"},
        FilterCase{
            "SkipDiscardsEarlierWork", {{u"A", u"B"}, {u"C", u"<SKIP>"}}, u"A C ", u";;;SKIP;;;"},
        FilterCase{"SkipOnlyWhenPresent", {{u"ZZ", u"<skip>"}}, u"A ", u"A "},
        FilterCase{"Cascade", {{u"A", u"B"}, {u"B", u"C"}}, u"A ", u"C "},
        FilterCase{"EarlierShorterEntryWins",
                   {{u"CAT", u"DOG"}, {u"CAT FOOD", u"KIBBLE"}},
                   u"CAT FOOD ",
                   u"DOG FOOD "},
        FilterCase{"BlankFindIsAPhrase", {{u" ", u"_"}}, u"A B ", u"A_B_"},
        FilterCase{"SpacingIsKept", {{u"A", u"Z"}}, u"A  B   A ", u"Z  B   Z "},
        FilterCase{"ReplacementMayHoldBlanks",
                   {{u"ASAP", u"AS SOON AS POSSIBLE"}},
                   u"CALL ASAP. ",
                   u"CALL AS SOON AS POSSIBLE. "},
        FilterCase{"SpaceMarkup", {{u"-", u"<space>"}}, u"A-B ", u"A B "},
        FilterCase{"RemoveMarkup", {{u"UM", u"<Remove>"}}, u"UM, OK ", u", OK "},
        // The presence tests look at the input, never at the working text.
        FilterCase{"BroughtInByAnEarlierEntryIsNotRemoved",
                   {{u"A", u"X"}, {u"X", u"<remove>"}},
                   u"A B ",
                   u"X B "},
        FilterCase{"BroughtInByAnEarlierEntryDoesNotSkip",
                   {{u"A", u"X"}, {u"X", u"<skip>"}},
                   u"A ",
                   u"X "},
        FilterCase{"PresentInTheInputAlsoMeetsWhatAnEarlierEntryBrought",
                   {{u"A", u"B"}, {u"B", u"<space>"}},
                   u"A B ",
                   u"    "},
        FilterCase{"CaseIsIgnored", {{u"HELLO", u"HI"}, {u"É", u"E"}}, u"hello é ", u"HI E "}),
    CaseName);

class FilterCharReplacementTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterCharReplacementTest, RewritesTheText) {
  QStringList from, to;
  Split(GetParam(), &from, &to);
  EXPECT_EQ(FilterCharReplacement(QString::fromUtf16(GetParam().input), from, to),
            QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, FilterCharReplacementTest,
    ::testing::Values(
        FilterCase{"EmptyTableUpperCases", {}, u"abc", u"ABC"},
        FilterCase{"SpaceMarkup", {{u"%", u"<space>"}}, u"50%OFF", u"50 OFF"},
        FilterCase{"RemoveMarkup", {{u"#", u"<remove>"}}, u"#1", u"1"},
        FilterCase{"SkipHasNoMeaningHere", {{u"A", u"<SKIP>"}}, u"BAD", u"B<SKIP>D"},
        FilterCase{"ReplacesInsideWords", {{u"*", u" STAR "}}, u"*98", u" STAR 98"},
        FilterCase{"Cascade", {{u"A", u"B"}, {u"B", u"C"}}, u"AB", u"CC"},
        FilterCase{"MarkerCanBeRewritten", {{u";", u","}}, u";;;SKIP;;;", u",,,SKIP,,,"},
        FilterCase{"PresenceTestOnTheInput", {{u"A", u"%"}, {u"%", u"<remove>"}}, u"A", u"%"}),
    CaseName);

// The single-word rule exactly as it reads: split at every blank, compare
// every word, join again. FilterDictionary skips this work when it cannot
// change anything; on random texts and tables both must agree.
QString ReferenceDictionary(const QString& input, const QStringList& from, const QStringList& to) {
  QString text = UpperCaseEachCharacter(input);
  for (qsizetype i = 0; i < from.size(); ++i) {
    const QString& f = from[i];
    const QString& t = to[i];
    if (t.compare(QStringLiteral("<skip>"), Qt::CaseInsensitive) == 0) {
      if (input.contains(f, Qt::CaseInsensitive)) return kSkipMarker;
    } else if (t.compare(QStringLiteral("<space>"), Qt::CaseInsensitive) == 0) {
      if (input.contains(f, Qt::CaseInsensitive))
        text.replace(f, QStringLiteral(" "), Qt::CaseInsensitive);
    } else if (t.compare(QStringLiteral("<remove>"), Qt::CaseInsensitive) == 0) {
      if (input.contains(f, Qt::CaseInsensitive)) text.remove(f, Qt::CaseInsensitive);
    } else if (f.contains(QLatin1Char(' '))) {
      text.replace(f, t, Qt::CaseInsensitive);
    } else {
      QStringList words = text.split(QLatin1Char(' '));
      for (QString& w : words) {
        const QString last = w.right(1);
        if (last == QStringLiteral(",") || last == QStringLiteral(".") ||
            last == QStringLiteral("?")) {
          if (w.left(w.size() - 1).compare(f, Qt::CaseInsensitive) == 0)
            w.replace(f, t, Qt::CaseInsensitive);
        } else if (w.compare(f, Qt::CaseInsensitive) == 0) {
          w = t;
        }
      }
      text = words.join(QLatin1Char(' '));
    }
  }
  return text;
}

TEST(FilterDictionaryEquivalenceTest, AgreesWithTheWordByWordRuleOnRandomTables) {
  std::mt19937 random(20240611);
  // Letters whose case rules are uneven (sharp s, Kelvin sign, long s, the
  // sigmas, dotted I, a title-case digraph, a letter outside the BMP) next
  // to plain ones, so that case-blind comparisons meet their corner cases.
  const QStringList pieces = {
      QStringLiteral("A"),         QStringLiteral("B"),      QStringLiteral("AB"),
      QStringLiteral(" "),         QStringLiteral("."),      QStringLiteral(","),
      QStringLiteral("?"),         QStringLiteral("a"),      QStringLiteral("BA"),
      QStringLiteral("  "),        QStringLiteral("\u00df"), QStringLiteral("SS"),
      QStringLiteral("\u212a"),    QStringLiteral("k"),      QStringLiteral("\u017f"),
      QStringLiteral("\u03a3"),    QStringLiteral("\u03c2"), QStringLiteral("\u0130"),
      QStringLiteral("i"),         QStringLiteral("\u01c5"), QStringLiteral("\U00010400"),
      QStringLiteral("\U00010428")};
  const QStringList replacements = {QStringLiteral("<skip>"), QStringLiteral("<space>"),
                                    QStringLiteral("<remove>")};
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  auto phrase = [&](int max) {
    QString s;
    for (int i = pick(max) + 1; i > 0; --i) s += pieces[pick(pieces.size())];
    return s;
  };
  int differing_texts = 0;
  for (int round = 0; round < 20000; ++round) {
    QStringList from, to;
    for (int i = pick(6) + 1; i > 0; --i) {
      from.append(pick(2) ? phrase(3).toUpper() : phrase(3));
      to.append(pick(8) == 0 ? replacements[pick(3)] : phrase(3).toUpper());
    }
    const QString input = phrase(12) + QLatin1Char(' ');
    const QString expected = ReferenceDictionary(input, from, to);
    ASSERT_EQ(FilterDictionary(input, from, to), expected)
        << "input [" << input.toStdString() << "] from [" << from.join('|').toStdString()
        << "] to [" << to.join('|').toStdString() << "]";
    if (expected != input.toUpper()) ++differing_texts;
  }
  EXPECT_GT(differing_texts, 2000);  // the tables really rewrote texts
}

}  // namespace
}  // namespace quillon
