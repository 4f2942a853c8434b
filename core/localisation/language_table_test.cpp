#include "core/localisation/language_table.h"

#include <gtest/gtest.h>

#include <QSet>
#include <map>

namespace quillon {
namespace {

struct LcidCase {
  std::int32_t lcid;
  const char* code;
};

void PrintTo(const LcidCase& c, std::ostream* os) {
  *os << c.lcid;
}

class LcidToCode : public ::testing::TestWithParam<LcidCase> {};

TEST_P(LcidToCode, GivesTheCodeOrTheDefault) {
  EXPECT_EQ(LcidToLangCode(GetParam().lcid), QString::fromLatin1(GetParam().code));
}

INSTANTIATE_TEST_SUITE_P(Defaults, LcidToCode,
                         ::testing::Values(LcidCase{0, "ENU"}, LcidCase{1033, "ENU"},
                                           LcidCase{33801, "ENX"}, LcidCase{1032, "ERROR"},
                                           LcidCase{1042, "ERROR"}, LcidCase{-1, "ERROR"},
                                           LcidCase{20490, "ESU"}, LcidCase{2070, "PTG"}));

struct CodeCase {
  const char16_t* code;
  std::int32_t lcid;
};

void PrintTo(const CodeCase& c, std::ostream* os) {
  *os << '"' << QString::fromUtf16(c.code).toStdString() << '"';
}

class CodeToLcid : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CodeToLcid, ComparesExactlyAndFallsBackToUsEnglish) {
  EXPECT_EQ(LangCodeToLcid(QString::fromUtf16(GetParam().code)), GetParam().lcid);
}

INSTANTIATE_TEST_SUITE_P(Defaults, CodeToLcid,
                         ::testing::Values(CodeCase{u"ENX", 33801}, CodeCase{u"DEU", 1031},
                                           CodeCase{u"", 1033}, CodeCase{u"XYZ", 1033},
                                           CodeCase{u"enu", 1033}, CodeCase{u"deu", 1033},
                                           CodeCase{u" DEU", 1033}, CodeCase{u"DEU ", 1033},
                                           CodeCase{u"ERROR", 1033}, CodeCase{u"DE", 1033}));

TEST(LanguageTable, HasFortyRowsThatConvertBothWaysWithoutLoss) {
  ASSERT_EQ(LanguageTable().size(), 40u);
  for (const LanguageRow& row : LanguageTable()) {
    const QString code = QString::fromLatin1(row.code);
    EXPECT_EQ(LcidToLangCode(LangCodeToLcid(code)), code);
    EXPECT_EQ(LangCodeToLcid(LcidToLangCode(row.lcid)), row.lcid);
  }
}

TEST(LanguageTable, UnknownInputIsNotInvertible) {
  EXPECT_EQ(LcidToLangCode(LangCodeToLcid(QStringLiteral("QQQ"))), QStringLiteral("ENU"));
  EXPECT_EQ(LangCodeToLcid(LcidToLangCode(1032)), 1033);
}

TEST(LanguageNames, TtyLanguageHasItsFixedName) {
  EXPECT_EQ(LcidToLanguageName(33801), QStringLiteral("English (TTY/TDD)"));
  EXPECT_EQ(LangCodeToLanguageName(QStringLiteral("ENX")), QStringLiteral("English (TTY/TDD)"));
}

TEST(LanguageNames, UnknownCodeGetsTheNameOfUsEnglish) {
  EXPECT_EQ(LangCodeToLanguageName(QStringLiteral("XYZ")),
            QStringLiteral("English (United States)"));
  EXPECT_EQ(LangCodeToLanguageName(QStringLiteral("enu")), LcidToLanguageName(1033));
}

TEST(LanguageNames, LcidWithoutANameIsAnError) {
  EXPECT_EQ(LcidToLanguageName(1032), QStringLiteral("(error)"));
  EXPECT_EQ(LcidToLanguageName(0), QStringLiteral("(error)"));
  EXPECT_EQ(LcidToLanguageName(-5), QStringLiteral("(error)"));
}

TEST(LanguageNames, SampleNamesAreThoseWindowsShows) {
  EXPECT_EQ(LcidToLanguageName(1031), QStringLiteral("German (Germany)"));
  EXPECT_EQ(LcidToLanguageName(1036), QStringLiteral("French (France)"));
  EXPECT_EQ(LcidToLanguageName(1034), QStringLiteral("Spanish (Spain, Traditional Sort)"));
  EXPECT_EQ(LcidToLanguageName(1044), QString::fromUtf8("Norwegian, Bokm\xc3\xa5l (Norway)"));
}

// The primary language is the low ten bits of an LCID; every row's name must
// start with that language, which catches a name or a number slipped into
// the wrong row.
TEST(LanguageNames, EveryNameMatchesThePrimaryLanguageOfItsLcid) {
  const std::map<int, QString> primary = {
      {0x07, "German"}, {0x09, "English"},   {0x0A, "Spanish"},
      {0x0C, "French"}, {0x10, "Italian"},   {0x11, "Japanese"},
      {0x13, "Dutch"},  {0x14, "Norwegian"}, {0x16, "Portuguese"}};
  QSet<QString> names;
  for (const LanguageRow& row : LanguageTable()) {
    const QString name = LcidToLanguageName(row.lcid);
    ASSERT_TRUE(primary.count(row.lcid & 0x3FF)) << row.code;
    EXPECT_TRUE(name.startsWith(primary.at(row.lcid & 0x3FF)))
        << row.code << " " << name.toStdString();
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 40) << "two rows share a display name";
}

}  // namespace
}  // namespace quillon
