#pragma once

#include <QString>
#include <cstdint>
#include <span>

namespace quillon {

/// One language as both naming schemes know it: the three-letter code of
/// the voicemail prompt folders and the Windows locale identifier (LCID).
/// `name` is the display name shown in lists and menus. Codes are exactly
/// three upper-case letters; no code and no LCID occurs twice in the table.
struct LanguageRow {
  const char* code;
  std::int32_t lcid;
  const char16_t* name;
};

/// The TTY/TDD language: English sub-language 0x21, code "ENX".
inline constexpr std::int32_t kTtyLcid = 33801;
inline constexpr char kTtyLangCode[] = "ENX";
inline constexpr char16_t kTtyLanguageName[] = u"English (TTY/TDD)";
/// US English: what unknown codes and a missing language fall back to.
inline constexpr std::int32_t kFallbackLcid = 1033;
inline constexpr char kFallbackLangCode[] = "ENU";
/// What an LCID outside the table converts to; callers use it as a code.
inline constexpr char kUnknownLangCode[] = "ERROR";
/// The display name of an LCID that has none.
inline constexpr char16_t kUnknownLanguageName[] = u"(error)";

/// The 40 rows, in their fixed order.
std::span<const LanguageRow> LanguageTable();

/// The code of `lcid`; LCID 0 gives "ENU", any other LCID outside the table
/// gives "ERROR".
QString LcidToLangCode(std::int32_t lcid);

/// The LCID of `code`, compared exactly (case and blanks count); a code
/// outside the table gives 1033.
std::int32_t LangCodeToLcid(const QString& code);

/// The display name of `lcid`: "English (TTY/TDD)" for 33801, the Windows
/// name of the locale for the other rows, "(error)" for an LCID without one.
QString LcidToLanguageName(std::int32_t lcid);

/// The display name of the LCID that `code` converts to; a code outside the
/// table therefore gets the name of US English.
QString LangCodeToLanguageName(const QString& code);

}  // namespace quillon
