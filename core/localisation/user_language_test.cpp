#include "core/localisation/user_language.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace quillon {
namespace {

struct LocaleCase {
  const char* name;
  std::int32_t lcid;
};

void PrintTo(const LocaleCase& c, std::ostream* os) {
  *os << '"' << c.name << '"';
}

class PosixLocaleToLcid : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(PosixLocaleToLcid, MapsLanguageAndTerritory) {
  EXPECT_EQ(LcidFromPosixLocale(QString::fromLatin1(GetParam().name)), GetParam().lcid);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, PosixLocaleToLcid,
    ::testing::Values(LocaleCase{"de_DE", 1031}, LocaleCase{"de_DE.UTF-8", 1031},
                      LocaleCase{"de_DE.UTF-8@euro", 1031}, LocaleCase{"ko_KR.UTF-8", 1042},
                      LocaleCase{"ja_JP.eucJP", 1041}, LocaleCase{"zh_CN.GB18030", 2052},
                      LocaleCase{"zh_TW.Big5", 1028}, LocaleCase{"en_US.UTF-8", 1033},
                      LocaleCase{"en_GB", 2057}, LocaleCase{"fr_CA", 3084},
                      LocaleCase{"es_ES", 3082}, LocaleCase{"nb_NO", 1044},
                      LocaleCase{"nn_NO", 2068}, LocaleCase{"pt_BR", 1046},
                      // A territory we do not know: the language's main locale.
                      LocaleCase{"de_BE", 1031}, LocaleCase{"en", 1033}, LocaleCase{"fr", 1036},
                      LocaleCase{"zh", 2052},
                      // No language at all.
                      LocaleCase{"C", 0}, LocaleCase{"C.UTF-8", 0}, LocaleCase{"POSIX", 0},
                      LocaleCase{"xx_YY", 0}, LocaleCase{"", 0}));

using Environment = std::map<std::string, QByteArray>;

EnvironmentLookup Fake(Environment values) {
  return [values](const char* name) {
    const auto it = values.find(name);
    return it == values.end() ? QByteArray() : it->second;
  };
}

struct EnvironmentCase {
  const char* title;
  Environment values;
  std::int32_t lcid;
};

void PrintTo(const EnvironmentCase& c, std::ostream* os) {
  *os << c.title;
}

class UserDefault : public ::testing::TestWithParam<EnvironmentCase> {};

TEST_P(UserDefault, FirstSetVariableDecides) {
  EXPECT_EQ(GetUserDefaultLangID(Fake(GetParam().values)), GetParam().lcid);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, UserDefault,
    ::testing::Values(
        EnvironmentCase{"LcAllWins",
                        {{"LC_ALL", "ja_JP.UTF-8"}, {"LC_MESSAGES", "de_DE"}, {"LANG", "fr_FR"}},
                        1041},
        EnvironmentCase{
            "LcMessagesBeforeLang", {{"LC_MESSAGES", "ko_KR"}, {"LANG", "fr_FR"}}, 1042},
        EnvironmentCase{"EmptyCountsAsUnset",
                        {{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "zh_TW.UTF-8"}},
                        1028},
        EnvironmentCase{"LangAlone", {{"LANG", "de_DE.UTF-8"}}, 1031},
        EnvironmentCase{"NothingSet", {}, 1033},
        // The first set variable decides even when it names no language: the
        // user asked for C, and C is not German.
        EnvironmentCase{"CLocaleIsUsEnglish", {{"LC_ALL", "C"}, {"LANG", "de_DE"}}, 1033},
        EnvironmentCase{"UnknownIsUsEnglish", {{"LANG", "tlh_QO"}}, 1033}));

}  // namespace
}  // namespace quillon
