#include "core/localisation/user_language.h"

#include <array>
#include <string_view>

#include "core/localisation/language_table.h"

namespace quillon {
namespace {

struct PosixLocale {
  std::string_view name;  // language_TERRITORY; the first row of a language is its main locale
  std::int32_t lcid;
};

constexpr std::array<PosixLocale, 72> kPosixLocales = {{
    {"en_US", 1033},  {"en_GB", 2057},  {"en_AU", 3081},  {"en_CA", 4105},  {"en_NZ", 5129},
    {"en_IE", 6153},  {"en_ZA", 7177},  {"en_IN", 16393}, {"en_SG", 18441}, {"de_DE", 1031},
    {"de_CH", 2055},  {"de_AT", 3079},  {"de_LU", 4103},  {"de_LI", 5127},  {"es_ES", 3082},
    {"es_MX", 2058},  {"es_GT", 4106},  {"es_CR", 5130},  {"es_PA", 6154},  {"es_DO", 7178},
    {"es_VE", 8202},  {"es_CO", 9226},  {"es_PE", 10250}, {"es_AR", 11274}, {"es_EC", 12298},
    {"es_CL", 13322}, {"es_UY", 14346}, {"es_PY", 15370}, {"es_BO", 16394}, {"es_SV", 17418},
    {"es_HN", 18442}, {"es_NI", 19466}, {"es_PR", 20490}, {"es_US", 21514}, {"fr_FR", 1036},
    {"fr_BE", 2060},  {"fr_CA", 3084},  {"fr_CH", 4108},  {"fr_LU", 5132},  {"it_IT", 1040},
    {"it_CH", 2064},  {"ja_JP", 1041},  {"ko_KR", 1042},  {"zh_CN", 2052},  {"zh_TW", 1028},
    {"zh_HK", 3076},  {"zh_SG", 4100},  {"zh_MO", 5124},  {"nl_NL", 1043},  {"nl_BE", 2067},
    {"nb_NO", 1044},  {"no_NO", 1044},  {"nn_NO", 2068},  {"pt_BR", 1046},  {"pt_PT", 2070},
    {"da_DK", 1030},  {"sv_SE", 1053},  {"sv_FI", 2077},  {"fi_FI", 1035},  {"is_IS", 1039},
    {"pl_PL", 1045},  {"cs_CZ", 1029},  {"sk_SK", 1051},  {"hu_HU", 1038},  {"el_GR", 1032},
    {"tr_TR", 1055},  {"ru_RU", 1049},  {"uk_UA", 1058},  {"he_IL", 1037},  {"ar_SA", 1025},
    {"th_TH", 1054},  {"vi_VN", 1066},
}};

// "de_DE.UTF-8@euro" -> {"de", "DE"}: the codeset and the modifier do not
// change the language.
void SplitLocaleName(const QString& name, QString* language, QString* territory) {
  QString rest = name.section(QLatin1Char('@'), 0, 0).section(QLatin1Char('.'), 0, 0);
  *language = rest.section(QLatin1Char('_'), 0, 0).toLower();
  *territory = rest.section(QLatin1Char('_'), 1, 1).toUpper();
}

}  // namespace

QByteArray ProcessEnvironment(const char* name) {
  return qgetenv(name);
}

std::int32_t LcidFromPosixLocale(const QString& locale_name) {
  QString language;
  QString territory;
  SplitLocaleName(locale_name, &language, &territory);
  const QString wanted = language + QLatin1Char('_') + territory;
  std::int32_t main_locale = 0;
  for (const PosixLocale& row : kPosixLocales) {
    const QString name = QString::fromLatin1(row.name.data(), row.name.size());
    if (name == wanted) return row.lcid;
    if (main_locale == 0 && name.section(QLatin1Char('_'), 0, 0) == language)
      main_locale = row.lcid;
  }
  return main_locale;
}

std::int32_t GetUserDefaultLangID(const EnvironmentLookup& environment) {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const QByteArray value = environment(variable);
    if (value.isEmpty()) continue;
    const std::int32_t lcid = LcidFromPosixLocale(QString::fromLocal8Bit(value));
    return lcid != 0 ? lcid : kFallbackLcid;
  }
  return kFallbackLcid;
}

}  // namespace quillon
