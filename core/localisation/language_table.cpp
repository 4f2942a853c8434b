#include "core/localisation/language_table.h"

#include <array>

namespace quillon {
namespace {

// The names are those Windows gives the locales in English.
constexpr std::array<LanguageRow, 40> kLanguages = {{
    {"ENU", 1033, u"English (United States)"},
    {"ENG", 2057, u"English (United Kingdom)"},
    {"ENA", 3081, u"English (Australia)"},
    {"ENC", 4105, u"English (Canada)"},
    {"ENZ", 5129, u"English (New Zealand)"},
    {"ENI", 6153, u"English (Ireland)"},
    {kTtyLangCode, kTtyLcid, kTtyLanguageName},
    {"DEU", 1031, u"German (Germany)"},
    {"DES", 2055, u"German (Switzerland)"},
    {"DEA", 3079, u"German (Austria)"},
    {"DEL", 4103, u"German (Luxembourg)"},
    {"DEC", 5127, u"German (Liechtenstein)"},
    {"ESP", 1034, u"Spanish (Spain, Traditional Sort)"},
    {"ESM", 2058, u"Spanish (Mexico)"},
    {"ESN", 3082, u"Spanish (Spain, International Sort)"},
    {"ESG", 4106, u"Spanish (Guatemala)"},
    {"ESC", 5130, u"Spanish (Costa Rica)"},
    {"ESA", 6154, u"Spanish (Panama)"},
    {"ESD", 7178, u"Spanish (Dominican Republic)"},
    {"ESV", 8202, u"Spanish (Venezuela)"},
    {"ESO", 9226, u"Spanish (Colombia)"},
    {"ESR", 10250, u"Spanish (Peru)"},
    {"ESS", 11274, u"Spanish (Argentina)"},
    {"ESH", 18442, u"Spanish (Honduras)"},
    {"ESI", 19466, u"Spanish (Nicaragua)"},
    {"ESU", 20490, u"Spanish (Puerto Rico)"},
    {"FRA", 1036, u"French (France)"},
    {"FRB", 2060, u"French (Belgium)"},
    {"FRC", 3084, u"French (Canada)"},
    {"FRS", 4108, u"French (Switzerland)"},
    {"FRL", 5132, u"French (Luxembourg)"},
    {"ITA", 1040, u"Italian (Italy)"},
    {"ITS", 2064, u"Italian (Switzerland)"},
    {"JPN", 1041, u"Japanese (Japan)"},
    {"NLD", 1043, u"Dutch (Netherlands)"},
    {"NLB", 2067, u"Dutch (Belgium)"},
    {"NOR", 1044, u"Norwegian, Bokm\u00e5l (Norway)"},
    {"NON", 2068, u"Norwegian, Nynorsk (Norway)"},
    {"PTB", 1046, u"Portuguese (Brazil)"},
    {"PTG", 2070, u"Portuguese (Portugal)"},
}};

constexpr bool SameCode(const char* a, const char* b) {
  for (; *a != '\0' || *b != '\0'; ++a, ++b) {
    if (*a != *b) return false;
  }
  return true;
}

constexpr bool IsThreeCapitals(const char* code) {
  for (int i = 0; i < 3; ++i) {
    if (code[i] < 'A' || code[i] > 'Z') return false;
  }
  return code[3] == '\0';
}

// Both directions of the look-up rely on every code and every LCID being
// unique; a row added by mistake fails the build instead of a look-up.
constexpr bool TableIsWellFormed() {
  for (std::size_t i = 0; i < kLanguages.size(); ++i) {
    if (!IsThreeCapitals(kLanguages[i].code) || kLanguages[i].lcid <= 0) return false;
    for (std::size_t j = i + 1; j < kLanguages.size(); ++j) {
      if (kLanguages[i].lcid == kLanguages[j].lcid) return false;
      if (SameCode(kLanguages[i].code, kLanguages[j].code)) return false;
    }
  }
  return true;
}
static_assert(TableIsWellFormed(), "language codes and LCIDs must be unique three-letter codes");

const LanguageRow* FindByLcid(std::int32_t lcid) {
  for (const LanguageRow& row : kLanguages) {
    if (row.lcid == lcid) return &row;
  }
  return nullptr;
}

}  // namespace

std::span<const LanguageRow> LanguageTable() {
  return kLanguages;
}

QString LcidToLangCode(std::int32_t lcid) {
  if (lcid == 0) return QString::fromLatin1(kFallbackLangCode);
  const LanguageRow* row = FindByLcid(lcid);
  return QString::fromLatin1(row ? row->code : kUnknownLangCode);
}

std::int32_t LangCodeToLcid(const QString& code) {
  for (const LanguageRow& row : kLanguages) {
    if (code == QLatin1String(row.code)) return row.lcid;
  }
  return kFallbackLcid;
}

QString LcidToLanguageName(std::int32_t lcid) {
  const LanguageRow* row = FindByLcid(lcid);
  return QString::fromUtf16(row ? row->name : kUnknownLanguageName);
}

QString LangCodeToLanguageName(const QString& code) {
  return LcidToLanguageName(LangCodeToLcid(code));
}

}  // namespace quillon
