#pragma once

#include <QString>
#include <cstdint>

namespace quillon {

/// The font every control needs for one interface language: a character
/// set number (the Windows GDI numbers: 128 SHIFTJIS, 129 HANGEUL, 134
/// GB2312, 136 CHINESEBIG5, 1 DEFAULT) and a font family. The four East
/// Asian languages have a font of their own; every other language has
/// character set 1 and an empty family, which a control refuses and so
/// keeps the font it has.
struct LanguageFont {
  int charset;
  QString family;
};

/// The East Asian interface languages.
inline constexpr std::int32_t kJapaneseLcid = 1041;
inline constexpr std::int32_t kKoreanLcid = 1042;
inline constexpr std::int32_t kChinesePrcLcid = 2052;
inline constexpr std::int32_t kChineseTaiwanLcid = 1028;

/// The font row for `lcid`.
LanguageFont FontForLanguage(std::int32_t lcid);

}  // namespace quillon
