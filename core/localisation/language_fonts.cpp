#include "core/localisation/language_fonts.h"

#include <array>

namespace quillon {
namespace {

struct FontRow {
  std::int32_t lcid;
  int charset;
  const char16_t* family;
};

// The family names are written code point by code point so that no editor
// or compiler can change them.
constexpr std::array<FontRow, 4> kEastAsianFonts = {{
    // "ＭＳ Ｐゴシック"
    {kJapaneseLcid, 128, u"\uFF2D\uFF33\u0020\uFF30\u30B4\u30B7\u30C3\u30AF"},
    // "굴림"
    {kKoreanLcid, 129, u"\uAD74\uB9BC"},
    // "宋体"
    {kChinesePrcLcid, 134, u"\u5B8B\u4F53"},
    // "新細明體"
    {kChineseTaiwanLcid, 136, u"\u65B0\u7D30\u660E\u9AD4"},
}};

constexpr int kDefaultCharset = 1;

}  // namespace

LanguageFont FontForLanguage(std::int32_t lcid) {
  for (const FontRow& row : kEastAsianFonts) {
    if (row.lcid == lcid) return {row.charset, QString::fromUtf16(row.family)};
  }
  return {kDefaultCharset, QString()};
}

}  // namespace quillon
